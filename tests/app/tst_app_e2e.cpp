// SPDX-License-Identifier: GPL-3.0-or-later
// The real quelto binary on a real X server, with its own home, typed into with
// xdotool: with no tray every start shows the panel, the shortcut, and that nothing
// typed is lost when it is killed, stopped without a usable data folder, or shares its
// notes with another program.

#include "support/appprocess.h"
#include "support/xvfbserver.h"

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
        QTest::qWait(400);
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
