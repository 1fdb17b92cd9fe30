// SPDX-License-Identifier: GPL-3.0-or-later
// Renders a note that uses every style on a real X server, in light and dark
// palettes, checks what must be visible, and keeps the PNGs for a person to look at
// (in QUELTO_SCREENSHOT_DIR, or the working directory).

#include "support/screenshots.h"
#include "support/xvfbserver.h"
#include "ui/editor/editortextview.h"

#include <QTest>
#include <QTextBlock>

using namespace quelto;
using namespace quelto::testing;

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
        const QPalette palette = themePalette(dark);
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        window.resize(640, 460);
        EditorTextView view(14, false, true, &window);
        view.setGeometry(window.rect());
        view.loadText(kSample);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(200);
        const QImage shot = grab(&window);
        QVERIFY(keepShot(shot, dark ? "editor-dark" : "editor-light"));

        // The ticked box is filled with the accent colour, the open one is not.
        const QTextBlock ticked = view.document()->findBlockByNumber(3);
        const QRectF tickedBox = view.cursorRect(QTextCursor(ticked)).adjusted(8, 0, 24, 0);
        const int accent = pixelsLike(shot, tickedBox, palette.color(QPalette::Highlight));
        QVERIFY2(accent > 20, qPrintable(QString::number(accent)));

        // The sum's result is drawn at the right end of its line.
        const QTextBlock sum = view.document()->findBlockByNumber(10);
        const std::optional<QRectF> result = view.resultRect(sum.position());
        QVERIFY(result);
        QVERIFY(result->left() > view.width() / 2);
        const QRect row(int(result->left()), int(result->center().y()), int(result->width()), 1);
        const int ink = inkPixels(shot, row.adjusted(0, 0, 8, 0), Ink::Either);
        QVERIFY2(ink > 2, qPrintable(QString::number(ink)));
    }
};

QUELTO_X11_TEST_MAIN(TestEditorScreenshot, QApplication)

#include "tst_editorscreenshot.moc"
