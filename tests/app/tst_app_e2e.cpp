// SPDX-License-Identifier: GPL-3.0-or-later
// The real quelto binary on a real X server, with its own home, typed into with
// xdotool: with no tray every start shows the panel, the shortcut, that nothing typed
// is lost when it is killed, stopped without a usable data folder, or shares its notes
// with another program, and that a screen reader listening to the keys leaves each
// command running once.

#include "support/appprocess.h"
#include "support/xvfbserver.h"

#include <QJsonArray>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>

using quelto::testing::AppProcess;
using quelto::testing::readFile;

class TestAppEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void init() { m_app = std::make_unique<AppProcess>(); }
    void cleanup() { m_app.reset(); }

    void shortcutShowsTypingSavesEscHidesTermWrites()
    {
        showPanel();
        m_app->type("hello");
        m_app->key("Escape");
        QTRY_VERIFY_WITH_TIMEOUT(!m_app->panelVisible(), 3000);
        m_app->key("ctrl+shift+j");
        QTRY_VERIFY_WITH_TIMEOUT(m_app->panelVisible(), 3000);
        QTest::qWait(300);
        m_app->type("last words");
        QVERIFY(m_app->stop()); // SIGTERM well within the half-second save delay
        QVERIFY2(m_app->activeText().contains("last words"), qPrintable(m_app->activeText()));
    }

    void killWhileTypingLosesOnlyTheLastMoment()
    {
        showPanel();
        const QString path = m_app->activeNotePath();
        // Three seconds of typing without a pause, then the process dies at once.
        const QString typed = QStringLiteral("abcdefghij").repeated(15);
        const int delayMs = 20;
        m_app->type(typed, delayMs);
        // Keys still queued for a process that a busy machine slowed down never reached
        // it; a moment to take them, well short of the half second that saves.
        QTest::qWait(150);
        m_app->process().kill();
        m_app->process().waitForFinished(3000);

        const QString onDisk = QString::fromUtf8(readFile(path));
        const qsizetype at = onDisk.indexOf(QStringLiteral("abcdefghij"));
        qsizetype saved = 0; // how much of what was typed is on disk, in one piece
        while (at >= 0 && at + saved < onDisk.size() && saved < typed.size() &&
               onDisk[at + saved] == typed[saved])
            ++saved;
        // Half a second of keys may be lost, and a little more on a busy machine.
        const qsizetype allowed = 500 / delayMs + 25;
        QVERIFY2(saved >= typed.size() - allowed,
                 qPrintable(QStringLiteral("%1 of %2 on disk").arg(saved).arg(typed.size())));
    }

    void otherProgramsEditsShowLiveOrStayBeside()
    {
        showPanel();
        m_app->key("ctrl+t");
        QTest::qWait(300);
        m_app->type("local", 20);
        const QString path = m_app->activeNotePath();
        QTRY_COMPARE_WITH_TIMEOUT(readFile(path), QByteArray("local"), 3000);

        // Nothing unsaved here: the other program's text shows in the editor, where
        // typing goes on.
        QVERIFY(quelto::testing::writeFile(path, "from elsewhere"));
        // Past the second a file another program just wrote is left to settle.
        QTest::qWait(1500);
        m_app->key("ctrl+End");
        m_app->type(" and here", 20);
        QTRY_COMPARE_WITH_TIMEOUT(readFile(path), QByteArray("from elsewhere and here"), 3000);

        // Both changed: the local text stays, the other version gets a file of its own.
        m_app->type("!", 20);
        QTest::qWait(100);
        QVERIFY(quelto::testing::writeFile(path, "synced version"));
        QTRY_COMPARE_WITH_TIMEOUT(readFile(path), QByteArray("from elsewhere and here!"), 3000);
        const QStringList texts = m_app->texts(m_app->dataPath("Notes"));
        QVERIFY2(texts.contains("synced version"), qPrintable(texts.join(" | ")));
    }

    void unusableDataFolderKeepsTextAndRecoversIt()
    {
        // A file where the data folder should be: nothing can be saved, but Quelto runs.
        QVERIFY(QDir().mkpath(m_app->homePath(".local/share")));
        QVERIFY(quelto::testing::writeFile(m_app->homePath(".local/share/Quelto"), {}));
        m_app->start();
        QVERIFY(!m_app->process().waitForFinished(1500));
        QTRY_VERIFY_WITH_TIMEOUT(m_app->panelVisible(), 5000);
        QTest::qWait(300);
        m_app->type("rescue me", 20);
        QTest::qWait(800);

        QVERIFY(m_app->stop()); // logout or shutdown
        const QStringList texts = m_app->texts(m_app->homePath(".local/state/Quelto/recovered"));
        QVERIFY2(texts.join("|").contains("rescue me"), qPrintable(texts.join(" | ")));
    }

    // Past the guide too, and when started again while it runs.
    void withoutTrayEveryStartShowsThePanel()
    {
        QVERIFY(QDir().mkpath(m_app->homePath(".config/Quelto")));
        QVERIFY(quelto::testing::writeFile(m_app->configPath(),
                                           "[General]\nhasCompletedOnboarding=true\n"));
        m_app->start();
        QTRY_VERIFY_WITH_TIMEOUT(m_app->panelVisible(), 5000);
        QTest::qWait(300);
        m_app->key("Escape");
        QTRY_VERIFY_WITH_TIMEOUT(!m_app->panelVisible(), 3000);
        QVERIFY(m_app->command({}));
        QTRY_VERIFY_WITH_TIMEOUT(m_app->panelVisible(), 3000);
    }

    void commandsRunOnceWhileAScreenReaderListens()
    {
        // The accessibility bus of a session bus of the test's own; the display must not
        // already name another, which the application would join instead.
        const QString launcher = QStandardPaths::findExecutable(
            "at-spi-bus-launcher", {"/usr/libexec", "/usr/lib/at-spi2-core"});
        if (launcher.isEmpty() ||
            quelto::testing::runProgram("xprop", {"-root", "AT_SPI_BUS"}).contains('='))
            QSKIP("needs at-spi-bus-launcher and a display without an accessibility bus");
        QTemporaryDir runtime;
        QProcess bus;
        bus.start("dbus-daemon", {"--config-file=" QUELTO_PRIVATE_BUS, "--print-address=1"});
        QVERIFY(bus.waitForReadyRead(5000));
        QProcessEnvironment env = m_app->environment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromUtf8(bus.readLine().trimmed()));
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        m_app->environment() = env;
        env.remove("DISPLAY"); // the bus and the listener find each other on the session bus
        QProcess a11yBus, listener;
        const auto stop = qScopeGuard([&] {
            for (QProcess* p : {&listener, &a11yBus, &bus}) {
                p->terminate();
                p->waitForFinished(3000);
            }
        });
        a11yBus.setProcessEnvironment(env);
        a11yBus.start(launcher, {"--launch-immediately"});
        QTRY_VERIFY(
            !quelto::testing::runProgram("dbus-send",
                                         {"--session", "--print-reply", "--dest=org.a11y.Bus",
                                          "/org/a11y/bus", "org.a11y.Bus.GetAddress"},
                                         env)
                 .isEmpty());
        listener.setProcessEnvironment(env);
        listener.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        listener.start(QUELTO_KEY_LISTENER);
        QVERIFY(listener.waitForReadyRead(10000) && listener.readAll().startsWith("ready"));

        showPanel();
        QByteArray heard; // key symbols, once the application hands its keys on
        const auto hears = [&](const QString& key, const QByteArray& symbol) {
            m_app->key(key);
            return (heard += listener.readAll()).contains("pressed " + symbol);
        };
        QTRY_VERIFY_WITH_TIMEOUT(hears("shift", "65505"), 10000);
        const auto tabs = [this] {
            return QJsonDocument::fromJson(readFile(m_app->dataPath("index.json")))["notes"]
                .toArray()
                .size();
        };
        const qsizetype before = tabs();
        m_app->key("ctrl+t");
        m_app->key("ctrl+equal");
        QTRY_VERIFY_WITH_TIMEOUT(tabs() > before, 3000);
        QTest::qWait(800);
        QCOMPARE(tabs(), before + 1);
        QVERIFY(readFile(m_app->configPath()).contains("fontSize=15"));
        QVERIFY((heard += listener.readAll()).contains("pressed 116")); // it was shown "t"
        QVERIFY(m_app->stop());
    }

private:
    // The first start shows the panel by itself: there is no tray here.
    void showPanel()
    {
        m_app->start();
        QTRY_VERIFY_WITH_TIMEOUT(m_app->activeText().startsWith("# Welcome"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(m_app->panelVisible(), 5000);
        QTest::qWait(300);
    }

    std::unique_ptr<AppProcess> m_app;
};

QUELTO_X11_TEST_MAIN(TestAppEndToEnd, QCoreApplication)

#include "tst_app_e2e.moc"
