// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/hotkeyrecorder.h"
#include "ui/settings/keycap.h"
#include "ui/settings/keycaps.h"
#include "ui/settings/recorderface.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace quelto;

namespace {

constexpr quint32 kCtrl = HotKeyCombo::kCommand;
constexpr quint32 kShift = HotKeyCombo::kShift;
constexpr quint32 kAlt = HotKeyCombo::kOption;
constexpr quint32 kSuper = HotKeyCombo::kControl;

QStringList capTexts(const HotKeyRecorder& recorder)
{
    QStringList texts;
    for (const KeyCap* cap : recorder.face()->caps()->findChildren<KeyCap*>())
        texts << cap->text();
    return texts;
}

} // namespace

// The recorder on the offscreen platform, with another window that has the focus and
// a shortcut of its own; keys are typed into that window, as the application
// receives them while the user records.
class TestHotKeyRecorder : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("XKB_DEFAULT_LAYOUT", "us");
        qRegisterMetaType<HotKeyCombo>();
    }

    void init()
    {
        m_recorder = std::make_unique<HotKeyRecorder>(HotKeyCombo::defaultCombo());
        m_recorder->show();
        m_other = std::make_unique<QLineEdit>();
        auto* quit = new QAction(m_other.get());
        quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        m_other->addAction(quit);
        m_otherShortcut = 0;
        connect(quit, &QAction::triggered, this, [this] { ++m_otherShortcut; });
        m_other->show();
        m_other->activateWindow();
        m_other->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(m_other.get()));
    }

    void cleanup()
    {
        m_recorder.reset();
        m_other.reset();
    }

    void refusesOrRecordsCombinations_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<HotKeyCombo>("recorded"); // keyCode 0: refused

        const HotKeyCombo refused{0, 0};
        const auto ctrl = Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("J alone") << int(Qt::Key_J) << Qt::KeyboardModifiers() << refused;
        QTest::newRow("Shift+J") << int(Qt::Key_J) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                 << refused;
        QTest::newRow("F5 alone") << int(Qt::Key_F5) << Qt::KeyboardModifiers() << refused;
        for (const int key :
             {Qt::Key_C, Qt::Key_V, Qt::Key_X, Qt::Key_Q, Qt::Key_W, Qt::Key_Tab, Qt::Key_Space})
            QTest::addRow("Ctrl+%s", qPrintable(QKeySequence(key).toString()))
                << key << ctrl << refused;
        QTest::newRow("Ctrl+Shift+V")
            << int(Qt::Key_V) << (ctrl | Qt::ShiftModifier) << HotKeyCombo{9, kCtrl | kShift};
        QTest::newRow("Alt+Space") << int(Qt::Key_Space) << Qt::KeyboardModifiers(Qt::AltModifier)
                                   << HotKeyCombo{49, kAlt};
        QTest::newRow("Super+J") << int(Qt::Key_J) << Qt::KeyboardModifiers(Qt::MetaModifier)
                                 << HotKeyCombo{38, kSuper};
        QTest::newRow("Ctrl+J") << int(Qt::Key_J) << ctrl << HotKeyCombo{38, kCtrl};
        QTest::newRow("Ctrl+F5") << int(Qt::Key_F5) << ctrl << HotKeyCombo{96, kCtrl};
        QTest::newRow("Ctrl+Alt+N")
            << int(Qt::Key_N) << (ctrl | Qt::AltModifier) << HotKeyCombo{45, kCtrl | kAlt};
    }

    void refusesOrRecordsCombinations()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(HotKeyCombo, recorded);
        QSignalSpy edited(m_recorder.get(), &HotKeyRecorder::comboEdited);
        QSignalSpy refusals(m_recorder.get(), &HotKeyRecorder::refused);
        m_recorder->startRecording();
        type(key, modifiers);
        if (recorded.keyCode == 0) {
            QCOMPARE(refusals.size(), 1);
            QVERIFY(m_recorder->isRecording());
            QCOMPARE(edited.size(), 0);
            QCOMPARE(m_recorder->combo(), HotKeyCombo::defaultCombo());
        } else {
            QCOMPARE(refusals.size(), 0);
            QVERIFY(!m_recorder->isRecording());
            QCOMPARE(edited.size(), 1);
            QCOMPARE(edited.first().first().value<HotKeyCombo>(), recorded);
            QCOMPARE(m_recorder->combo(), recorded);
        }
    }

    void escapeCancelsWithAnyModifiers()
    {
        QSignalSpy edited(m_recorder.get(), &HotKeyRecorder::comboEdited);
        for (const Qt::KeyboardModifiers modifiers :
             {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ControlModifier),
              Qt::ShiftModifier | Qt::AltModifier}) {
            m_recorder->startRecording();
            type(Qt::Key_Escape, modifiers);
            QVERIFY(!m_recorder->isRecording());
        }
        QCOMPARE(edited.size(), 0);
        QCOMPARE(m_recorder->combo(), HotKeyCombo::defaultCombo());
    }

    void recordingKeepsKeysFromEveryWindow()
    {
        QSignalSpy refusals(m_recorder.get(), &HotKeyRecorder::refused);
        m_recorder->startRecording();
        type(Qt::Key_A);
        type(Qt::Key_Q, Qt::ControlModifier);                         // the other window's shortcut
        type(Qt::Key_Control, Qt::ControlModifier);                   // a modifier on its own
        type(Qt::Key_Shift, Qt::ShiftModifier | Qt::ControlModifier); // is neither refused nor kept
        QCOMPARE(m_other->text(), QString());
        QCOMPARE(m_otherShortcut, 0);
        QCOMPARE(refusals.size(), 2);
        QVERIFY(m_recorder->isRecording());

        m_recorder->stopRecording();
        type(Qt::Key_A);
        type(Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(m_other->text(), QStringLiteral("a"));
        QCOMPARE(m_otherShortcut, 1);
    }

    void physicalKeyWinsOverLayout()
    {
        // A press with a scan code (as X11 and Wayland deliver them): the key at the place
        // of J (evdev 36), whatever character the layout gives it.
        m_recorder->startRecording();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier,
                        36 + 8, 0, 0, QStringLiteral("z"));
        QApplication::sendEvent(m_other.get(), &press);
        QCOMPARE(m_recorder->combo(), (HotKeyCombo{38, kCtrl | kShift}));
        QCOMPARE(m_other->text(), QString());
    }

    void faceAndResetFollowTheCombo()
    {
        QToolButton* reset = m_recorder->resetButton();
        QCOMPARE(capTexts(*m_recorder), (QStringList{"Ctrl", "Shift", "J"}));
        for (const KeyCap* cap : m_recorder->face()->caps()->findChildren<KeyCap*>()) {
            QVERIFY2(cap->width() >= KeyCap::kMinWidth && cap->height() >= KeyCap::kMinHeight,
                     qPrintable(cap->text()));
        }
        QVERIFY(reset->isHidden());
        QCOMPARE(reset->toolTip(), QStringLiteral("Reset to Ctrl+Shift+J"));

        m_recorder->startRecording();
        type(Qt::Key_K, Qt::AltModifier);
        QCOMPARE(capTexts(*m_recorder), (QStringList{"Alt", "K"}));
        QVERIFY(!reset->isHidden());
        m_recorder->startRecording(); // no reset while listening
        QVERIFY(reset->isHidden());
        QVERIFY(m_recorder->face()->prompt()->isVisibleTo(m_recorder.get()));
        QCOMPARE(m_recorder->face()->toolTip(), QStringLiteral("Press Esc to cancel"));
        type(Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier); // the default again
        QVERIFY(reset->isHidden());

        m_recorder->setCombo({40, kCtrl});
        QSignalSpy edited(m_recorder.get(), &HotKeyRecorder::comboEdited);
        QVERIFY(!reset->isHidden());
        reset->click();
        QCOMPARE(edited.size(), 1);
        QCOMPARE(m_recorder->combo(), HotKeyCombo::defaultCombo());
        QVERIFY(reset->isHidden());
    }

    void hidingStopsRecording()
    {
        QSignalSpy changes(m_recorder.get(), &HotKeyRecorder::recordingChanged);
        QTest::mouseClick(m_recorder->face(), Qt::LeftButton);
        QVERIFY(m_recorder->isRecording());
        m_recorder->hide();
        QVERIFY(!m_recorder->isRecording());
        QCOMPARE(changes.size(), 2);
        QCOMPARE(changes.last().first().toBool(), false);
        type(Qt::Key_A); // the filter is gone with the recording
        QCOMPARE(m_other->text(), QStringLiteral("a"));
    }

private:
    void type(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(m_other.get(), Qt::Key(key), modifiers);
    }

    std::unique_ptr<HotKeyRecorder> m_recorder;
    std::unique_ptr<QLineEdit> m_other;
    int m_otherShortcut = 0;
};

QTEST_MAIN(TestHotKeyRecorder)
#include "tst_hotkeyrecorder.moc"
