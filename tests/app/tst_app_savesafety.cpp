// SPDX-License-Identifier: GPL-3.0-or-later
// The real quelto binary under a real X server, typed into with xdotool: a crash while typing loses
// at most the last moment, and a note file that another program changes is shown live or kept
// beside the local text.

#include "support/notes.h"
#include "support/xvfbserver.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

} // namespace

using quelto::testing::readFile;

class TestAppSaveSafety : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void killWhileTypingLosesOnlyTheLastMoment();
    void otherProgramsEditsShowLiveOrStayBeside();
    void unusableDataFolderKeepsTextAndRecoversIt();

private:
    QString notesDir() const { return m_home->filePath(".local/share/Quelto/Notes"); }
    QString activeNotePath() const;
    void showPanelAndWaitForWelcome();
    void type(const QString& text, int delayMs) const
    {
        run("xdotool", {"type", "--delay", QString::number(delayMs), text});
    }
    void key(const QString& keys) const { run("xdotool", {"key", "--delay", "30", keys}); }

    void start();

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QProcess> m_app;
};

void TestAppSaveSafety::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    if (QTest::currentTestFunction() != QByteArray("unusableDataFolderKeepsTextAndRecoversIt"))
        start();
}

void TestAppSaveSafety::start()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", m_home->path());
    env.insert("XDG_DATA_HOME", m_home->filePath(".local/share"));
    env.insert("XDG_CONFIG_HOME", m_home->filePath(".config"));
    env.insert("XDG_STATE_HOME", m_home->filePath(".local/state"));
    env.insert("QT_QPA_PLATFORM", "xcb");
    m_app = std::make_unique<QProcess>();
    m_app->setProcessEnvironment(env);
    m_app->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_app->start(QStringLiteral(QUELTO_BINARY), {});
    QVERIFY(m_app->waitForStarted());
}

void TestAppSaveSafety::cleanup()
{
    if (m_app && m_app->state() != QProcess::NotRunning) {
        m_app->terminate();
        m_app->waitForFinished(5000);
    }
    m_app.reset();
    m_home.reset();
}

QString TestAppSaveSafety::activeNotePath() const
{
    const QJsonObject index =
        QJsonDocument::fromJson(readFile(m_home->filePath(".local/share/Quelto/index.json")))
            .object();
    return notesDir() + '/' + index.value("activeID").toString() + ".md";
}

void TestAppSaveSafety::showPanelAndWaitForWelcome()
{
    QTRY_VERIFY_WITH_TIMEOUT(readFile(activeNotePath()).startsWith("# Welcome"), 5000);
    key("ctrl+shift+j");
    QTRY_VERIFY_WITH_TIMEOUT(
        !run("xdotool", {"search", "--onlyvisible", "--name", "^Quelto$"}).isEmpty(), 5000);
    QTest::qWait(300);
}

void TestAppSaveSafety::killWhileTypingLosesOnlyTheLastMoment()
{
    showPanelAndWaitForWelcome();
    const QString path = activeNotePath();
    // Three seconds of typing without a pause, then the process dies at once.
    QString typed;
    while (typed.size() < 150)
        typed += QStringLiteral("abcdefghij");
    const int delayMs = 20;
    type(typed, delayMs);
    m_app->kill();
    m_app->waitForFinished(3000);

    const QString onDisk = QString::fromUtf8(readFile(path));
    const qsizetype at = onDisk.indexOf(QStringLiteral("abcdefghij"));
    qsizetype saved = 0; // how much of what was typed is on disk, in one piece
    while (at >= 0 && at + saved < onDisk.size() && saved < typed.size() &&
           onDisk[at + saved] == typed[saved])
        ++saved;
    // Half a second of keys may be lost, and a little more on a busy machine.
    const qsizetype allowed = 500 / delayMs + 25;
    QVERIFY2(saved >= typed.size() - allowed,
             qPrintable(
                 QStringLiteral("%1 of %2 typed characters on disk").arg(saved).arg(typed.size())));
}

void TestAppSaveSafety::otherProgramsEditsShowLiveOrStayBeside()
{
    showPanelAndWaitForWelcome();
    key("ctrl+t");
    QTest::qWait(300);
    type("local", 20);
    const QString path = activeNotePath();
    QTRY_COMPARE_WITH_TIMEOUT(readFile(path), QByteArray("local"), 3000);

    // Nothing unsaved here: the other program's text shows in the editor, where typing
    // goes on.
    QFile other(path);
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("from elsewhere");
    other.close();
    QTest::qWait(400);
    key("ctrl+End");
    type(" and here", 20);
    QTRY_COMPARE_WITH_TIMEOUT(readFile(path), QByteArray("from elsewhere and here"), 3000);

    // Both changed: the local text stays, the other version gets a file of its own.
    type("!", 20);
    QTest::qWait(100);
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("synced version");
    other.close();
    QTRY_COMPARE_WITH_TIMEOUT(readFile(path), QByteArray("from elsewhere and here!"), 3000);
    QStringList texts;
    for (const QString& name : QDir(notesDir()).entryList({"*.md"}))
        texts << QString::fromUtf8(readFile(notesDir() + '/' + name));
    QVERIFY2(texts.contains("synced version"), qPrintable(texts.join(" | ")));
}

void TestAppSaveSafety::unusableDataFolderKeepsTextAndRecoversIt()
{
    // A file where the data folder should be: nothing can be saved, but Quelto runs.
    QVERIFY(QDir().mkpath(m_home->filePath(".local/share")));
    QFile blocker(m_home->filePath(".local/share/Quelto"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    start();
    QVERIFY(!m_app->waitForFinished(1500));
    key("ctrl+shift+j");
    QTRY_VERIFY_WITH_TIMEOUT(
        !run("xdotool", {"search", "--onlyvisible", "--name", "^Quelto$"}).isEmpty(), 5000);
    QTest::qWait(300);
    type("rescue me", 20);
    QTest::qWait(800);

    m_app->terminate(); // logout or shutdown
    QVERIFY(m_app->waitForFinished(5000));
    const QDir recovered(m_home->filePath(".local/state/Quelto/recovered"));
    QStringList texts;
    for (const QString& name : recovered.entryList({"*.md"}))
        texts << QString::fromUtf8(readFile(recovered.filePath(name)));
    QVERIFY2(texts.join("|").contains("rescue me"), qPrintable(texts.join(" | ")));
}

QUELTO_X11_TEST_MAIN(TestAppSaveSafety, QCoreApplication)
#include "tst_app_savesafety.moc"
