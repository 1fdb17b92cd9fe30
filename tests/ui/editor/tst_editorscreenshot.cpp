// SPDX-License-Identifier: GPL-3.0-or-later
// Renders a note that uses every style on a real X server, in light and dark
// palettes, checks what must be visible, and keeps the PNGs for a person to look at
// (in QUELTO_SCREENSHOT_DIR, or the working directory).

#include "support/xvfbserver.h"
#include "ui/editor/editortextview.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTextBlock>

using namespace quelto;

namespace {

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

QPalette darkPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(0x1e, 0x1e, 0x20));
    p.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
    p.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    p.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    p.setColor(QPalette::Link, QColor(0x6c, 0xb4, 0xff));
    p.setColor(QPalette::Highlight, QColor(0x3d, 0x8b, 0xfd));
    return p;
}

bool near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 &&
           std::abs(a.blue() - b.blue()) < 40;
}

} // namespace

class TestEditorScreenshot : public QObject {
    Q_OBJECT

private slots:
    void rendersEveryStyle_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    void rendersEveryStyle()
    {
        QFETCH(bool, dark);
        QWidget window;
        const QPalette palette = dark ? darkPalette() : QApplication::style()->standardPalette();
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        window.resize(640, 460);
        EditorTextView view(14, false, true, &window);
        view.setGeometry(window.rect());
        view.loadText(kSample);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(200);

        const QImage shot = window.screen()->grabWindow(window.winId()).toImage();
        const QString dir = qEnvironmentVariable("QUELTO_SCREENSHOT_DIR", QDir::currentPath());
        const QString path = dir + (dark ? "/editor-dark.png" : "/editor-light.png");
        QVERIFY2(shot.save(path), qPrintable(path));
        qInfo("screenshot: %s", qPrintable(path));

        // The ticked box is filled with the accent colour, the open one is not.
        const QTextBlock ticked = view.document()->findBlockByNumber(3);
        const QRectF tickedBox = view.cursorRect(QTextCursor(ticked)).adjusted(8, 0, 24, 0);
        int accentPixels = 0;
        for (int x = int(tickedBox.left()); x < int(tickedBox.right()); ++x)
            for (int y = int(tickedBox.top()); y < int(tickedBox.bottom()); ++y)
                accentPixels += near(shot.pixelColor(x, y), palette.color(QPalette::Highlight));
        QVERIFY2(accentPixels > 20, qPrintable(QString::number(accentPixels)));

        // The sum's result is drawn at the right end of its line.
        const QTextBlock sum = view.document()->findBlockByNumber(10);
        const std::optional<QRectF> result = view.resultRect(sum.position());
        QVERIFY(result);
        QVERIFY(result->left() > view.width() / 2);
        int inkPixels = 0;
        const QColor background = shot.pixelColor(view.width() - 4, int(result->center().y()));
        for (int x = int(result->left()); x < int(result->right()); ++x)
            inkPixels += !near(shot.pixelColor(x, int(result->center().y())), background);
        QVERIFY2(inkPixels > 2, qPrintable(QString::number(inkPixels)));
        QCOMPARE(view.highlighter().mathResults().value(sum.position()), QStringLiteral("49.5"));
    }
};

QUELTO_X11_TEST_MAIN(TestEditorScreenshot, QApplication)

#include "tst_editorscreenshot.moc"
