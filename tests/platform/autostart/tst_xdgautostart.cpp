#include "core/settings/preferences.h"
#include "platform/autostart/xdgautostart.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quelto;

// Launch at login through the preferences, down to the user's autostart folder.
class TestXdgAutostart : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", m_dir->filePath("config").toUtf8());
    }

    void launchAtLoginFollowsAutostartEntry()
    {
        const QString entry = XdgAutostart::entryPath();
        QVERIFY(entry.startsWith(m_dir->path()));
        {
            Preferences prefs(settings(), std::make_unique<XdgAutostart>("/opt/my apps/quelto"));
            QCOMPARE(prefs.launchAtLogin(), false);
            prefs.setLaunchAtLogin(true);
            QFile file(entry);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.readAll().contains("Exec=\"/opt/my apps/quelto\"\n"));
        }
        QCOMPARE(Preferences(settings(), std::make_unique<XdgAutostart>("q")).launchAtLogin(),
                 true);

        QFile file(entry);
        QVERIFY(file.open(QIODevice::Append));
        file.write("Hidden = true\n");
        file.close();
        Preferences hidden(settings(), std::make_unique<XdgAutostart>("q"));
        QCOMPARE(hidden.launchAtLogin(), false);
        hidden.setLaunchAtLogin(true);
        hidden.setLaunchAtLogin(false);
        QVERIFY(!QFile::exists(entry));
    }

    void failedAutostartChangeKeepsNewValue()
    {
        // A file where the autostart folder should be makes the change fail.
        QFile blocker(m_dir->filePath("config/autostart"));
        QVERIFY(QDir().mkpath(m_dir->filePath("config")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        XdgAutostart autostart("q");
        QVERIFY(autostart.setEnabled(true).has_value());
        Preferences prefs(settings(), std::make_unique<XdgAutostart>("q"));
        prefs.setLaunchAtLogin(true);
        QCOMPARE(prefs.launchAtLogin(), true);
        QVERIFY(!autostart.isEnabled());
    }

private:
    std::unique_ptr<QSettings> settings() const
    {
        return std::make_unique<QSettings>(m_dir->filePath("prefs.ini"), QSettings::IniFormat);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestXdgAutostart)
#include "tst_xdgautostart.moc"
