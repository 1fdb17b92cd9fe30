// SPDX-License-Identifier: GPL-3.0-or-later
// The settings pages on a real X server in a light palette and then, in the same
// window, a dark one (as when the desktop switches while it is open): each page is
// kept as a PNG for a person to look at (in QUELTO_SCREENSHOT_DIR, or the working
// directory), and the quiet parts (page titles, key caps, descriptions, the reset and
// link symbols, check boxes) are checked to stand out from their background in both.

#include "support/panelfixture.h"
#include "support/screenshots.h"
#include "support/xvfbserver.h"
#include "ui/commands/commandtable.h"
#include "ui/settings/generalpage.h"
#include "ui/settings/hotkeyrecorder.h"
#include "ui/settings/recorderface.h"
#include "ui/settings/settingsform.h"
#include "ui/settings/settingswindowcontroller.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace quelto;

using namespace quelto::testing;

class TestSettingsScreenshot : public QObject {
    Q_OBJECT

private slots:
    void pagesReadInLightAndDark()
    {
        StoreFixture f;
        Preferences& prefs = f.prefs;
        prefs.setHotKey({45, HotKeyCombo::kCommand | HotKeyCombo::kOption}); // the reset shows
        CommandTable commands;
        SettingsWindowController settings(SettingsContext{
            prefs, commands,
            AboutInfo{"0.1.0", "12", QUrl("https://quelto.app"),
                      QUrl("https://quelto.app/changelog"), QUrl("mailto:support@quelto.app")},
            QDir::homePath() + "/.local/share/Quelto/Notes"});

        for (const bool dark : {false, true}) {
            QApplication::setPalette(themePalette(dark));
            for (const SettingsPage page : allSettingsPages()) {
                settings.show(page);
                SettingsWindow* window = settings.window();
                QVERIFY(QTest::qWaitForWindowExposed(window));
                QTest::qWait(250); // past the recorder's change
                const QImage shot = grab(window);
                QVERIFY(keepShot(
                    shot, QStringLiteral("settings-%1-%2")
                              .arg(settingsPageInfo(page).rawValue,
                                   dark ? QStringLiteral("dark") : QStringLiteral("light"))));
                for (const auto& [name, area, kind] : partsToRead(*window, page, dark)) {
                    const int ink = inkPixels(shot, area, kind);
                    QVERIFY2(ink > 15, qPrintable(QStringLiteral("%1 in %2: %3 pixels of ink")
                                                      .arg(name, dark ? "dark" : "light")
                                                      .arg(ink)));
                }
            }
        }
    }

private:
    QList<std::tuple<QString, QRect, Ink>> partsToRead(SettingsWindow& window, SettingsPage page,
                                                       bool dark) const
    {
        const Ink text = textInk(dark);
        if (page == SettingsPage::General) {
            const GeneralPage* general = window.generalPage();
            QListWidget* sidebar = window.sidebar();
            const QRect editorRow = sidebar->visualItemRect(sidebar->item(1))
                                        .translated(sidebar->viewport()->mapTo(&window, QPoint()));
            const auto* description = general->findChild<QLabel*>(SettingsForm::kDescription);
            const HotKeyRecorder* recorder = general->recorder();
            return {{"a page title", editorRow, text},
                    {"key caps", areaIn(recorder->face(), &window), text},
                    {"description", areaIn(description, &window), text},
                    {"reset symbol", areaIn(recorder->resetButton(), &window), text},
                    // With the surface around it, which is what it must stand out from.
                    {"a check box",
                     areaIn(general->launchAtLogin(), &window).adjusted(-8, -8, 8, 8),
                     Ink::Either}};
        }
        if (page == SettingsPage::About) {
            const QPushButton* website = window.aboutPage()->links().first();
            const QRect symbol(website->mapTo(&window, QPoint()),
                               QSize(website->iconSize().width() + 8, website->height()));
            return {{"link symbol", symbol, text}};
        }
        return {};
    }
};

QUELTO_X11_TEST_MAIN(TestSettingsScreenshot, QApplication)

#include "tst_settingsscreenshot.moc"
