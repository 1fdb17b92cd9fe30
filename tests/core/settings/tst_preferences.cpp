// SPDX-License-Identifier: GPL-3.0-or-later
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
            QVERIFY(prefs.store().contains(name));
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
        row("size negative", "fontSize", -40, "11");
        row("size huge", "fontSize", "99999999999999999999", "20");
        row("size as text", "fontSize", "16", "16");
        row("size fraction", "fontSize", "12.7", "12");
        row("size in words", "fontSize", "large", "14");
        row("size not a number", "fontSize", "nan", "14");
        row("bool as 1", "showDockIcon", "1", "true");
        row("bool as 0", "mathEnabled", "0", "false");
        row("bool upper case and spaced", "mathEnabled", " FALSE ", "false");
        row("bool unreadable", "mathEnabled", "maybe", "true");
        row("shortcut garbage", "hotKey", QByteArray("\x01\xfe\x00zz", 5), defaultCombo);
        row("shortcut array", "hotKey", QByteArray("[38, 768]"), defaultCombo);
        row("shortcut without modifiers", "hotKey", QByteArray(R"({"keyCode":40})"), defaultCombo);
        row("shortcut negative", "hotKey", QByteArray(R"({"keyCode":-1,"modifiers":0})"), defaultCombo);
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

private:
    std::unique_ptr<QSettings> settings() const
    {
        return std::make_unique<QSettings>(m_dir->filePath("prefs.ini"), QSettings::IniFormat);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
