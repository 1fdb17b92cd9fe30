#include "ui/editor/editortextview.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

using namespace quelto;

namespace {

// The formats the highlighter gave the characters of one block, as "from+length: what".
QStringList formatsOf(const QTextBlock& block)
{
    QStringList out;
    for (const QTextLayout::FormatRange& r : block.layout()->formats()) {
        QStringList what;
        if (r.format.fontWeight() >= QFont::Bold)
            what << "bold";
        if (r.format.fontItalic())
            what << "italic";
        if (r.format.fontStrikeOut())
            what << "strike";
        if (r.format.hasProperty(NoteMarker))
            what << "marker";
        if (r.format.hasProperty(NoteCheckbox))
            what << (r.format.property(NoteCheckbox).toBool() ? "ticked" : "open");
        if (r.format.hasProperty(NoteLink))
            what << "link";
        out << QStringLiteral("%1+%2: %3").arg(r.start).arg(r.length).arg(what.join(u' '));
    }
    return out;
}

// A double click as the platform delivers it: the second press comes as a press
// (then a double-click event) within the double-click interval.
void realDoubleClick(QWidget* widget, QPoint at)
{
    static quint64 time = 1'000'000;
    time += 10'000;
    const QPointF global = widget->mapToGlobal(at);
    auto send = [&](QEvent::Type type, Qt::MouseButtons buttons, quint64 t) {
        QMouseEvent event(type, at, global, Qt::LeftButton, buttons, Qt::NoModifier);
        event.setTimestamp(t);
        QApplication::sendEvent(widget, &event);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton, time);
    send(QEvent::MouseButtonRelease, Qt::NoButton, time + 40);
    send(QEvent::MouseButtonPress, Qt::LeftButton, time + 120);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton, time + 120);
    send(QEvent::MouseButtonRelease, Qt::NoButton, time + 160);
}

QPoint pointOf(const EditorTextView& view, int position)
{
    QTextCursor c(view.document());
    c.setPosition(position);
    const QRect caret = view.cursorRect(c);
    return QPoint(caret.x() + 3, caret.center().y());
}

} // namespace

class TestEditorTextView : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_view.reset(); }
    void typingStylesAtOnceWithoutChangingText();
    void returnContinuesListsUnlessModified();
    void returnRenumbersOrderedList();
    void tabKeysIndentOnlyListItems();
    void ctrlKeysWrapAndUndoInOneStep();
    void ctrlShiftEqualsWritesTheLineResult();
    void mathResultsFollowTextAndSetting();
    void clickTogglesBoxOnlyWhenPlainSingle();
    void ctrlClickOpensOnlyAllowedLinks();
    void clickOnResultCopiesIt();
    void pasteMakesLinksOtherwisePlainText();
    void copyYieldsPlainText();
    void compositionRestylesOnlyOnCommit();
    void readOnlyIgnoresEdits();
    void keepsNonBreakingSpaces();

private:
    void setText(const QString& text, int caret = -1)
    {
        m_view->loadText(text);
        QTextCursor c(m_view->document());
        c.setPosition(caret < 0 ? int(text.size()) : caret);
        m_view->setTextCursor(c);
    }
    std::unique_ptr<EditorTextView> m_view;
};

void TestEditorTextView::init()
{
    m_view = std::make_unique<EditorTextView>(14, false, true);
    m_view->resize(600, 400);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    m_view->setFocus();
}

void TestEditorTextView::typingStylesAtOnceWithoutChangingText()
{
    QTest::keyClicks(m_view.get(), "say **hi**");
    QCOMPARE(m_view->noteText(), QStringLiteral("say **hi**"));
    QCOMPARE(formatsOf(m_view->document()->firstBlock()),
             (QStringList{"4+2: marker", "6+2: bold", "8+2: marker"}));
    QTest::keyClick(m_view.get(), Qt::Key_Backspace);
    QCOMPARE(formatsOf(m_view->document()->firstBlock()), QStringList{});
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QTest::keyClicks(m_view.get(), "- [x] milk");
    QCOMPARE(formatsOf(m_view->document()->lastBlock()),
             (QStringList{"0+1: ", "2+3: ticked", "5+5: strike"}));
}

void TestEditorTextView::returnContinuesListsUnlessModified()
{
    setText("- item");
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QCOMPARE(m_view->noteText(), QStringLiteral("- item\n- "));
    QTest::keyClick(m_view.get(), Qt::Key_Return); // an empty item ends the list
    QCOMPARE(m_view->noteText(), QStringLiteral("- item\n"));
    for (Qt::KeyboardModifier modifier :
         {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier, Qt::MetaModifier}) {
        setText("- item");
        QTest::keyClick(m_view.get(), Qt::Key_Return, modifier);
        QCOMPARE(m_view->noteText(), QStringLiteral("- item\n"));
    }
    setText("- item");
    QTest::keyClick(m_view.get(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(m_view->noteText(), QStringLiteral("- item\n- "));
}

void TestEditorTextView::returnRenumbersOrderedList()
{
    setText("1. a\n2. b\n3. c", 4);
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QCOMPARE(m_view->noteText(), QStringLiteral("1. a\n2. \n3. b\n4. c"));
    QCOMPARE(m_view->textCursor().position(), 8);
}

void TestEditorTextView::tabKeysIndentOnlyListItems()
{
    setText("- a");
    QTest::keyClick(m_view.get(), Qt::Key_Tab);
    QCOMPARE(m_view->noteText(), QStringLiteral("  - a"));
    QTest::keyClick(m_view.get(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(m_view->noteText(), QStringLiteral("- a"));
    setText("plain");
    QTest::keyClick(m_view.get(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(m_view->noteText(), QStringLiteral("plain"));
    QTest::keyClick(m_view.get(), Qt::Key_Tab);
    QCOMPARE(m_view->noteText(), QStringLiteral("plain\t"));
}

void TestEditorTextView::ctrlKeysWrapAndUndoInOneStep()
{
    setText("make word bold");
    QTextCursor c(m_view->document());
    c.setPosition(5);
    c.setPosition(9, QTextCursor::KeepAnchor);
    m_view->setTextCursor(c);
    QTest::keyClick(m_view.get(), Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(m_view->noteText(), QStringLiteral("make **word** bold"));
    QCOMPARE(m_view->textCursor().selectedText(), QStringLiteral("word"));
    m_view->document()->undo();
    QCOMPARE(m_view->noteText(), QStringLiteral("make word bold"));

    setText("x");
    QTest::keyClick(m_view.get(), Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(m_view->noteText(), QStringLiteral("x``"));
    QTest::keyClick(m_view.get(), Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(m_view->noteText(), QStringLiteral("- [ ] x``"));
    QApplication::clipboard()->setText(QStringLiteral("two words"));
    setText("label", 0);
    QTest::keyClick(m_view.get(), Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(m_view->noteText(), QStringLiteral("[]()label"));
}

void TestEditorTextView::ctrlShiftEqualsWritesTheLineResult()
{
    setText("= 6 * 8\r\nnext", 2);
    QTest::keyClick(m_view.get(), Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_view->noteText(), QStringLiteral("= 6 * 8 = 48\nnext"));
    QCOMPARE(m_view->textCursor().position(), 12);
    QTest::keyClick(m_view.get(), Qt::Key_Down);
    QTest::keyClick(m_view.get(), Qt::Key_Equal, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_view->noteText(), QStringLiteral("= 6 * 8 = 48\nnext"));
}

void TestEditorTextView::mathResultsFollowTextAndSetting()
{
    setText("= 2\n\n= 3\n= sum");
    const QMap<int, QString> expected{{0, "2"}, {5, "3"}, {9, "3"}};
    QCOMPARE(m_view->highlighter().mathResults(), expected);
    m_view->highlighter().setMathEnabled(false);
    QVERIFY(m_view->highlighter().mathResults().isEmpty());
    m_view->highlighter().setMathEnabled(true);
    QCOMPARE(m_view->highlighter().mathResults(), expected);
    setText(QString());
    QVERIFY(m_view->highlighter().mathResults().isEmpty());
}

void TestEditorTextView::clickTogglesBoxOnlyWhenPlainSingle()
{
    setText("- [ ] milk");
    const QPoint box = pointOf(*m_view, 3);
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::ShiftModifier, box);
    QCOMPARE(m_view->noteText(), QStringLiteral("- [ ] milk"));
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, box);
    QCOMPARE(m_view->noteText(), QStringLiteral("- [x] milk"));
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, pointOf(*m_view, 7));
    QCOMPARE(m_view->noteText(), QStringLiteral("- [x] milk"));
    realDoubleClick(m_view->viewport(), box);
    QCOMPARE(m_view->noteText(), QStringLiteral("- [ ] milk")); // only the first press counts
}

void TestEditorTextView::ctrlClickOpensOnlyAllowedLinks()
{
    QList<QUrl> opened;
    connect(m_view.get(), &EditorTextView::linkActivated, this,
            [&](const QUrl& url) { opened << url; });
    setText("see https://example.com/a and [f](ftp://x.example/f)");
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::ControlModifier, pointOf(*m_view, 8));
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      pointOf(*m_view, 31));
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, pointOf(*m_view, 8));
    QCOMPARE(opened, QList<QUrl>{QUrl("https://example.com/a")});
}

void TestEditorTextView::clickOnResultCopiesIt()
{
    QSignalSpy copied(m_view.get(), &EditorTextView::resultCopied);
    setText("= 6 * 8\nmore", 0);
    const std::optional<QRectF> rect = m_view->resultRect(0);
    QVERIFY(rect);
    QVERIFY(!m_view->resultRect(8));
    QVERIFY(rect->right() <= m_view->viewport()->width() - EditorTextView::kResultInset);
    m_view->setReadOnly(true); // works in a read-only view too
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, rect->center().toPoint());
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("48"));
    QCOMPARE(copied, QList<QVariantList>{{QStringLiteral("48")}});
    QCOMPARE(m_view->textCursor().position(), 0);
}

void TestEditorTextView::pasteMakesLinksOtherwisePlainText()
{
    auto paste = [&](const QString& text, int from, int to) {
        QTextCursor c(m_view->document());
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        m_view->setTextCursor(c);
        auto* mime = new QMimeData;
        mime->setText(text);
        mime->setHtml(QStringLiteral("<b>") + text + QStringLiteral("</b>"));
        QApplication::clipboard()->setMimeData(mime);
        m_view->paste();
    };
    setText("read docs");
    paste(" https://example.com/d ", 5, 9);
    QCOMPARE(m_view->noteText(), QStringLiteral("read [docs](https://example.com/d)"));
    setText("mail me");
    paste("mailto:ann@example.org", 5, 7);
    QCOMPARE(m_view->noteText(), QStringLiteral("mail [me](mailto:ann@example.org)"));
    setText("x");
    paste("ftp://example.com", 0, 1);
    QCOMPARE(m_view->noteText(), QStringLiteral("ftp://example.com"));
    setText("ab");
    paste("https://example.com", 1, 1);
    QCOMPARE(m_view->noteText(), QStringLiteral("ahttps://example.comb"));
    QCOMPARE(formatsOf(m_view->document()->firstBlock()), QStringList{}); // no bold came in
}

void TestEditorTextView::copyYieldsPlainText()
{
    setText("# Title\n**bold**");
    m_view->selectAll();
    m_view->copy();
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    QCOMPARE(copied->formats(), QStringList{"text/plain"});
    QCOMPARE(copied->text(), QStringLiteral("# Title\n**bold**"));
}

void TestEditorTextView::compositionRestylesOnlyOnCommit()
{
    setText("say ");
    // Only our styling counts; Qt underlines the composition itself.
    auto styled = [&] {
        return formatsOf(m_view->document()->firstBlock()).filter(QRegularExpression(": .+"));
    };
    QInputMethodEvent compose(QStringLiteral("**hi**"), {});
    QApplication::sendEvent(m_view.get(), &compose);
    QCOMPARE(m_view->noteText(), QStringLiteral("say "));
    QCOMPARE(styled(), QStringList{});
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("**hi**"));
    QApplication::sendEvent(m_view.get(), &commit);
    QCOMPARE(m_view->noteText(), QStringLiteral("say **hi**"));
    QCOMPARE(formatsOf(m_view->document()->firstBlock()),
             (QStringList{"4+2: marker", "6+2: bold", "8+2: marker"}));
}

void TestEditorTextView::readOnlyIgnoresEdits()
{
    setText("- a");
    m_view->setReadOnly(true);
    m_view->applyEdit({{0, 1}, "*", {0, 0}});
    QTest::keyClick(m_view.get(), Qt::Key_B, Qt::ControlModifier);
    QApplication::clipboard()->setText(QStringLiteral("https://example.com"));
    m_view->selectAll();
    m_view->paste();
    QCOMPARE(m_view->noteText(), QStringLiteral("- a"));
    m_view->setReadOnly(false);
    m_view->applyEdit({{2, 5}, "*", {0, 0}}); // past the end: ignored
    QCOMPARE(m_view->noteText(), QStringLiteral("- a"));
}

void TestEditorTextView::keepsNonBreakingSpaces()
{
    const QString text = QString::fromUtf16(u"100\u00A0km\u2028next");
    setText(text);
    QCOMPARE(m_view->noteText(), text);
}

QTEST_MAIN(TestEditorTextView)
#include "tst_editortextview.moc"
