// SPDX-License-Identifier: GPL-3.0-or-later
// One Quelto per data folder, met through a folder no other user can reach: a second
// start hands its command on and counts it done only when the first one answers.

#include "app/singleinstance.h"
#include "support/notes.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

using namespace quelto;

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    // Without XDG_RUNTIME_DIR, a folder named for this user in the shared temporary
    // folder is used only if it is really private; else one in the user's cache.
    void meetsOnlyInAPrivateFolder()
    {
        QTemporaryDir dir;
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_CACHE_HOME", dir.filePath("cache").toUtf8());
        const QByteArray tmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", dir.path().toUtf8()); // shared by no one here, and cleaned up
        const QString shared = QDir::tempPath() + "/quelto-" + QString::number(getuid());
        for (const bool asLink : {false, true}) {
            QVERIFY(QDir().mkpath(dir.filePath("other")));
            QVERIFY(asLink ? QFile::link(dir.filePath("other"), shared)
                           : QDir().mkdir(shared) && ::chmod(qPrintable(shared), 0777) == 0);
            QCOMPARE(SingleInstance::runtimeFolder(), dir.filePath("cache/quelto-runtime"));
            QVERIFY(QFile::remove(shared) || QDir().rmdir(shared));
        }
        QCOMPARE(SingleInstance::runtimeFolder(), shared); // made private, then used
        qputenv("XDG_RUNTIME_DIR", runtime);
        qputenv("TMPDIR", tmp);
    }

    // Reached through a link to its folder too; a listener that does not answer is no
    // instance that acted.
    void secondStartHandsOnItsCommand()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath("data")));
        QVERIFY(QFile::link(dir.filePath("data"), dir.filePath("link")));
        QThread thread;
        SingleInstance first(dir.filePath("data"));
        QVERIFY(first.claim());
        QVERIFY(first.listen());
        QByteArray received;
        connect(&first, &SingleInstance::commandReceived, &first,
                [&](const QByteArray& command) { received = command; });
        first.moveToThread(&thread); // answers while this thread waits for it
        thread.start();
        SingleInstance second(dir.filePath("link"));
        QVERIFY(!second.claim());
        QVERIFY(second.send("toggle"));
        thread.quit();
        QVERIFY(thread.wait());
        QCOMPARE(received, QByteArray("toggle"));

        QLocalServer silent;
        QLocalServer::removeServer(first.socketName());
        QVERIFY(silent.listen(first.socketName()));
        QVERIFY(!second.send("show"));
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
