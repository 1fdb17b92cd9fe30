// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/hotkeyrecorder.h"
#include "ui/settings/keycap.h"
#include "ui/settings/keycaps.h"
#include "ui/settings/recorderface.h"

#include <QAction>
#include <QApplication>
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

// Keys are typed into another window with the focus and a shortcut of its own, as the
// application receives them while the user records.
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
        m_other->addAction(QStringLiteral("Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q));
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

    void refusesRecordsOrCancels_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<HotKeyCombo>("recorded"); // keyCode 0: refused, or cancelled

        const auto row = [](const char* name, int key, Qt::KeyboardModifiers modifiers,
                            HotKeyCombo recorded = {0, 0}) {
            QTest::newRow(name) << key << modifiers << recorded;
        };
        const Qt::KeyboardModifiers none, ctrl(Qt::ControlModifier);
        row("Shift+J", Qt::Key_J, Qt::ShiftModifier);
        row("F5 alone", Qt::Key_F5, none);
        for (const int key :
             {Qt::Key_C, Qt::Key_V, Qt::Key_X, Qt::Key_Q, Qt::Key_W, Qt::Key_Tab, Qt::Key_Space})
            QTest::addRow("Ctrl+%s", qPrintable(QKeySequence(key).toString()))
                << key << ctrl << HotKeyCombo{0, 0};
        for (const auto modifiers : {none, ctrl, Qt::ShiftModifier | Qt::AltModifier})
            QTest::addRow("%s", qPrintable(QKeySequence(modifiers | Qt::Key_Escape).toString()))
                << int(Qt::Key_Escape) << modifiers << HotKeyCombo{0, 0};
        row("Ctrl+Shift+V", Qt::Key_V, ctrl | Qt::ShiftModifier, {9, kCtrl | kShift});
        row("Alt+Space", Qt::Key_Space, Qt::AltModifier, {49, kAlt});
        row("Super+J", Qt::Key_J, Qt::MetaModifier, {38, kSuper});
        row("Ctrl+F5", Qt::Key_F5, ctrl, {96, kCtrl});
        row("Ctrl+Alt+N", Qt::Key_N, ctrl | Qt::AltModifier, {45, kCtrl | kAlt});
    }

    void refusesRecordsOrCancels()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(HotKeyCombo, recorded);
        QSignalSpy edited(m_recorder.get(), &HotKeyRecorder::comboEdited);
        QSignalSpy refusals(m_recorder.get(), &HotKeyRecorder::refused);
        m_recorder->startRecording();
        type(key, modifiers);
        const bool refused = recorded.keyCode == 0 && key != Qt::Key_Escape;
        const bool kept = recorded.keyCode != 0;
        QCOMPARE(refusals.size(), int(refused));
        QCOMPARE(m_recorder->isRecording(), refused);
        QCOMPARE(edited.size(), int(kept));
        QCOMPARE(m_recorder->combo(), kept ? recorded : HotKeyCombo::defaultCombo());
    }

    void recordingKeepsKeysFromEveryWindow()
    {
        QSignalSpy refusals(m_recorder.get(), &HotKeyRecorder::refused);
        QSignalSpy otherShortcut(m_other->actions().first(), &QAction::triggered);
        m_recorder->startRecording();
        type(Qt::Key_A);
        type(Qt::Key_Q, Qt::ControlModifier);                         // the other window's shortcut
        type(Qt::Key_Control, Qt::ControlModifier);                   // a modifier on its own
        type(Qt::Key_Shift, Qt::ShiftModifier | Qt::ControlModifier); // is neither refused nor kept
        QCOMPARE(m_other->text(), QString());
        QCOMPARE(otherShortcut.size(), 0);
        QCOMPARE(refusals.size(), 2);
        QVERIFY(m_recorder->isRecording());
        // A press with a scan code (as X11 and Wayland deliver them) counts by the key's
        // place, J's (evdev 36), whatever character the layout gives it.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier,
                        36 + 8, 0, 0, QStringLiteral("z"));
        QApplication::sendEvent(m_other.get(), &press);
        QCOMPARE(m_recorder->combo(), (HotKeyCombo{38, kCtrl | kShift}));
        QVERIFY(!m_recorder->isRecording());
    }

    void faceAndResetFollowTheCombo()
    {
        QToolButton* reset = m_recorder->resetButton();
        QCOMPARE(capTexts(*m_recorder), (QStringList{"Ctrl", "Shift", "J"}));
        QVERIFY(reset->isHidden());

        m_recorder->startRecording();
        type(Qt::Key_K, Qt::AltModifier);
        QCOMPARE(capTexts(*m_recorder), (QStringList{"Alt", "K"}));
        QVERIFY(!reset->isHidden());
        QSignalSpy edited(m_recorder.get(), &HotKeyRecorder::comboEdited);
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
        QCOMPARE(changes, (QList<QVariantList>{{true}, {false}}));
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
};

QTEST_MAIN(TestHotKeyRecorder)
#include "tst_hotkeyrecorder.moc"
