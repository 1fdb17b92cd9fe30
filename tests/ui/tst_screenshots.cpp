// SPDX-License-Identifier: GPL-3.0-or-later
// Windows on a bare X server in light and dark palettes, checked as a person would look
// at them (text stands out, the panel's corners are round), and kept as PNGs.

#include "platform/window/windowsystem.h"
#include "support/panelfixture.h"
#include "support/screenshots.h"
#include "support/xvfbserver.h"
#include "ui/commands/commandtable.h"
#include "ui/editor/editortextview.h"
#include "ui/onboarding/onboardingsteps.h"
#include "ui/onboarding/onboardingwindowcontroller.h"
#include "ui/settings/generalpage.h"
#include "ui/settings/hotkeyrecorder.h"
#include "ui/settings/recorderface.h"
#include "ui/settings/settingsform.h"
#include "ui/settings/settingswindowcontroller.h"
#include "ui/window/floatingpanelcontroller.h"
#include "ui/window/glasssurface.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>

using namespace quelto;
using namespace quelto::testing;

namespace {

const QColor kBehind(0xff, 0x00, 0xff);

const QString kSample = QStringLiteral(
    "# Weekly plan\n"
    "## Groceries **today**\n"
    "- [ ] milk and _fresh_ bread\n"
    "- [x] coffee beans\n"
    "1. call `dentist` at 9\n"
    "Read [the docs](https://example.com/docs) or https://qt.io, mail ann@example.org\n"
    "~~cancelled~~ and *emphasis* and __strong__\n"
    "---\n"
    "= 12.50 + 7\n"
    "= 30\n"
    "= sum\n");

} // namespace

class TestScreenshots : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(!WindowSystem::current().isCompositing(), "shots without one"); }

    void cleanup() { QApplication::setPalette(themePalette(false)); }

    void editorRendersResults_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    void editorRendersResults()
    {
        QFETCH(bool, dark);
        QApplication::setPalette(themePalette(dark));
        EditorTextView view(14, false, true);
        view.resize(640, 460);
        view.loadText(kSample);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::qWait(200);
        const QImage shot = grab(&view);
        QVERIFY(keepShot(shot, dark ? "editor-dark" : "editor-light"));

        // The sum's result is drawn.
        const QTextBlock sum = view.document()->findBlockByNumber(10);
        const std::optional<QRectF> result = view.resultRect(sum.position());
        QVERIFY(result);
        const QRect row(int(result->left()), int(result->center().y()), int(result->width()), 1);
        const int ink = inkPixels(shot, row.adjusted(0, 0, 8, 0), Ink::Either);
        QVERIFY2(ink > 2, qPrintable(QString::number(ink)));
    }

    void onboardingPagesRead_data() { editorRendersResults_data(); }

    void onboardingPagesRead()
    {
        QFETCH(bool, dark);
        QApplication::setPalette(themePalette(dark));
        const Ink text = dark ? Ink::Lighter : Ink::Darker;
        ShortcutDisplay shortcut;
        shortcut.setText("Ctrl+Shift+J");
        OnboardingWindowController controller(kOnboardingTitle, kOnboardingSize);
        controller.present(onboardingSteps(shortcut, [] {}), 0, kOnboardingFinishTitle);
        QWidget* window = controller.window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        for (const QString& page : {QStringLiteral("welcome"), QStringLiteral("tricks")}) {
            OnboardingView* view = controller.view();
            QCOMPARE(view->currentPage()->objectName(), page);
            QTest::qWait(600); // past the page change
            const QImage shot = grab(window);
            keepShot(shot, QStringLiteral("onboarding-%1-%2").arg(page, dark ? "dark" : "light"));

            // The title and the quieter line below it.
            const QList<QLabel*> labels =
                view->currentPage()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
            QVERIFY(labels.size() >= 2);
            for (const QLabel* label : labels.first(2))
                QVERIFY2(inkPixels(shot, areaIn(label, window), text) > 100,
                         qPrintable(label->text()));
            // The primary button's title stands out from its fill (inside its round edge).
            const QRect fill = areaIn(view->primaryButton(), window).adjusted(6, 6, -6, -6);
            QVERIFY(inkPixels(shot, fill, Ink::Either) > 20);
            view->primaryButton()->click();
        }
    }

    void panelIsRoundAndDrawsItsScrollBar_data() { editorRendersResults_data(); }

    void panelIsRoundAndDrawsItsScrollBar()
    {
        QFETCH(bool, dark);
        QApplication::setPalette(themePalette(dark));
        // Something bright behind the panel, to see where it lets it through.
        QWidget behind;
        QPalette bright;
        bright.setColor(QPalette::Window, kBehind);
        behind.setPalette(bright);
        behind.setAutoFillBackground(true);
        behind.setGeometry(QGuiApplication::primaryScreen()->geometry());
        behind.show();
        QVERIFY(QTest::qWaitForWindowExposed(&behind));
        SettingsFolder folder;
        auto* editor = new EditorTextView(14, false, true);
        editor->setPlainText(QStringLiteral("A note longer than the panel\n").repeated(80));
        FloatingPanelController controller(QSize(440, 380), PanelOptions{true, QSizeF(320, 220)},
                                           editor);
        controller.show();
        FloatingPanel* panel = controller.panel();
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        QTest::qWait(300);
        const QRect frame = panel->frameGeometry();
        const QImage shot = panel->screen()->grabWindow(0).toImage().copy(frame);
        keepShot(shot, QStringLiteral("panel-nocompositor-%1").arg(dark ? "dark" : "light"));

        // The corners show what is behind; just inside them, the surface.
        const int w = frame.width();
        const int h = frame.height();
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)}) {
            QCOMPARE(shot.pixelColor(corner), kBehind);
            const QPoint inside(corner.x() == 0 ? 8 : w - 9, corner.y() == 0 ? 8 : h - 9);
            QVERIFY(shot.pixelColor(inside) != kBehind);
        }

        // The thumb is drawn.
        QScrollBar* bar = editor->verticalScrollBar();
        QVERIFY(bar->isVisible());
        const QRect barArea = areaIn(bar, panel);
        const int thumbColumn = w - 1 - GlassSurface::ThinScrollBar::kEdgeGap -
                                GlassSurface::ThinScrollBar::kThumbWidth / 2;
        QVERIFY(inkPixels(shot, QRect(thumbColumn - 1, barArea.top(), 3, barArea.height()),
                          Ink::Either) > 20);
    }

    // In a light palette and then, in the same window, a dark one (as when the desktop
    // switches while it is open).
    void settingsPagesRead()
    {
        StoreFixture f;
        f.prefs.setHotKey({45, HotKeyCombo::kCommand | HotKeyCombo::kOption}); // the reset shows
        CommandTable commands;
        SettingsWindowController settings(SettingsContext{
            f.prefs, commands,
            AboutInfo{"0.1.0", "12", QUrl("https://quelto.app"),
                      QUrl("https://quelto.app/changelog"), QUrl("mailto:support@quelto.app")},
            QDir::homePath() + "/.local/share/Quelto/Notes"});

        for (const bool dark : {false, true}) {
            QApplication::setPalette(themePalette(dark));
            const QString theme = dark ? "dark" : "light";
            for (const SettingsPage page : allSettingsPages()) {
                settings.show(page);
                SettingsWindow* window = settings.window();
                QVERIFY(QTest::qWaitForWindowExposed(window));
                QTest::qWait(250); // past the recorder's change
                const QImage shot = grab(window);
                const QString name = settingsPageInfo(page).rawValue;
                QVERIFY(keepShot(shot, QStringLiteral("settings-%1-%2").arg(name, theme)));
                for (const auto& [part, area, kind] : partsToRead(*window, page, dark)) {
                    const int ink = inkPixels(shot, area, kind);
                    QVERIFY2(ink > 15, qPrintable(QStringLiteral("%1 in %2: %3 pixels of ink")
                                                      .arg(part, theme)
                                                      .arg(ink)));
                }
            }
        }
    }

private:
    QList<std::tuple<QString, QRect, Ink>> partsToRead(SettingsWindow& window, SettingsPage page,
                                                       bool dark) const
    {
        const Ink text = dark ? Ink::Lighter : Ink::Darker;
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

QUELTO_X11_TEST_MAIN(TestScreenshots, QApplication)

#include "tst_screenshots.moc"
