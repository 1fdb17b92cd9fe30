// SPDX-License-Identifier: GPL-3.0-or-later
// The real quelto binary on a real X server, with its own HOME: what a user does with
// the shortcut, the keyboard and the command line, checked on disk.

#include "support/xvfbserver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString run(const QString& program, const QStringList& args, int* exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(10000);
    if (exitCode)
        *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

} // namespace

class TestAppEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        start();
    }

    void cleanup()
    {
        if (m_app && m_app->state() != QProcess::NotRunning) {
            m_app->terminate();
            m_app->waitForFinished(5000);
        }
        m_app.reset();
    }

    void firstLaunchWritesWelcomeNote()
    {
        QTRY_VERIFY_WITH_TIMEOUT(scratchText().startsWith("# Welcome to Quelto\n"), 5000);
        QVERIFY(scratchText().contains("Press **Ctrl+Shift+J** anywhere"));
        QVERIFY(!panelVisible());

        // Later launches leave a Scratch note with text alone.
        cleanup();
        QFile scratch;
        const QString edited = QStringLiteral("my own words");
        const QDir notes(m_home->filePath(".local/share/Quelto/Notes"));
        for (const QString& name : notes.entryList({"*.md"})) {
            QFile f(notes.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(edited.toUtf8());
        }
        start();
        QTest::qWait(1500);
        QCOMPARE(scratchText(), edited);
    }

    void shortcutShowsTypingSavesEscHidesTermWrites()
    {
        QTRY_VERIFY_WITH_TIMEOUT(scratchText().startsWith("# Welcome"), 5000);
        key("ctrl+shift+j");
        QTRY_VERIFY_WITH_TIMEOUT(panelVisible(), 5000);
        QTest::qWait(300);
        type("hello");
        QTRY_VERIFY_WITH_TIMEOUT(scratchText().contains("hello"), 3000);
        key("Escape");
        QTRY_VERIFY_WITH_TIMEOUT(!panelVisible(), 3000);
        key("ctrl+shift+j");
        QTRY_VERIFY_WITH_TIMEOUT(panelVisible(), 3000);
        QTest::qWait(300);
        type("last words");
        m_app->terminate(); // SIGTERM well within the half-second save delay
        QVERIFY(m_app->waitForFinished(5000));
        QCOMPARE(m_app->exitStatus(), QProcess::NormalExit);
        QVERIFY2(scratchText().contains("last words"), qPrintable(scratchText().left(60)));
    }

    void commandLineTogglesAndSecondStartShows()
    {
        QTRY_VERIFY_WITH_TIMEOUT(scratchText().startsWith("# Welcome"), 5000);
        auto quelto = [&](const QStringList& args) {
            QProcess p;
            p.setProcessEnvironment(environment());
            p.start(QStringLiteral(QUELTO_BINARY), args);
            QVERIFY(p.waitForFinished(10000));
            QCOMPARE(p.exitCode(), 0);
        };
        quelto({"--toggle"});
        QTRY_VERIFY_WITH_TIMEOUT(panelVisible(), 3000);
        quelto({"--toggle"});
        QTRY_VERIFY_WITH_TIMEOUT(!panelVisible(), 3000);
        quelto({}); // a second start shows the first one's panel and leaves
        QTRY_VERIFY_WITH_TIMEOUT(panelVisible(), 3000);
        QCOMPARE(m_app->state(), QProcess::Running);
    }

    void keyboardUserRecordsANewShortcut()
    {
        QTRY_VERIFY_WITH_TIMEOUT(scratchText().startsWith("# Welcome"), 5000);
        key("ctrl+shift+j");
        QTRY_VERIFY_WITH_TIMEOUT(panelVisible(), 5000);
        const auto settingsVisible = [] {
            return !run("xdotool", {"search", "--onlyvisible", "--name", "^General"}).isEmpty();
        };
        key("ctrl+comma");
        QTRY_VERIFY_WITH_TIMEOUT(settingsVisible(), 5000);
        QTest::qWait(300);
        key("Tab"); // from the page list to the shortcut
        key("space");
        key("ctrl+alt+n");
        const auto storedShortcut = [this] {
            QFile prefs(m_home->filePath(".config/Quelto/Quelto.conf"));
            return prefs.open(QIODevice::ReadOnly) ? prefs.readAll() : QByteArray();
        };
        // Ctrl+Alt+N: the N key (45) with command and option (0x900).
        const QByteArray ctrlAltN = "{\\\"keyCode\\\":45,\\\"modifiers\\\":2304}";
        QTRY_VERIFY_WITH_TIMEOUT(storedShortcut().contains(ctrlAltN), 5000);
        key("Escape");
        QTRY_VERIFY_WITH_TIMEOUT(!settingsVisible(), 3000);
        key("ctrl+alt+n");
        QTRY_VERIFY_WITH_TIMEOUT(!panelVisible(), 3000);
        key("ctrl+shift+j"); // no longer Quelto's
        QTest::qWait(300);
        QVERIFY(!panelVisible());
        key("ctrl+alt+n");
        QTRY_VERIFY_WITH_TIMEOUT(panelVisible(), 3000);
    }

    void helpAndVersion()
    {
        int code = -1;
        QVERIFY(run(QUELTO_BINARY, {"--version"}, &code).startsWith("Quelto "));
        QCOMPARE(code, 0);
        QVERIFY(run(QUELTO_BINARY, {"--help"}, &code).contains("--toggle"));
        QCOMPARE(code, 0);
    }

private:
    QProcessEnvironment environment() const;
    void start();
    bool panelVisible() const
    {
        return !run("xdotool", {"search", "--onlyvisible", "--name", "^Quelto$"}).isEmpty();
    }
    QString scratchText() const;
    void key(const QString& keys) const { run("xdotool", {"key", "--delay", "30", keys}); }
    void type(const QString& text) const { run("xdotool", {"type", "--delay", "10", text}); }

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QProcess> m_app;
};

QProcessEnvironment TestAppEndToEnd::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", m_home->path());
    env.insert("XDG_DATA_HOME", m_home->filePath(".local/share"));
    env.insert("XDG_CONFIG_HOME", m_home->filePath(".config"));
    env.insert("QT_QPA_PLATFORM", "xcb");
    return env;
}

void TestAppEndToEnd::start()
{
    m_app = std::make_unique<QProcess>();
    m_app->setProcessEnvironment(environment());
    m_app->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_app->start(QStringLiteral(QUELTO_BINARY), {});
    QVERIFY(m_app->waitForStarted());
}

QString TestAppEndToEnd::scratchText() const
{
    const QDir notes(m_home->filePath(".local/share/Quelto/Notes"));
    QFile index(m_home->filePath(".local/share/Quelto/index.json"));
    if (!index.open(QIODevice::ReadOnly))
        return QStringLiteral("<no index>");
    const QByteArray json = index.readAll();
    const qsizetype at = json.indexOf("\"id\": \"");
    if (at < 0)
        return QStringLiteral("<no id>");
    QFile note(notes.filePath(QString::fromLatin1(json.mid(at + 7, 36)) + ".md"));
    return note.open(QIODevice::ReadOnly) ? QString::fromUtf8(note.readAll()) : "<no file>";
}

QUELTO_X11_TEST_MAIN(TestAppEndToEnd, QCoreApplication)

#include "tst_app_e2e.moc"
