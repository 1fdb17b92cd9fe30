// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/panelfixture.h"
#include "ui/settings/editorpage.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace quelto;

// "Show in Files" on the Editor page against a file manager on a private session bus
// (ctest runs this under dbus-run-session), and without one.
class TestShowInFiles : public QObject {
    Q_OBJECT

public slots:
    void opened(const QUrl& url) { m_opened << url; }

private slots:
    void initTestCase()
    {
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        if (!bus)
            QSKIP("no session bus (run through ctest, which starts one with dbus-run-session)");
        // Never ask the desktop's own file manager to open test folders.
        if (bus->isServiceRegistered(QStringLiteral("org.freedesktop.FileManager1")))
            QSKIP("a file manager already runs on this bus; run through ctest");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "opened");
    }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    void freshHomeGetsItsFolderShown()
    {
        quelto::testing::StoreFixture home;
        const QString notes = home.dir.filePath(".local/share/Quelto/Notes");
        EditorPage page(home.prefs, notes);

        // No file manager answers: the folder itself is opened.
        page.showInFiles()->click();
        QVERIFY(QFileInfo(notes).isDir());
        QTRY_COMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(notes)});

        QProcess fileManager;
        fileManager.start(QStringLiteral(QUELTO_FILE_MANAGER_SERVICE), QStringList());
        QVERIFY(fileManager.waitForReadyRead(5000));
        QCOMPARE(fileManager.readLine().trimmed(), QByteArray("ready"));
        QVERIFY(QDir(notes).removeRecursively());
        page.showInFiles()->click();
        QVERIFY(QFileInfo(notes).isDir());
        QTRY_VERIFY(fileManager.canReadLine());
        QCOMPARE(QString::fromUtf8(fileManager.readLine().trimmed()),
                 QStringLiteral("ShowItems ") + QUrl::fromLocalFile(notes).toString());
        QTest::qWait(200);
        QCOMPARE(m_opened.size(), 1); // answered: nothing opened besides
        fileManager.closeWriteChannel();
        QVERIFY(fileManager.waitForFinished(5000));
    }

private:
    QList<QUrl> m_opened;
};

QTEST_MAIN(TestShowInFiles)
#include "tst_showinfiles.moc"
