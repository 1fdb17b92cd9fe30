#include "core/settings/preferences.h"

#include <QFile>
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
    void init();
    void settingsStartWriteAndPost_data();
    void settingsStartWriteAndPost();
    void fontSizeFromOlderRuns_data();
    void fontSizeFromOlderRuns();
    void writingFontSizeClampsIt();
    void hotKeyFromBadBytes_data();
    void hotKeyFromBadBytes();
    void launchAtLoginIsNeverStoredInSettings();

private:
    std::unique_ptr<QSettings> settings() const
    {
        return std::make_unique<QSettings>(m_dir->filePath("prefs.ini"), QSettings::IniFormat);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestPreferences::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

// Each setting: its value in an empty store, another value, and which of the two
// announcements every write of it posts ("editor", "hotKey" or none).
void TestPreferences::settingsStartWriteAndPost_data()
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

void TestPreferences::settingsStartWriteAndPost()
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

void TestPreferences::fontSizeFromOlderRuns_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("fontSize");
    QTest::newRow("too small") << QVariant(9) << 11;
    QTest::newRow("negative") << QVariant(-40) << 11;
    QTest::newRow("huge") << QVariant(QStringLiteral("99999999999999999999")) << 20;
    QTest::newRow("number as text") << QVariant(QStringLiteral("16")) << 16;
    QTest::newRow("fraction") << QVariant(QStringLiteral("12.7")) << 12;
    QTest::newRow("words") << QVariant(QStringLiteral("large")) << 14;
    QTest::newRow("not a number") << QVariant(QStringLiteral("nan")) << 14;
}

void TestPreferences::fontSizeFromOlderRuns()
{
    QFETCH(QVariant, stored);
    QFETCH(int, fontSize);
    settings()->setValue("fontSize", stored);
    QCOMPARE(Preferences(settings()).fontSize(), fontSize);
}

void TestPreferences::writingFontSizeClampsIt()
{
    Preferences prefs(settings());
    QSignalSpy changed(&prefs, &Preferences::fontSizeChanged);
    QSignalSpy posted(&prefs, &Preferences::queltoEditorPrefsChanged);
    prefs.setFontSize(25);
    QCOMPARE(prefs.fontSize(), 20);
    QCOMPARE(settings()->value("fontSize").toInt(), 20);
    prefs.setFontSize(4);
    QCOMPARE(prefs.fontSize(), 11);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(posted.count(), 2); // once per write, clamped or not
}

// Anything but a well-formed combination loads as the default.
void TestPreferences::hotKeyFromBadBytes_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("valid");
    QTest::newRow("garbage") << QByteArray("\x01\xfe\x00zz", 5) << false;
    QTest::newRow("array") << QByteArray("[38, 768]") << false;
    QTest::newRow("missing modifiers") << QByteArray(R"({"keyCode":40})") << false;
    QTest::newRow("negative") << QByteArray(R"({"keyCode":-1,"modifiers":0})") << false;
    QTest::newRow("fraction") << QByteArray(R"({"keyCode":1.5,"modifiers":0})") << false;
    QTest::newRow("beyond 32 bits")
        << QByteArray(R"({"keyCode":4294967296,"modifiers":0})") << false;
    QTest::newRow("text") << QByteArray(R"({"keyCode":"40","modifiers":0})") << false;
    QTest::newRow("large but valid")
        << QByteArray(R"({"keyCode":70000,"modifiers":65536})") << true;
}

void TestPreferences::hotKeyFromBadBytes()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, valid);
    settings()->setValue("hotKey", stored);
    QCOMPARE(Preferences(settings()).hotKey().toJson(),
             valid ? stored : HotKeyCombo::defaultCombo().toJson());
}

void TestPreferences::launchAtLoginIsNeverStoredInSettings()
{
    // The autostart entry is the only record; without one the value lasts this run only.
    {
        Preferences prefs(settings());
        QSignalSpy changed(&prefs, &Preferences::launchAtLoginChanged);
        prefs.setLaunchAtLogin(true);
        QCOMPARE(prefs.launchAtLogin(), true);
        QCOMPARE(changed.count(), 1);
    }
    QCOMPARE(settings()->allKeys().join(u' '), QString());
    QCOMPARE(Preferences(settings()).launchAtLogin(), false);
}

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
