// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/preferences.h"
#include "platform/autostart/xdgautostart.h"
#include "support/notes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace quelto;
using quelto::testing::readFile;
using quelto::testing::writeFile;

namespace {

QString execLine(const QString& path)
{
    for (const QByteArray& line : readFile(path).split('\n')) {
        if (line.startsWith("Exec="))
            return QString::fromUtf8(line.mid(5));
    }
    return QStringLiteral("<no Exec>");
}

} // namespace

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
            QCOMPARE(execLine(entry), QStringLiteral("\"/opt/my apps/quelto\""));
        }
        QVERIFY(settings()->allKeys().isEmpty()); // the entry is the only record
        QCOMPARE(Preferences(settings(), std::make_unique<XdgAutostart>("q")).launchAtLogin(),
                 true);
    }

    void failedAutostartChangeKeepsNewValue()
    {
        // A file where the autostart folder should be makes the change fail.
        QVERIFY(QDir().mkpath(m_dir->filePath("config")));
        QVERIFY(writeFile(m_dir->filePath("config/autostart"), ""));
        XdgAutostart autostart("q");
        QVERIFY(autostart.setEnabled(true).has_value());
        Preferences prefs(settings(), std::make_unique<XdgAutostart>("q"));
        prefs.setLaunchAtLogin(true);
        QCOMPARE(prefs.launchAtLogin(), true);
        QVERIFY(!autostart.isEnabled());
    }

    void entryRunsThisProgram_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("onPath");
        QTest::addColumn<QString>("exec"); // what the entry holds; %1 is the temporary folder

        // clang-format off
        QTest::newRow("on PATH") << "bin" << true << "quelto";
        QTest::newRow("spaces") << "my apps" << false << "\"%1/my apps/quelto\"";
        QTest::newRow("percent and dollar") << "50% $HOME" << false << "\"%1/50%% \\\\$HOME/quelto\"";
        QTest::newRow("quote, backslash, backtick") << "a\"b\\c`d" << false << "\"%1/a\\\\\"b\\\\\\\\c\\\\`d/quelto\"";
        // clang-format on
    }

    void entryRunsThisProgram()
    {
        QFETCH(QString, folder);
        QFETCH(bool, onPath);
        QFETCH(QString, exec);
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        QVERIFY2(!validator.isEmpty(), "desktop-file-validate is missing (desktop-file-utils)");
        const QString bin = m_dir->filePath(folder);
        const QString program = bin + "/quelto";
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(writeFile(program, ""));
        QVERIFY(
            QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", onPath ? (bin.toUtf8() + ':' + path) : path);
        const std::optional<QString> failed = XdgAutostart(program).setEnabled(true);
        qputenv("PATH", path);
        QCOMPARE(failed, std::nullopt);

        QCOMPARE(execLine(XdgAutostart::entryPath()), exec.arg(m_dir->path()));
        QProcess validate;
        validate.start(validator, {XdgAutostart::entryPath()});
        QVERIFY(validate.waitForFinished(10000));
        QCOMPARE(validate.readAll(), QByteArray());
        QCOMPARE(validate.exitCode(), 0);
    }

    // Entries the desktop skips read as off; switching on again and off removes the entry.
    void disabledEntriesAreOff()
    {
        XdgAutostart autostart("q");
        QVERIFY(!autostart.setEnabled(true));
        const QByteArray head = "[Desktop Entry]\nType=Application\nName=Quelto\nExec=q\n";
        for (const auto& [extra, on] : std::initializer_list<std::pair<QByteArray, bool>>{
                 {"Hidden = true\n", false},
                 {"X-GNOME-Autostart-enabled=false\n", false},
                 {"Hidden=false\nX-GNOME-Autostart-enabled=true\n", true},
                 {"[Desktop Action new]\nName=New\nHidden=true\n", true}}) { // other groups
            QVERIFY(writeFile(XdgAutostart::entryPath(), head + extra));
            QCOMPARE(autostart.isEnabled(), on);
        }
        QVERIFY(writeFile(XdgAutostart::entryPath(), head + "Hidden=true\n"));
        QVERIFY(!autostart.setEnabled(true));
        QVERIFY(autostart.isEnabled());
        QVERIFY(!autostart.setEnabled(false));
        QVERIFY(!QFile::exists(XdgAutostart::entryPath()));
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
