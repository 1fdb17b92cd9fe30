#include "core/settings/preferences.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace quelto;

class TestPreferences : public QObject {
    Q_OBJECT

private slots:
    void init();
    void defaultsForAnEmptyStore();
    void storedValuesSurviveAFreshStore();
    void fontSizeFromOlderRuns_data();
    void fontSizeFromOlderRuns();
    void writingFontSizeClampsStoresAndPostsOnce();
    void hotKeyFromBadBytes_data();
    void hotKeyFromBadBytes();
    void hotKeyWritePostsEvenWhenUnchanged();
    void plainBooleansPostNothing();
    void editorSettingsPostEveryWrite();
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

void TestPreferences::defaultsForAnEmptyStore()
{
    Preferences prefs(settings());
    QCOMPARE(prefs.hotKey(), (HotKeyCombo{38, 0x300}));
    QCOMPARE(prefs.hideOnClickAway(), false);
    QCOMPARE(prefs.showDockIcon(), false);
    QCOMPARE(prefs.fontSize(), 14);
    QCOMPARE(prefs.useMonospace(), false);
    QCOMPARE(prefs.mathEnabled(), true);
    QCOMPARE(prefs.hasCompletedOnboarding(), false);
    QCOMPARE(prefs.launchAtLogin(), false);
}

void TestPreferences::storedValuesSurviveAFreshStore()
{
    {
        Preferences prefs(settings());
        prefs.setHotKey({49, 0x1800});
        prefs.setHideOnClickAway(true);
        prefs.setShowDockIcon(true);
        prefs.setFontSize(17);
        prefs.setUseMonospace(true);
        prefs.setMathEnabled(false);
        prefs.setHasCompletedOnboarding(true);
    }
    // INI files hand every value back as text; each must still read as what was written.
    Preferences again(settings());
    QCOMPARE(again.hotKey(), (HotKeyCombo{49, 0x1800}));
    QCOMPARE(again.hideOnClickAway(), true);
    QCOMPARE(again.showDockIcon(), true);
    QCOMPARE(again.fontSize(), 17);
    QCOMPARE(again.useMonospace(), true);
    QCOMPARE(again.mathEnabled(), false);
    QCOMPARE(again.hasCompletedOnboarding(), true);
    QCOMPARE(again.store().value("hotKey").toByteArray(),
             QByteArray(R"({"keyCode":49,"modifiers":6144})"));
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

void TestPreferences::writingFontSizeClampsStoresAndPostsOnce()
{
    Preferences prefs(settings());
    QSignalSpy posted(&prefs, &Preferences::queltoEditorPrefsChanged);
    QSignalSpy changed(&prefs, &Preferences::fontSizeChanged);
    prefs.setFontSize(25);
    QCOMPARE(prefs.fontSize(), 20);
    QCOMPARE(posted.count(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(settings()->value("fontSize").toInt(), 20);
    prefs.setFontSize(20);
    QCOMPARE(posted.count(), 2);
    QCOMPARE(changed.count(), 1);
}

void TestPreferences::hotKeyFromBadBytes_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<quint32>("keyCode");
    QTest::newRow("garbage") << QByteArray("\x01\xfe\x00zz", 5) << quint32(38);
    QTest::newRow("array") << QByteArray("[38, 768]") << quint32(38);
    QTest::newRow("missing modifiers") << QByteArray(R"({"keyCode":40})") << quint32(38);
    QTest::newRow("negative") << QByteArray(R"({"keyCode":-1,"modifiers":0})") << quint32(38);
    QTest::newRow("fraction") << QByteArray(R"({"keyCode":1.5,"modifiers":0})") << quint32(38);
    QTest::newRow("beyond 32 bits")
        << QByteArray(R"({"keyCode":4294967296,"modifiers":0})") << quint32(38);
    QTest::newRow("text") << QByteArray(R"({"keyCode":"40","modifiers":0})") << quint32(38);
    QTest::newRow("large but valid")
        << QByteArray(R"({"keyCode":70000,"modifiers":65536})") << quint32(70000);
}

void TestPreferences::hotKeyFromBadBytes()
{
    QFETCH(QByteArray, stored);
    QFETCH(quint32, keyCode);
    settings()->setValue("hotKey", stored);
    QCOMPARE(Preferences(settings()).hotKey().keyCode, keyCode);
}

void TestPreferences::hotKeyWritePostsEvenWhenUnchanged()
{
    Preferences prefs(settings());
    QSignalSpy posted(&prefs, &Preferences::queltoHotKeyChanged);
    QSignalSpy changed(&prefs, &Preferences::hotKeyChanged);
    prefs.setHotKey(HotKeyCombo::defaultCombo());
    QCOMPARE(posted.count(), 1);
    QCOMPARE(changed.count(), 0);
    QVERIFY(settings()->contains("hotKey"));
    prefs.setHotKey({40, 0x100});
    QCOMPARE(posted.count(), 2);
    QCOMPARE(changed.count(), 1);
}

void TestPreferences::plainBooleansPostNothing()
{
    Preferences prefs(settings());
    QSignalSpy editor(&prefs, &Preferences::queltoEditorPrefsChanged);
    QSignalSpy hotKey(&prefs, &Preferences::queltoHotKeyChanged);
    QSignalSpy dock(&prefs, &Preferences::showDockIconChanged);
    prefs.setShowDockIcon(true);
    prefs.setShowDockIcon(true);
    prefs.setHideOnClickAway(true);
    prefs.setHasCompletedOnboarding(true);
    QCOMPARE(editor.count() + hotKey.count(), 0);
    QCOMPARE(dock.count(), 1);
}

void TestPreferences::editorSettingsPostEveryWrite()
{
    Preferences prefs(settings());
    QSignalSpy posted(&prefs, &Preferences::queltoEditorPrefsChanged);
    QSignalSpy math(&prefs, &Preferences::mathEnabledChanged);
    prefs.setMathEnabled(true); // unchanged: posted, no property notification
    prefs.setUseMonospace(true);
    QCOMPARE(posted.count(), 2);
    QCOMPARE(math.count(), 0);
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
    QCOMPARE(settings()->allKeys(), QStringList());
    QCOMPARE(Preferences(settings()).launchAtLogin(), false);
}

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
