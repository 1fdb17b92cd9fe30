// SPDX-License-Identifier: GPL-3.0-or-later
// The glass look on a real X server without a compositing manager, in light and dark
// palettes: the onboarding pages, and the panel with a long note. The PNGs are kept
// for a person to look at (in QUELTO_SCREENSHOT_DIR, or the working directory); the
// checks are the ones a person would make: text and buttons stand out, the panel's
// corners are round (what is behind shows there), and its scroll bar stays inside the
// surface.

#include "support/panelfixture.h"
#include "support/screenshots.h"
#include "support/xvfbserver.h"
#include "ui/editor/editortextview.h"
#include "ui/onboarding/onboardingsteps.h"
#include "ui/onboarding/onboardingwindowcontroller.h"
#include "ui/window/floatingpanelcontroller.h"
#include "ui/window/glasssurface.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace quelto;
using namespace quelto::testing;

namespace {

const QColor kBehind(0xff, 0x00, 0xff);

QString longNote()
{
    QStringList lines;
    for (int i = 1; i <= 80; ++i)
        lines << QStringLiteral("Line %1 of a note longer than the panel").arg(i);
    return lines.join(u'\n');
}

} // namespace

class TestGlassScreenshot : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY2(!GlassSurface::isCompositing(), "this test is about the look without one");
        // Something bright behind our windows, to see where they let it through.
        m_behind = std::make_unique<QWidget>();
        QPalette behind;
        behind.setColor(QPalette::Window, kBehind);
        m_behind->setPalette(behind);
        m_behind->setAutoFillBackground(true);
        m_behind->setGeometry(QGuiApplication::primaryScreen()->geometry());
        m_behind->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_behind.get()));
    }

    void cleanup()
    {
        m_behind.reset();
        QApplication::setPalette(themePalette(false));
    }

    void onboardingPagesRead_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    void onboardingPagesRead()
    {
        QFETCH(bool, dark);
        QApplication::setPalette(themePalette(dark));
        const Ink text = textInk(dark);
        const QColor accent = QApplication::palette().color(QPalette::Highlight);
        ShortcutDisplay shortcut;
        shortcut.setText("Ctrl+Shift+J");
        OnboardingWindowController controller(kOnboardingTitle, kOnboardingSize);
        controller.present(onboardingSteps(shortcut, [] {}), 0, kOnboardingFinishTitle);
        QWidget* window = controller.window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QString theme = dark ? "dark" : "light";
        for (const QString& page : {QStringLiteral("welcome"), QStringLiteral("tricks")}) {
            OnboardingView* view = controller.view();
            QCOMPARE(view->currentPage()->objectName(), page);
            QTest::qWait(600); // past the page change
            const QImage shot = grab(window);
            keepShot(shot, QStringLiteral("onboarding-%1-%2").arg(page, theme));

            // The title and the quieter line below it.
            const QList<QLabel*> labels =
                view->currentPage()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
            QVERIFY(labels.size() >= 2);
            for (const QLabel* label : labels.first(2))
                QVERIFY2(inkPixels(shot, areaIn(label, window), text) > 100,
                         qPrintable(label->text()));
            // The primary button is filled with the accent colour, its title readable.
            const QRect primary = areaIn(view->primaryButton(), window);
            QVERIFY(pixelsLike(shot, primary, accent) > primary.width() * primary.height() / 2);
            QVERIFY(pixelsLike(shot, primary, accent.lighter(300)) +
                        inkPixels(shot, primary, Ink::Either) >
                    20);
            if (page == u"welcome") {
                const auto* welcome = static_cast<WelcomeStep*>(view->currentPage());
                QVERIFY(inkPixels(shot, areaIn(welcome->badge(), window), text) > 100);
                // Nothing of the page is cut off at the bottom: the button shows whole.
                const QRect tryIt = areaIn(welcome->tryButton(), window);
                QVERIFY(window->rect().contains(tryIt));
                QVERIFY(pixelsLike(shot, tryIt, accent) > tryIt.width() * tryIt.height() / 2);
            }
            view->primaryButton()->click();
        }
        QVERIFY(controller.isFinished());
    }

    void panelIsRoundWithItsScrollBarInside_data() { onboardingPagesRead_data(); }

    void panelIsRoundWithItsScrollBarInside()
    {
        QFETCH(bool, dark);
        QApplication::setPalette(themePalette(dark));
        SettingsFolder folder;
        auto* editor = new EditorTextView(14, false, true);
        editor->setPlainText(longNote());
        FloatingPanelController controller(QSize(440, 380), std::nullopt,
                                           PanelOptions{true, QSizeF(320, 220), std::nullopt},
                                           folder.frames, editor);
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

        // The thumb is drawn, clear of the right edge and above the bottom corner.
        QScrollBar* bar = editor->verticalScrollBar();
        QVERIFY(bar->isVisible());
        const QRect barArea = areaIn(bar, panel);
        QVERIFY(barArea.right() == w - 1);
        const int thumbColumn = w - 1 - GlassSurface::ThinScrollBar::kEdgeGap -
                                GlassSurface::ThinScrollBar::kThumbWidth / 2;
        QVERIFY(inkPixels(shot, QRect(thumbColumn - 1, barArea.top(), 3, barArea.height()),
                          Ink::Either) > 20);
        // Between the surface's outline and the thumb, where the edge runs straight.
        const int radius = int(GlassSurface::kEarlierRadius);
        const QRect edge(w - GlassSurface::ThinScrollBar::kEdgeGap + 1, radius,
                         GlassSurface::ThinScrollBar::kEdgeGap - 2, h - 2 * radius);
        QCOMPARE(inkPixels(shot, edge, Ink::Either), 0);
        bar->setValue(bar->maximum()); // the thumb at its lowest
        QTest::qWait(100);
        const QImage low = panel->screen()->grabWindow(0).toImage().copy(frame);
        // Up from the bottom outline, the first row of the thumb: above the corner.
        const int surfaceGray = qGray(low.pixel(w - 3, h / 2));
        int lowest = h - 3;
        while (lowest > 0 &&
               std::abs(qGray(low.pixel(thumbColumn, lowest)) - surfaceGray) <= kShapeContrast)
            --lowest;
        const int cornerTop = h - 1 - GlassSurface::ThinScrollBar::kCornerGap;
        QVERIFY2(lowest <= cornerTop && lowest > cornerTop - 8,
                 qPrintable(QString::number(lowest)));
    }

private:
    std::unique_ptr<QWidget> m_behind;
};

QUELTO_X11_TEST_MAIN(TestGlassScreenshot, QApplication)

#include "tst_glassscreenshot.moc"
