// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/autostart/xdgautostart.h"
#include "support/panelfixture.h"
#include "ui/commands/commandtable.h"
#include "ui/settings/editorpage.h"
#include "ui/settings/generalpage.h"
#include "ui/settings/settingswindowcontroller.h"

#include <QApplication>
#include <QCheckBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDesktopServices>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTest>

using namespace quelto;

// Over real preferences, a real autostart folder and a private session bus (ctest
// runs this under dbus-run-session).
class TestSettingsWindow : public QObject {
    Q_OBJECT
    static constexpr const char* kSchemes[] = {"https", "mailto", "file"};

public slots:
    void opened(const QUrl& url) { m_opened << url; }

private slots:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        for (const char* scheme : kSchemes)
            QDesktopServices::setUrlHandler(scheme, this, "opened");
    }

    void cleanupTestCase()
    {
        for (const char* scheme : kSchemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }

    void init()
    {
        m_f.emplace(QList<Note>{}, 0, [](const QTemporaryDir& dir) {
            qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
            return std::make_unique<XdgAutostart>(dir.filePath("quelto"));
        });
        m_commands = std::make_unique<CommandTable>();
        const AboutInfo about{"0.1.0", "7", QUrl("https://quelto.app"),
                              QUrl("https://quelto.app/changelog"), QUrl("mailto:help@quelto.app")};
        m_settings = std::make_unique<SettingsWindowController>(SettingsContext{
            m_f->prefs, *m_commands, about, m_f->dir.filePath("share/Quelto/Notes")});
        m_opened.clear();
    }

    void cleanup()
    {
        m_settings.reset();
        m_f.reset();
    }

    // Also where the screen is small (1280 x 800 at scale 2): the page scrolls to each.
    void generalControlsFollowAndChangeTheApp()
    {
        SettingsWindow& window = open(SettingsPage::General);
        window.fitInto({624, 352});
        QCOMPARE(window.size(), QSize(624, 352));
        auto* scroll = window.findChild<QScrollArea*>();
        QVERIFY(scroll->widget()->width() <= scroll->viewport()->width()); // nothing cut off
        for (QCheckBox* box : window.generalPage()->findChildren<QCheckBox*>()) {
            scroll->ensureWidgetVisible(box);
            const QRect shown(box->mapTo(scroll->viewport(), QPoint()), box->size());
            QVERIFY(scroll->viewport()->rect().contains(shown));
        }
        GeneralPage& page = *window.generalPage();
        page.launchAtLogin()->click();
        QVERIFY(QFile::exists(XdgAutostart::entryPath()));
        page.launchAtLogin()->click();
        QVERIFY(!QFile::exists(XdgAutostart::entryPath()));

        m_f->prefs.setHideOnClickAway(true); // changed elsewhere: the page follows
        QVERIFY(page.hideOnClickAway()->isChecked());
    }

    // Open editors follow the preferences (see the editor bridge's tests).
    void editorControlsChangeThePreferences()
    {
        EditorPage& page = *open(SettingsPage::Editor).editorPage();
        QSpinBox& size = *page.fontSize();
        size.stepUp();
        QCOMPARE(m_f->prefs.fontSize(), 15);
        m_f->prefs.setFontSize(16); // Ctrl+= in the panel: the stepper follows
        QCOMPARE(size.value(), 16);

        page.monospace()->click();
        QCOMPARE(m_f->prefs.useMonospace(), true);
        page.math()->click();
        QCOMPARE(m_f->prefs.mathEnabled(), false);

        QVERIFY2(page.folderText()->text().contains(m_f->dir.filePath("share/Quelto/Notes")),
                 qPrintable(page.folderText()->text()));
    }

    // Without a file manager on the bus the folder itself is opened; with one, it is
    // shown there and nothing else opens. The folder is made first either way.
    void showInFilesMakesAndShowsTheFolder()
    {
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        // Never ask the desktop's own file manager to open test folders.
        if (!bus || bus->isServiceRegistered(QStringLiteral("org.freedesktop.FileManager1")))
            QSKIP("needs a private session bus without a file manager: run through ctest");
        QPushButton* showInFiles = open(SettingsPage::Editor).editorPage()->showInFiles();
        const QString notes = m_f->dir.filePath("share/Quelto/Notes");
        showInFiles->click();
        QVERIFY(QFileInfo(notes).isDir());
        QTRY_COMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(notes)});

        QProcess fileManager;
        fileManager.start(QStringLiteral(QUELTO_FILE_MANAGER_SERVICE), QStringList());
        QVERIFY(fileManager.waitForReadyRead(5000));
        QCOMPARE(fileManager.readLine().trimmed(), QByteArray("ready"));
        QVERIFY(QDir(notes).removeRecursively());
        showInFiles->click();
        QVERIFY(QFileInfo(notes).isDir());
        QTRY_VERIFY(fileManager.canReadLine());
        QCOMPARE(QString::fromUtf8(fileManager.readLine().trimmed()),
                 QStringLiteral("ShowItems ") + QUrl::fromLocalFile(notes).toString());
        QTest::qWait(200);
        QCOMPARE(m_opened.size(), 1);
        fileManager.closeWriteChannel();
        QVERIFY(fileManager.waitForFinished(5000));
    }

    void aboutOffersUpdatesOnlyWhenPossible()
    {
        AboutPage* page = open(SettingsPage::About).aboutPage();
        QCOMPARE(page->version()->text(), QStringLiteral("0.1.0 (7)"));
        QCOMPARE(page->checkForUpdates(), nullptr);
        for (QPushButton* link : page->links())
            link->click();
        QCOMPARE(m_opened,
                 (QList<QUrl>{QUrl("https://quelto.app"), QUrl("https://quelto.app/changelog"),
                              QUrl("mailto:help@quelto.app")}));

        int checks = 0;
        m_commands->bind(Command::CheckForUpdates, [&checks] { ++checks; });
        AboutPage updating({}, *m_commands);
        QVERIFY(updating.checkForUpdates());
        updating.checkForUpdates()->click();
        QCOMPARE(checks, 1);
    }

private:
    SettingsWindow& open(std::optional<SettingsPage> page = std::nullopt)
    {
        m_settings->show(page);
        return *m_settings->window();
    }

    std::optional<quelto::testing::StoreFixture> m_f;
    std::unique_ptr<CommandTable> m_commands;
    std::unique_ptr<SettingsWindowController> m_settings;
    QList<QUrl> m_opened;
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
