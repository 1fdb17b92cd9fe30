// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/keytable.h"
#include "core/settings/panelframestore.h"
#include "core/settings/preferences.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace quelto;

namespace {

// A shortcut as its stored JSON, anything else as text, so a mismatch shows both values.
QString text(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<HotKeyCombo>())
        return QString::fromUtf8(value.value<HotKeyCombo>().toJson());
    return value.toString();
}

} // namespace

class TestPreferences : public QObject {
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    // Each setting: its value in an empty store, another value, and which of the two
    // announcements every write of it posts ("editor", "hotKey" or none).
    void settingsStartWriteAndPost_data()
    {
        QTest::addColumn<QVariant>("initial");
        QTest::addColumn<QVariant>("other");
        QTest::addColumn<QString>("posts");
        const auto combo = [](quint32 key, quint32 modifiers) {
            return QVariant::fromValue(HotKeyCombo{key, modifiers});
        };
        QTest::newRow("hotKey") << combo(38, 0x300) << combo(49, 0x1800) << "hotKey";
        QTest::newRow("hideOnClickAway") << QVariant(false) << QVariant(true) << "";
        QTest::newRow("showDockIcon") << QVariant(false) << QVariant(true) << "";
        QTest::newRow("fontSize") << QVariant(14) << QVariant(17) << "editor";
        QTest::newRow("useMonospace") << QVariant(false) << QVariant(true) << "editor";
        QTest::newRow("mathEnabled") << QVariant(true) << QVariant(false) << "editor";
        QTest::newRow("hasCompletedOnboarding") << QVariant(false) << QVariant(true) << "";
    }

    void settingsStartWriteAndPost()
    {
        QFETCH(QVariant, initial);
        QFETCH(QVariant, other);
        QFETCH(QString, posts);
        const char* name = QTest::currentDataTag(); // property and settings key alike
        {
            Preferences prefs(settings());
            QCOMPARE(text(prefs.property(name)), text(initial));
            const QMetaObject* meta = prefs.metaObject();
            QSignalSpy changed(&prefs, meta->property(meta->indexOfProperty(name)).notifySignal());
            QSignalSpy editor(&prefs, &Preferences::queltoEditorPrefsChanged);
            QSignalSpy hotKey(&prefs, &Preferences::queltoHotKeyChanged);
            QVERIFY(prefs.setProperty(name, initial)); // unchanged: stored and posted all the same
            QVERIFY(settings()->contains(name));
            QCOMPARE(changed.count(), 0);
            QVERIFY(prefs.setProperty(name, other));
            QCOMPARE(changed.count(), 1);
            QCOMPARE(editor.count(), posts == u"editor" ? 2 : 0);
            QCOMPARE(hotKey.count(), posts == u"hotKey" ? 2 : 0);
        }
        // INI files hand every value back as text; each must still read as what was written.
        QCOMPARE(text(Preferences(settings()).property(name)), text(other));
        QCOMPARE(settings()->value(name).toString(), text(other));
    }

    // Whatever an older run or a hand edit left: sizes are clamped, booleans read in any case
    // and as 1 or 0, and anything unreadable loads as the default.
    void valuesFromOlderRuns_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("loaded");
        const QString defaultCombo = R"({"keyCode":38,"modifiers":768})";
        const auto row = [](const char* name, const char* key, const QVariant& stored,
                            const QString& loaded) {
            QTest::newRow(name) << QString(key) << stored << loaded;
        };
        // clang-format off
        row("size too small", "fontSize", 9, "11");
        row("size huge", "fontSize", "99999999999999999999", "20");
        row("size fraction", "fontSize", "12.7", "12");
        row("size in words", "fontSize", "large", "14");
        row("size not a number", "fontSize", "nan", "14");
        row("bool as 1", "showDockIcon", "1", "true");
        row("bool upper case and spaced", "mathEnabled", " FALSE ", "false");
        row("bool unreadable", "mathEnabled", "maybe", "true");
        row("shortcut garbage", "hotKey", QByteArray("\x01\xfe\x00zz", 5), defaultCombo);
        row("shortcut array", "hotKey", QByteArray("[38, 768]"), defaultCombo);
        row("shortcut without modifiers", "hotKey", QByteArray(R"({"keyCode":40})"), defaultCombo);
        row("shortcut fraction", "hotKey", QByteArray(R"({"keyCode":1.5,"modifiers":0})"), defaultCombo);
        row("shortcut beyond 32 bits", "hotKey", QByteArray(R"({"keyCode":4294967296,"modifiers":0})"), defaultCombo);
        row("shortcut as text", "hotKey", QByteArray(R"({"keyCode":"40","modifiers":0})"), defaultCombo);
        row("shortcut large but valid", "hotKey", QByteArray(R"({"keyCode":70000,"modifiers":65536})"), R"({"keyCode":70000,"modifiers":65536})");
        // clang-format on
    }

    void valuesFromOlderRuns()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        settings()->setValue(key, stored);
        QFETCH(QString, loaded);
        QCOMPARE(text(Preferences(settings()).property(key.toLatin1())), loaded);
    }

    void keysAndModifiersMapOneToOne()
    {
        QSet<quint32> evdevSeen;
        for (quint32 code = 0; code < 128; ++code) {
            const std::optional<quint32> evdev = KeyTable::evdevCode(code);
            if (!evdev)
                continue;
            QVERIFY2(!evdevSeen.contains(*evdev), qPrintable(QString::number(code)));
            evdevSeen.insert(*evdev);
            QCOMPARE(KeyTable::virtualKeyCode(*evdev), std::optional(code));
        }
        QCOMPARE(KeyTable::evdevCode(38), std::optional(36u)); // J
        QCOMPARE(KeyTable::evdevCode(9), std::optional(47u));  // V
        QCOMPARE(KeyTable::evdevCode(55), std::nullopt);       // a modifier key
        QCOMPARE(carbonModifiers(Qt::AltModifier | Qt::MetaModifier | Qt::KeypadModifier |
                                 Qt::GroupSwitchModifier),
                 0x1800u);
    }

    // Panel frames are kept per screen and resolution; a malformed entry loads as nothing.
    void panelFramesSurviveAFreshStorePerScreen()
    {
        const QString base = QStringLiteral("panel.frame");
        const QString key = PanelFrameStore::screenKey("eDP", 1440.9, 900.2);
        QCOMPARE(key, "eDP@1440x900");
        PanelFrameStore::save({100.5, 25, 640, 480}, base, key, *settings());
        PanelFrameStore::save({1, 2, 3, 4}, base, PanelFrameStore::screenKey("DP-2", 800, 600),
                              *settings());
        QCOMPARE(PanelFrameStore::load(base, key, *settings()),
                 std::optional(QRectF(100.5, 25, 640, 480)));
        QCOMPARE(PanelFrameStore::load(base, "eDP@1280x800", *settings()), std::nullopt);
        for (const QVariant& stored :
             {QVariant(QVariantList{1, 2, 3}), QVariant(QVariantList{1, 2, "wide", 4}),
              QVariant(QVariantList{1, 2, qQNaN(), 4}), QVariant(QVariantList{1, qInf(), 3, 4}),
              QVariant(QStringLiteral("1,2,3,4"))}) {
            settings()->setValue(base + ".s@1x1", stored);
            QCOMPARE(PanelFrameStore::load(base, "s@1x1", *settings()), std::nullopt);
        }
    }

    void clampFitsPanelOntoScreen_data()
    {
        QTest::addColumn<QRectF>("frame");
        QTest::addColumn<QRectF>("visible");
        QTest::addColumn<QRectF>("expected");
        const QRectF visible(0, 25, 1440, 875);
        // clang-format off
        QTest::newRow("larger than the screen") << QRectF(-50, -50, 3000, 2000) << visible << visible;
        QTest::newRow("enlarged to the minimum") << QRectF(10, 30, 200, 150) << visible << QRectF(10, 30, 320, 220);
        QTest::newRow("shifted up from below") << QRectF(1300, 850, 400, 300) << visible << QRectF(1040, 600, 400, 300);
        QTest::newRow("minimum larger than screen") << QRectF(0, 0, 10, 10) << QRectF(5, 5, 300, 200) << QRectF(5, 5, 300, 200);
        QTest::newRow("second screen to the right") << QRectF(100, 100, 500, 400) << QRectF(1440, 0, 1024, 768) << QRectF(1440, 100, 500, 400);
        // clang-format on
    }

    void clampFitsPanelOntoScreen()
    {
        QFETCH(QRectF, frame);
        QFETCH(QRectF, visible);
        QFETCH(QRectF, expected);
        QCOMPARE(PanelFrameStore::clamp(frame, visible, {320, 220}), expected);
    }

    // A 440 x 380 panel beside a window that must stay readable (the guide), which moves
    // only to make room.
    void besideLeavesTheOtherWindowUncovered_data()
    {
        QTest::addColumn<QRectF>("keep");
        QTest::addColumn<QRectF>("visible");
        QTest::addColumn<QRectF>("panel"); // none when null
        QTest::addColumn<QPointF>("kept");
        const QRectF wide(0, 0, 1280, 800);
        // clang-format off
        QTest::newRow("right") << QRectF(100, 100, 500, 400) << wide << QRectF(612, 100, 440, 380) << QPointF(100, 100);
        QTest::newRow("left") << QRectF(700, 100, 500, 400) << wide << QRectF(248, 100, 440, 380) << QPointF(700, 100);
        QTest::newRow("below, rather than narrower") << QRectF(420, 0, 500, 300) << wide << QRectF(420, 312, 440, 380) << QPointF(420, 0);
        QTest::newRow("narrower") << QRectF(0, 0, 500, 400) << QRectF(0, 0, 853, 533) << QRectF(512, 0, 341, 380) << QPointF(0, 0);
        QTest::newRow("centred: moved aside") << QRectF(176, 66, 500, 400) << QRectF(0, 0, 853, 533) << QRectF(512, 66, 341, 380) << QPointF(0, 66);
        QTest::newRow("no room") << QRectF(70, 0, 500, 400) << QRectF(0, 0, 640, 400) << QRectF() << QPointF();
        // clang-format on
    }

    void besideLeavesTheOtherWindowUncovered()
    {
        QFETCH(QRectF, keep);
        QFETCH(QRectF, visible);
        QFETCH(QRectF, panel);
        QFETCH(QPointF, kept);
        const auto placed =
            PanelFrameStore::beside({0, 0, 440, 380}, keep, visible, {320, 220}, 12);
        QCOMPARE(placed.has_value(), !panel.isNull());
        if (placed) {
            QCOMPARE(placed->panel, panel);
            QCOMPARE(placed->kept, QRectF(kept, keep.size()));
        }
    }

private:
    std::unique_ptr<QSettings> settings() const
    {
        return std::make_unique<QSettings>(m_dir->filePath("prefs.ini"), QSettings::IniFormat);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
