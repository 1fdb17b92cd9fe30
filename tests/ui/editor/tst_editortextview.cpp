// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/mathevaluator.h"
#include "support/markedtext.h"
#include "ui/editor/editortextview.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

using namespace quelto;
using quelto::testing::marked;
using quelto::testing::parseMarked;

namespace {

// The formats the highlighter gave the characters of one block, as "from+length: what".
QStringList formatsOf(const QTextBlock& block)
{
    QStringList out;
    for (const QTextLayout::FormatRange& r : block.layout()->formats()) {
        QStringList what;
        if (r.format.fontWeight() >= QFont::Bold)
            what << "bold";
        if (r.format.fontStrikeOut())
            what << "strike";
        if (r.format.hasProperty(NoteMarker))
            what << "marker";
        if (r.format.hasProperty(NoteCheckbox))
            what << (r.format.property(NoteCheckbox).toBool() ? "ticked" : "open");
        out << QStringLiteral("%1+%2: %3").arg(r.start).arg(r.length).arg(what.join(u' '));
    }
    return out;
}

QPoint pointOf(const EditorTextView& view, int position)
{
    QTextCursor c(view.document());
    c.setPosition(position);
    const QRect caret = view.cursorRect(c);
    return QPoint(caret.x() + 3, caret.center().y());
}

// The results of the whole note computed afresh.
QMap<int, QString> recomputed(const QTextDocument& document, const icu::Locale& locale)
{
    const QString text = document.toPlainText();
    QMap<int, QString> expected;
    const QMap<int, Decimal> values = MathEvaluator::results(text, locale);
    for (auto it = values.begin(); it != values.end(); ++it) {
        const QTextBlock block = document.findBlockByNumber(it.key());
        expected.insert(block.position(), MathEvaluator::formatResult(*it, locale));
    }
    return expected;
}

} // namespace

class TestEditorTextView : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_view = std::make_unique<EditorTextView>(14, false, true);
        m_view->resize(600, 400);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        m_view->setFocus();
    }

    void cleanup() { m_view.reset(); }

    // Styles follow typing at once; the text stays as typed, odd spaces and breaks too.
    void typingStylesAtOnceWithoutChangingText()
    {
        QTest::keyClicks(m_view.get(), "say **hi**");
        QCOMPARE(formatsOf(m_view->document()->firstBlock()),
                 (QStringList{"4+2: marker", "6+2: bold", "8+2: marker"}));
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QTest::keyClicks(m_view.get(), "- [x] milk");
        QCOMPARE(formatsOf(m_view->document()->lastBlock()),
                 (QStringList{"0+1: ", "2+3: ticked", "5+5: strike"}));
        const QString spaces = QString::fromUtf16(u"100\u00A0km\u2028next");
        setText(spaces);
        QCOMPARE(m_view->noteText(), spaces);
        // A line past the styling limit is shown plain, yet edits as any other.
        setText(QString(kLongLine - 7, u'x') + QStringLiteral(" **hi**"));
        QTest::keyClick(m_view.get(), Qt::Key_A);
        QVERIFY(m_view->noteText().endsWith(u"x **hi**a"));
        QCOMPARE(styled(), QStringList{});
        QTest::keyClick(m_view.get(), Qt::Key_Backspace);
        QCOMPARE(styled(), (QStringList{"9994+2: marker", "9996+2: bold", "9998+2: marker"}));
    }

    // Before and after with the caret or selection marked.
    void keysEditText_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("after");
        const auto row = [](const char* name, const char* before, QKeyCombination key,
                            const char* after) {
            QTest::newRow(name) << QString(before) << key.toCombined() << QString(after);
        };
        const auto ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
        row("return continues a list", "- item|", Qt::Key_Return, "- item\n- |");
        row("keypad enter continues a list", "- item|", Qt::KeypadModifier | Qt::Key_Enter,
            "- item\n- |");
        for (const auto modifier : {Qt::SHIFT, Qt::CTRL, Qt::ALT, Qt::META})
            row(qPrintable(QKeySequence(modifier | Qt::Key_Return).toString()), "- item|",
                modifier | Qt::Key_Return, "- item\n|");
        row("tab indents an item", "- a|", Qt::Key_Tab, "  - a|");
        row("shift+tab outdents an item", "  - a|", Qt::SHIFT | Qt::Key_Backtab, "- a|");
        row("tab outside a list types a tab", "plain|", Qt::Key_Tab, "plain\t|");
        row("ctrl+b wraps the selection", "a {word} b", Qt::CTRL | Qt::Key_B, "a **{word}** b");
        row("ctrl+i wraps in underscores", "{a}", Qt::CTRL | Qt::Key_I, "_{a}_");
        row("ctrl+e wraps in backticks", "x|", Qt::CTRL | Qt::Key_E, "x`|`");
        row("ctrl+l makes a task", "x``|", Qt::CTRL | Qt::Key_L, "- [ ] x``|");
        row("ctrl+k without a link to paste", "|label", Qt::CTRL | Qt::Key_K, "[|]()label");
        row("ctrl+shift+plus writes the result", "= 6| * 8\r\nnext", ctrlShift | Qt::Key_Plus,
            "= 6 * 8 = 48|\nnext");
        row("ctrl+shift+equal writes the result", "= 2|", ctrlShift | Qt::Key_Equal, "= 2 = 2|");
        row("ctrl+shift+equal without a result", "= 6 * 8\n|next", ctrlShift | Qt::Key_Equal,
            "= 6 * 8\n|next");
    }

    void keysEditText()
    {
        QFETCH(QString, before);
        QFETCH(int, key);
        QFETCH(QString, after);
        QApplication::clipboard()->setText(QStringLiteral("two words"));
        setText(before);
        const QString start = shown();
        const QKeyCombination combo = QKeyCombination::fromCombined(key);
        QTest::keyClick(m_view.get(), combo.key(), combo.keyboardModifiers());
        QCOMPARE(shown(), after);
        // One undo step brings back the text and the selection; the next key lands there.
        QTest::keyClick(m_view.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(shown(), start);
        QTest::keyClick(m_view.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(shown(), after);
    }

    // The results the highlighter keeps up to date edit by edit, and after math is
    // turned off and on, always equal those of the whole note computed afresh.
    void randomEditsMatchFullRecomputation()
    {
        const icu::Locale locale("en_US");
        QTextDocument document;
        document.documentLayout(); // a document reports its changes once it has a layout
        NoteHighlighter highlighter(&document, EditorTheme{14, false}, true, QPalette());
        highlighter.setLocale(locale);
        const QStringList lines{"= 3",   "= 2.5 * 4", "= sum", "= total", "",       "   ",
                                "words", "= 1 +",     "= 7%",  "- [ ] a", "= (1+2", "=10"};
        const QStringList pieces{"1", "=", " ", "\n", "sum", "+2", "x"};
        QRandomGenerator random(7);
        for (int step = 0; step < 3000; ++step) {
            QTextCursor cursor(&document);
            const int length = document.characterCount() - 1;
            const int at = length > 0 ? int(random.bounded(length + 1)) : 0;
            cursor.setPosition(at);
            switch (random.bounded(5)) {
            case 0: // a whole line
                cursor.movePosition(QTextCursor::StartOfBlock);
                cursor.insertText(lines[random.bounded(lines.size())] + u'\n');
                break;
            case 1: // a line removed
                cursor.select(QTextCursor::BlockUnderCursor);
                cursor.removeSelectedText();
                break;
            case 2: // a span removed, maybe across lines
                cursor.setPosition(std::min(length, at + int(random.bounded(12))),
                                   QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
                break;
            default: // a few characters, or a line split
                cursor.insertText(pieces[random.bounded(pieces.size())]);
                break;
            }
            const QMap<int, QString> expected = recomputed(document, locale);
            if (highlighter.mathResults() != expected) {
                QCOMPARE(document.toPlainText(), QStringLiteral("(step %1)").arg(step));
                QCOMPARE(highlighter.mathResults(), expected);
            }
        }
        QVERIFY(!highlighter.mathResults().isEmpty());
        highlighter.setMathEnabled(false);
        QVERIFY(highlighter.mathResults().isEmpty());
        highlighter.setMathEnabled(true);
        QCOMPARE(highlighter.mathResults(), recomputed(document, locale));
    }

    // A plain single click toggles a box; only a Ctrl+click opens a link, and only with
    // an allowed scheme.
    void clicksToggleBoxesAndOpenLinks()
    {
        setText("- [ ] milk");
        const QPoint box = pointOf(*m_view, 3);
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::ShiftModifier, box);
        QCOMPARE(m_view->noteText(), QStringLiteral("- [ ] milk"));
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, box);
        QCOMPARE(m_view->noteText(), QStringLiteral("- [x] milk"));
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, pointOf(*m_view, 7));
        QCOMPARE(m_view->noteText(), QStringLiteral("- [x] milk"));
        // A double click's second press comes within the interval: only the first counts.
        for (const auto action : {QTest::MousePress, QTest::MousePress, QTest::MouseDClick})
            QTest::mouseEvent(action, m_view->viewport(), Qt::LeftButton, {}, box);
        QTest::mouseRelease(m_view->viewport(), Qt::LeftButton, {}, box);
        QCOMPARE(m_view->noteText(), QStringLiteral("- [ ] milk"));

        QSignalSpy opened(m_view.get(), &EditorTextView::linkActivated);
        setText("see https://example.com/a and [f](ftp://x.example/f)");
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          pointOf(*m_view, 8));
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          pointOf(*m_view, 31));
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, pointOf(*m_view, 8));
        QCOMPARE(opened, QList<QVariantList>{{QUrl("https://example.com/a")}});
    }

    // A click on a result copies it, in a read-only view too, which takes no edits.
    void clickOnResultCopiesItReadOnlyTakesNoEdits()
    {
        QSignalSpy copied(m_view.get(), &EditorTextView::resultCopied);
        setText("|= 6 * 8\nmore");
        const std::optional<QRectF> rect = m_view->resultRect(0);
        QVERIFY(rect);
        QVERIFY(!m_view->resultRect(8));
        m_view->setReadOnly(true);
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, rect->center().toPoint());
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("48"));
        QCOMPARE(copied, QList<QVariantList>{{QStringLiteral("48")}});
        QCOMPARE(m_view->textCursor().position(), 0);

        m_view->applyEdit({{0, 1}, "*", {0, 0}});
        QTest::keyClick(m_view.get(), Qt::Key_B, Qt::ControlModifier);
        m_view->paste();
        QCOMPARE(m_view->noteText(), QStringLiteral("= 6 * 8\nmore"));
    }

    // The clipboard carries plain text both ways; pasting a link over a selection links it.
    void clipboardIsPlainTextAndPasteMakesLinks()
    {
        auto pasted = [&](const char* before, const QString& text) {
            setText(before);
            auto* mime = new QMimeData;
            mime->setText(text);
            mime->setHtml(QStringLiteral("<b>") + text + QStringLiteral("</b>"));
            QApplication::clipboard()->setMimeData(mime);
            m_view->paste();
            return m_view->noteText();
        };
        QCOMPARE(pasted("read {docs}", " https://example.com/d "),
                 "read [docs](https://example.com/d)");
        QCOMPARE(pasted("{x}", "ftp://example.com"), "ftp://example.com");
        QCOMPARE(pasted("a|b", "https://example.com"), "ahttps://example.comb");
        QCOMPARE(formatsOf(m_view->document()->firstBlock()), QStringList{}); // no bold came in
        setText("# Title\n**bold**");
        m_view->selectAll();
        m_view->copy();
        QCOMPARE(QApplication::clipboard()->mimeData()->formats(), QStringList{"text/plain"});
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("# Title\n**bold**"));
    }

    // Composed text takes the paragraph's styles, moving those after it along, but is no
    // text (nor styled as Markdown) until it is committed.
    void compositionRestylesOnlyOnCommit()
    {
        setText("**bo|ld** and `code`");
        const QStringList before = styled();
        QCOMPARE(before, (QStringList{"0+2: marker", "2+4: bold", "6+2: marker", "13+1: marker",
                                      "18+1: marker"}));
        QTextCharFormat underline;
        underline.setFontUnderline(true);
        QInputMethodEvent compose(QStringLiteral("ka"),
                                  {{QInputMethodEvent::TextFormat, 0, 2, underline}});
        QApplication::sendEvent(m_view.get(), &compose);
        QCOMPARE(styled(), (QStringList{"0+2: marker", "2+2: bold", "6+2: bold", "8+2: marker",
                                        "15+1: marker", "20+1: marker"}));
        QInputMethodEvent cancel;
        QApplication::sendEvent(m_view.get(), &cancel);
        QCOMPARE(styled(), before);

        setText("say ");
        QInputMethodEvent markdown(QStringLiteral("**hi**"), {});
        QApplication::sendEvent(m_view.get(), &markdown);
        QCOMPARE(m_view->noteText(), QStringLiteral("say "));
        QCOMPARE(styled(), QStringList{});
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("**hi**"));
        QApplication::sendEvent(m_view.get(), &commit);
        QCOMPARE(m_view->noteText(), QStringLiteral("say **hi**"));
        QCOMPARE(styled(), (QStringList{"4+2: marker", "6+2: bold", "8+2: marker"}));
    }

    // Random edits through the view to a note with long lines, which it holds in pieces,
    // act as on one plain string: breaks between pieces count for nothing, whether the
    // caret sits before or after one, and no piece is styled or computed by itself.
    // SEED=n runs another walk.
    void longLinesEditAsOneLine_data()
    {
        QTest::addColumn<int>("seed");
        QTest::newRow("walk") << 22;
        // Dropped "p\nq" at the start of a piece after an empty line lost a line break.
        QTest::newRow("drop after an empty line") << 333;
        if (qEnvironmentVariableIsSet("SEED"))
            QTest::newRow("SEED") << qEnvironmentVariableIntValue("SEED");
    }

    void longLinesEditAsOneLine()
    {
        QFETCH(int, seed);
        // Cuts fall after a space near a piece's end, and never inside a character.
        const QString spaced = QStringLiteral("abcdefghi ").repeated(kLongLine / 4);
        for (const int cut : LongLines::cuts(spaced))
            QCOMPARE(spaced[cut - 1], u' ');
        const QString emoji = u'a' + QString::fromUtf16(u"\U0001F600").repeated(kLongLine);
        for (const int cut : LongLines::cuts(emoji))
            QVERIFY(cut % 2 == 1);
        // Ctrl+Z after the key that grew a piece past its cut takes back the key too, not
        // only the cut, which changes no text; Ctrl+Shift+Z brings back both.
        m_view->loadText(spaced);
        // A selection from a break begins past it, or the break would show as selected.
        const int firstCut = LongLines::cuts(spaced).first();
        m_view->select({firstCut, 3});
        QCOMPARE(m_view->textCursor().selectedText(), spaced.mid(firstCut, 3));
        QTextCursor grow(m_view->document());
        grow.setPosition(10);
        m_view->setTextCursor(grow);
        const QString filler(2 * LongLines::kPiece - m_view->document()->firstBlock().length(),
                             u'y');
        QApplication::clipboard()->setText(filler);
        m_view->paste();
        const int pieces = m_view->document()->blockCount();
        grow.setPosition(5); // away from the paste, which Qt would add the keys to
        m_view->setTextCursor(grow);
        QTest::keyClicks(m_view.get(), "qq");
        QCOMPARE(m_view->document()->blockCount(), pieces + 1);
        const QString grown = m_view->noteText();
        QTest::keyClick(m_view.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_view->noteText(), QString(spaced).insert(10, filler));
        QTest::keyClick(m_view.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_view->noteText(), grown);
        QCOMPARE(m_view->document()->blockCount(), pieces + 1);
        QRandomGenerator random(seed);
        const QStringList words{"word ", "- [ ] ", "= 2 * 3 ", "# ", "xyz", "  "};
        const auto prose = [&](qsizetype size, bool breaks) {
            QString text;
            while (text.size() < size)
                text +=
                    random.bounded(40) == 0 && breaks ? "\n" : words[random.bounded(words.size())];
            return text;
        };
        QString model = "top\n" + prose(25000, false) + "\n= 1\n" + prose(12000, false);
        m_view->loadText(model);
        QTextDocument* document = m_view->document();
        QStringList history{model};
        // A third of the places are on either side of a break between pieces.
        const auto anywhere = [&] {
            QList<int> breaks;
            for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
                if (LongLines::isContinuation(block))
                    breaks << block.position();
            }
            return !breaks.isEmpty() && random.bounded(3) == 0
                       ? breaks[random.bounded(breaks.size())] - int(random.bounded(2))
                       : int(random.bounded(document->characterCount()));
        };
        for (int step = 0; step < 600; ++step) {
            QTextCursor cursor(document);
            cursor.setPosition(anywhere());
            if (random.bounded(4) == 0)
                cursor.setPosition(std::clamp(cursor.position() + int(random.bounded(6000)) - 3000,
                                              0, document->characterCount() - 1),
                                   QTextCursor::KeepAnchor);
            m_view->setTextCursor(cursor);
            const TextRange sel = m_view->selection();
            const QString before = model;
            const auto replaced = [&](const QString& with) {
                model.replace(sel.location, sel.length, with);
            };
            const auto deleted = [&](qsizetype from) {
                if (sel.length > 0)
                    replaced({});
                else if (from >= 0 && from < model.size())
                    model.remove(from, 1);
            };
            const auto typed = [&](int key, Qt::KeyboardModifiers modifiers = {}) {
                QTest::keyClick(m_view.get(), Qt::Key(key), modifiers);
            };
            switch (random.bounded(11)) {
            case 0: {
                // Each key may be an undo step of its own.
                const QString word = words[random.bounded(words.size())];
                for (qsizetype i = 1; i <= word.size(); ++i) {
                    QTest::keyClicks(m_view.get(), word.mid(i - 1, 1));
                    model = before;
                    replaced(word.left(i));
                    history << model;
                }
                break;
            }
            case 1:
                typed(Qt::Key_Backspace);
                deleted(sel.location - 1);
                break;
            case 2:
                typed(Qt::Key_Delete);
                deleted(sel.location);
                break;
            case 3: // Shift: a plain break, even in a list item
                typed(Qt::Key_Return, Qt::ShiftModifier);
                replaced("\n");
                break;
            case 4: {
                const QString pasted = prose(random.bounded(2) ? 3 : 15000, random.bounded(2));
                QApplication::clipboard()->setText(pasted);
                m_view->paste();
                replaced(pasted);
                break;
            }
            case 5: {
                const bool cut = random.bounded(2);
                QApplication::clipboard()->clear();
                typed(cut ? Qt::Key_X : Qt::Key_C, Qt::ControlModifier);
                QCOMPARE(QApplication::clipboard()->text(), model.mid(sel.location, sel.length));
                if (cut)
                    replaced({});
                break;
            }
            case 6: {
                // Undo and redo only ever bring back a text the note had. (A redo after an
                // undo with nothing left to undo may redo an earlier step.)
                typed(Qt::Key_Z, Qt::ControlModifier);
                model = m_view->noteText();
                QVERIFY2(history.contains(model), qPrintable(QString::number(step)));
                QVERIFY2(model != before || !document->isUndoAvailable(),
                         qPrintable(QStringLiteral("undo did nothing at %1").arg(step)));
                if (random.bounded(2) == 0) {
                    const bool undid = model != before;
                    typed(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
                    model = m_view->noteText();
                    QVERIFY2(undid ? model == before : history.contains(model),
                             qPrintable(QString::number(step)));
                }
                break;
            }
            case 7: { // an input method commits a line break
                QInputMethodEvent commit;
                commit.setCommitString(QStringLiteral("x\ny"));
                QApplication::sendEvent(m_view.get(), &commit);
                replaced(QStringLiteral("x\ny"));
                break;
            }
            case 8: { // text with a line break dropped from another program
                QTextCursor caret = m_view->textCursor();
                caret.clearSelection();
                m_view->setTextCursor(caret);
                m_view->ensureCursorVisible();
                const QPoint at = m_view->cursorRect().center();
                const int where = m_view->toNote(m_view->cursorForPosition(at).position());
                QMimeData dropped;
                dropped.setText(QStringLiteral("p\nq"));
                QDragEnterEvent enter(at, Qt::CopyAction, &dropped, Qt::LeftButton, {});
                QDragMoveEvent move(at, Qt::CopyAction, &dropped, Qt::LeftButton, {});
                QDropEvent drop(at, Qt::CopyAction, &dropped, Qt::LeftButton, {});
                for (QEvent* event : std::initializer_list<QEvent*>{&enter, &move, &drop})
                    QApplication::sendEvent(m_view->viewport(), event);
                model.insert(where, QStringLiteral("p\nq"));
                break;
            }
            default: {
                const bool right = random.bounded(2);
                typed(right ? Qt::Key_Right : Qt::Key_Left);
                if (sel.length == 0)
                    QCOMPARE(
                        m_view->selection().location,
                        std::clamp<qsizetype>(sel.location + (right ? 1 : -1), 0, model.size()));
            }
            }
            const QByteArray where = QStringLiteral("step %1 at %2+%3")
                                         .arg(step)
                                         .arg(sel.location)
                                         .arg(sel.length)
                                         .toUtf8();
            QVERIFY2(m_view->noteText() == model, where);
            if (model != before)
                history << model;
            qsizetype line = 0;
            for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
                const bool piece = LongLines::isPiece(block);
                QVERIFY2(block.length() - 1 <= (piece ? 2 * LongLines::kPiece : kLongLine), where);
                line = (LongLines::isContinuation(block) ? line : 0) + block.length() - 1;
                QVERIFY2(!LongLines::isContinuation(block) || block.length() > 1, where);
                QVERIFY2(LongLines::isContinuation(block.next()) || piece == (line > kLongLine),
                         where);
                QVERIFY2(!piece ||
                             (!m_view->highlighter().resultFor(block) && styledIn(block).isEmpty()),
                         where);
            }
        }
    }

private:
    // Loads the text with the caret or selection marked in it (no mark: caret at the end).
    void setText(QString text)
    {
        if (!text.contains(u'|') && !text.contains(u'{'))
            text += u'|';
        const auto [plain, sel] = parseMarked(text);
        m_view->loadText(plain);
        QTextCursor c(m_view->document());
        c.setPosition(int(sel.location));
        c.setPosition(int(sel.end()), QTextCursor::KeepAnchor);
        m_view->setTextCursor(c);
    }
    // The first paragraph's own styling; Qt underlines a composition by itself.
    QStringList styled() const { return styledIn(m_view->document()->firstBlock()); }
    static QStringList styledIn(const QTextBlock& block)
    {
        return formatsOf(block).filter(QRegularExpression(": .+"));
    }
    QString shown() const
    {
        const QTextCursor c = m_view->textCursor();
        return marked(m_view->noteText(),
                      {c.selectionStart(), c.selectionEnd() - c.selectionStart()});
    }
    std::unique_ptr<EditorTextView> m_view;
};

QTEST_MAIN(TestEditorTextView)
#include "tst_editortextview.moc"
