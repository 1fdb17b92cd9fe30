// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/alerts.h"
#include "support/panelfixture.h"
#include "ui/editor/longlines.h"
#include "ui/panel/tabscrollarea.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace quelto;
using quelto::testing::answerNextAlert;
using quelto::testing::plainNote;
using quelto::testing::textsOf;

class TestNotePanel : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_now = QDateTime(QDate(2026, 1, 1), QTime(9, 0), Qt::UTC);
        m_f.emplace(QList<Note>{plainNote("scratch words", true), plainNote("# Groceries\nmilk"),
                                plainNote("third\r\nline", false, QStringLiteral("Plans"))},
                    0, [this] { return m_now; });
        m_f->panel.showPanel();
        QApplication::processEvents();
    }

    void cleanup() { m_f.reset(); }

    // Font keys and other preferences reach the open editor without reloading its note;
    // keys the panel takes are not typed as well.
    void panelKeysAndLivePreferences()
    {
        const auto ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
        EditorTextView& view = *m_f->editor();
        QTest::keyClicks(&view, " more");
        press(Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(m_f->prefs.fontSize(), 15);
        QCOMPARE(view.document()->defaultFont().pointSizeF(), 15.0);
        press(Qt::Key_Minus, Qt::ControlModifier);
        press(Qt::Key_Plus, ctrlShift); // stays with the editor: it writes the line's result
        QCOMPARE(m_f->prefs.fontSize(), 14);
        m_f->prefs.setUseMonospace(true);
        m_f->prefs.setMathEnabled(false);
        QCOMPARE(view.highlighter().theme(), (EditorTheme{14, true}));
        QVERIFY(!view.highlighter().mathEnabled());
        QVERIFY(view.document()->isUndoAvailable());

        const QList<std::pair<QKeyCombination, int>> steps{{ctrlShift | Qt::Key_BracketLeft, 2},
                                                           {ctrlShift | Qt::Key_BraceRight, 0},
                                                           {ctrlShift | Qt::Key_BracketRight, 1},
                                                           {Qt::CTRL | Qt::Key_4, 1}, // no 4th tab
                                                           {Qt::CTRL | Qt::Key_3, 2}};
        for (const auto& [key, active] : steps) {
            press(key.key(), key.keyboardModifiers());
            QCOMPARE(store().activeID(), notes()[active].id);
        }
        press(Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(store().notes().size(), 4);
        QCOMPARE(store().activeID(), store().notes().last().id);
        QCOMPARE(textsOf(store().notes()),
                 (QStringList{"scratch words more", "# Groceries\nmilk", "third\r\nline", ""}));
    }

    // Typing writes through to the store without reloading the note; switching tabs puts
    // the caret at the end and forgets the other note's undo.
    void editorAndStoreStayInStep()
    {
        EditorTextView& view = *m_f->editor();
        QCOMPARE(view.textCursor().position(), 13);
        QVERIFY(!view.document()->isUndoAvailable());
        setCaret(7);
        QSignalSpy edits(&store(), &NoteStore::noteTextChanged);
        QTest::keyClicks(&view, "-");
        QCOMPARE(edits.count(), 1);
        QCOMPARE(store().notes()[0].text, QStringLiteral("scratch- words"));
        QCOMPARE(view.textCursor().position(), 8);
        QVERIFY(view.document()->isUndoAvailable()); // not reloaded
        store().activateIndex(1);
        QCOMPARE(m_f->panel.view().editor().loadedID(), std::optional(notes()[1].id));
        QCOMPARE(view.textCursor().position(), 16);
        view.document()->undo();
        QCOMPARE(view.noteText(), QStringLiteral("# Groceries\nmilk"));
        QCOMPARE(store().notes()[0].text, QStringLiteral("scratch- words"));
        store().activateIndex(0);

        // A change from elsewhere keeps the caret where it can.
        setCaret(4);
        store().updateText(QStringLiteral("scratch is now longer"), notes()[0].id);
        QCOMPARE(m_f->editor()->noteText(), QStringLiteral("scratch is now longer"));
        QCOMPARE(m_f->editor()->textCursor().position(), 4);
        store().updateText(QStringLiteral("ab"), notes()[0].id);
        QCOMPARE(m_f->editor()->textCursor().position(), 2);
        store().updateText(QString(), notes()[0].id); // Clear Scratch
        QCOMPARE(m_f->editor()->noteText(), QString());
        // Text arriving in an empty note (the welcome note) leaves the caret after it.
        store().updateText(QStringLiteral("welcome"), notes()[0].id);
        QCOMPARE(m_f->editor()->textCursor().position(), 7);

        // A line held in pieces reaches the store as one line, edits at a break too.
        QString line;
        for (int i = 0; line.size() <= 3 * kLongLine; ++i)
            line += QStringLiteral("w%1 ").arg(i);
        store().updateText(line, notes()[0].id);
        const QTextBlock third = view.document()->firstBlock().next().next();
        QVERIFY(LongLines::isContinuation(third));
        const int at = view.toNote(third.position());
        QTextCursor caret(view.document());
        caret.setPosition(third.position());
        view.setTextCursor(caret);
        QTest::keyClick(&view, Qt::Key_Backspace);
        QTest::keyClick(&view, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(&view, "x");
        line.replace(at - 1, 1, QStringLiteral("\nx"));
        QCOMPARE(view.noteText(), line);
        QCOMPARE(store().notes()[0].text, line);

        // Not while a composition is open.
        store().updateText(QStringLiteral("scratch words"), notes()[0].id);
        QInputMethodEvent compose(QStringLiteral("ka"), {});
        QApplication::sendEvent(m_f->editor(), &compose);
        store().updateText(QStringLiteral("changed elsewhere"), notes()[0].id);
        QCOMPARE(m_f->editor()->noteText(), QStringLiteral("scratch words"));
        QInputMethodEvent cancel;
        QApplication::sendEvent(m_f->editor(), &cancel);
        m_f->panel.view().editor().update();
        QCOMPARE(m_f->editor()->noteText(), QStringLiteral("changed elsewhere"));
    }

    void linkTheDesktopCannotOpenIsReported()
    {
        EditorBridge& bridge = m_f->panel.view().editor();
        QSignalSpy failed(&bridge, &EditorBridge::linkOpenFailed);
        bridge.setUrlOpener([](const QUrl&) { return false; }); // the desktop could not open it
        emit m_f->editor()->linkActivated(QUrl("https://example.com/"));
        QCOMPARE(failed, QList<QVariantList>{{QUrl("https://example.com/")}});
    }

    // Renames commit on Return or when focus leaves, survive changes elsewhere in the
    // store, and Escape cancels one before it hides the panel.
    void renameCommitsCancelsAndThenEscapeHides()
    {
        TabStrip* strip = m_f->panel.view().tabStrip();
        strip->beginRename(notes()[0].id); // Scratch cannot be renamed
        QVERIFY(!strip->renamingID());

        rename(notes()[1].id, "Shopping");
        QTest::keyClick(strip->renameField(), Qt::Key_Return);
        QCOMPARE(store().notes()[1].customTitle, std::optional<QString>("Shopping"));
        rename(notes()[1].id, "   ");
        m_f->editor()->setFocus();
        QTRY_VERIFY(!strip->renamingID());
        QCOMPARE(store().notes()[1].title(), QStringLiteral("Groceries"));

        rename(notes()[2].id, "Half");
        store().updateText(QStringLiteral("changed"), notes()[0].id);
        store().createNote();
        QVERIFY(strip->renameField() && strip->renameField()->hasFocus());
        QCOMPARE(strip->renameField()->text(), QStringLiteral("Half"));
        press(Qt::Key_Escape);
        QVERIFY(!strip->renamingID());
        QCOMPARE(store().notes()[2].customTitle, std::optional<QString>("Plans"));
        QVERIFY(m_f->panel.controller().isVisible());
        QTRY_VERIFY(m_f->editor()->hasFocus());
        store().updateText(QStringLiteral("typed"), notes()[2].id);
        press(Qt::Key_Escape);
        QVERIFY(!m_f->panel.controller().isVisible());
        QVERIFY(!store().hasPendingSaves()); // hiding saved at once
    }

    void closeTabAsksOnlyForNotesWithText()
    {
        press(Qt::Key_W, Qt::ControlModifier); // Scratch: nothing
        QCOMPARE(store().notes().size(), 3);

        store().activateIndex(1);
        auto said = answerNextAlert(QStringLiteral("Cancel"));
        press(Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(store().notes().size(), 3);
        QVERIFY2(said->value(0).contains(u"Groceries"), qPrintable(said->join(u'|')));
        QCOMPARE(said->last(), QStringLiteral("default: Move to Trash"));

        answerNextAlert(QStringLiteral("Move to Trash"));
        m_f->panel.closeTab(notes()[2].id);
        QCOMPARE(store().notes().size(), 2);

        const Note blank = *store().createNote();
        store().updateText(QStringLiteral("  \n "), blank.id);
        m_f->panel.closeTab(blank.id); // no alert: a blank note closes at once
        QCOMPARE(store().notes().size(), 2);
    }

    void clearScratchIsUndoable()
    {
        // Whatever its line ends: the editor shows them all as one kind.
        for (const QString& text :
             {QStringLiteral("scratch words"), QStringLiteral("a\r\nb\r\nc")}) {
            store().updateText(text, notes()[0].id);
            store().activateIndex(1);
            press(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(store().activeID(), notes()[0].id);
            QTRY_COMPARE(store().notes()[0].text, QString());
            m_f->editor()->document()->undo();
            QCOMPARE(store().notes()[0].text, text);
        }
    }

    // The toast neither takes the focus nor stays; a failing note raises it once a minute.
    void saveFailureToastAtMostOnceAMinute()
    {
        ToastController& toast = m_f->panel.toast();
        m_f->repo->failingIDs = {notes()[0].id};
        store().updateText(QStringLiteral("a"), notes()[0].id);
        store().flush();
        QTRY_VERIFY(toast.window());
        QPointer<QWidget> first = toast.window();
        QVERIFY(first->testAttribute(Qt::WA_ShowWithoutActivating));

        m_now = m_now.addSecs(10);
        store().flush();
        QTest::qWait(50);
        QCOMPARE(toast.window(), first.data());

        m_now = m_now.addSecs(60);
        store().flush();
        QTRY_VERIFY(!first);
        QVERIFY(toast.window());
        QTRY_VERIFY_WITH_TIMEOUT(!toast.window(), ToastController::kShowMs + 2000);
    }

    // Drags move a tab step by step, never onto or away from Scratch; tab widgets (the
    // dragged one owns the drag) live through moves, typing and a new tab.
    void tabStripDragsReorder()
    {
        TabStrip* strip = m_f->panel.view().tabStrip();
        const QPointer<QWidget> dragged = strip->tabFor(notes()[2].id);
        const QPointer<QWidget> scratchTab = strip->tabFor(notes()[0].id);
        QTest::keyClicks(m_f->editor(), "typed");
        strip->dragEntered(notes()[2].id, notes()[1].id); // tab 2 over tab 1
        QCOMPARE(titles(), (QStringList{"Scratch", "Plans", "Groceries"}));
        const Note fourth = *store().createNote();
        store().rename(fourth.id, QStringLiteral("Fourth"));
        strip->dragEntered(fourth.id, notes()[0].id);     // onto Scratch: nothing
        strip->dragEntered(notes()[0].id, notes()[1].id); // nor does Scratch move
        QCOMPARE(titles(), (QStringList{"Scratch", "Plans", "Groceries", "Fourth"}));
        strip->dragEntered(notes()[2].id, fourth.id); // and on to the end
        QCOMPARE(titles(), (QStringList{"Scratch", "Groceries", "Fourth", "Plans"}));
        QCOMPARE(strip->tabFor(notes()[2].id), dragged.data());
        QCOMPARE(strip->tabFor(notes()[0].id), scratchTab.data());
    }

    void twelveTabsScrollStayInViewAndShowWhatIsHidden()
    {
        TabStrip* strip = m_f->panel.view().tabStrip();
        while (store().createNote()) {
        }
        QVERIFY(!strip->newTabButton()->isEnabled());
        // At the limit, + stays in reach and Ctrl+T says why nothing happens.
        const QWidget* add = strip->newTabButton();
        QTRY_VERIFY(strip->rect().contains(QRect(add->mapTo(strip, QPoint()), add->size())));
        TabScrollArea* scroll = strip->scrollArea();
        // Shown whole: the chevrons have room of their own.
        const auto inView = [&](int i) {
            const QWidget* tab = strip->tabFor(store().notes()[i].id);
            const int left = tab->mapTo(scroll->viewport(), QPoint()).x();
            return left >= 0 && left + tab->width() <= scroll->viewport()->width();
        };
        const auto lastInView = [&] {
            int last = 0;
            while (last + 1 < NoteStore::kMaxNotes && inView(last + 1))
                ++last;
            return last;
        };
        press(Qt::Key_1, Qt::ControlModifier);
        QTRY_VERIFY(inView(0));
        QTRY_VERIFY(!scroll->backButton()->isEnabled() && scroll->forwardButton()->isEnabled());
        QVERIFY(scroll->viewport()->geometry().left() >= scroll->backButton()->geometry().right());
        const int shown = lastInView();
        QTest::mouseClick(scroll->forwardButton(), Qt::LeftButton);
        QCOMPARE(lastInView(), shown + 1); // one tab per click

        press(Qt::Key_9, Qt::ControlModifier);
        QTRY_VERIFY(inView(8));
        QVERIFY(scroll->backButton()->isEnabled());
        press(Qt::Key_T, Qt::ControlModifier);
        QTRY_VERIFY(m_f->panel.toast().window());
        QVERIFY(m_f->panel.toast().window()->findChild<QLabel*>()->text().contains("12 tabs"));
    }

    // Ctrl+Tab and F6 leave the editor, where Tab indents: through the controls in the
    // order shown, or by area. Arrows go between tabs; F2 renames.
    void keyboardReachesEveryControl()
    {
        const auto tab = [this](int i) {
            return m_f->panel.view().tabStrip()->tabFor(notes()[i].id);
        };
        press(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), tab(0));
        press(Qt::Key_Right);
        QCOMPARE(store().activeID(), notes()[1].id);
        QCOMPARE(QApplication::focusWidget(), tab(1));
        press(Qt::Key_Tab); // its close button
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), tab(2));
        press(Qt::Key_Tab);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), m_f->panel.view().moreButton());
        press(Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), m_f->editor());
        press(Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), tab(1));
        press(Qt::Key_F6, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), m_f->editor());
        press(Qt::Key_F2);
        QTRY_VERIFY(m_f->panel.view().tabStrip()->renameField() &&
                    m_f->panel.view().tabStrip()->renameField()->hasFocus());

        // No keys mean two commands: the panel sees every key before the editor does.
        QSet<QKeySequence> taken;
        for (std::size_t i = 0; i < kCommandCount; ++i) {
            for (const QKeySequence& keys : commandInfo(Command(i)).keys) {
                QVERIFY2(!taken.contains(keys), qPrintable(keys.toString()));
                taken.insert(keys);
            }
        }
    }

    void findStepsThroughTheNoteAndEscClosesOnlyTheField()
    {
        store().updateText(QStringLiteral("Milk\nbread\nmilk and MILK"), notes()[0].id);
        EditorTextView* editor = m_f->editor();
        editor->moveCursor(QTextCursor::Start);
        press(Qt::Key_F, Qt::ControlModifier);
        FindBar* bar = m_f->panel.view().findBar();
        QTRY_VERIFY(bar->field()->hasFocus());
        QTest::keyClicks(bar->field(), "milk");
        const auto state = [&] {
            return bar->count()->text() + u' ' +
                   QString::number(editor->textCursor().selectionStart()) + u'+' +
                   QString::number(editor->textCursor().selectedText().size());
        };
        QCOMPARE(state(), QStringLiteral("1 of 3 0+4"));
        QTest::keyClick(bar->field(), Qt::Key_Return);
        QCOMPARE(state(), QStringLiteral("2 of 3 11+4"));
        QTest::keyClick(bar->field(), Qt::Key_Return);
        QTest::keyClick(bar->field(), Qt::Key_Return); // past the last: back to the first
        QTest::keyClick(bar->field(), Qt::Key_Return, Qt::ShiftModifier); // and back again
        QCOMPARE(state(), QStringLiteral("3 of 3 20+4"));
        QCOMPARE(editor->extraSelections().size(), 3);
        // Tabbing on into the editor leaves the caret after the match, not the match
        // selected for the next key to type over.
        for (int i = 0; i < 4; ++i)
            press(Qt::Key_Tab);
        QVERIFY(editor->hasFocus());
        QCOMPARE(state(), QStringLiteral("3 of 3 24+0"));
        bar->field()->setFocus();
        QTest::keyClicks(bar->field(), "y");
        QCOMPARE(bar->count()->text(), QStringLiteral("No matches"));

        press(Qt::Key_Escape);
        QVERIFY(bar->isHidden());
        QVERIFY(m_f->panel.controller().isVisible());
        QVERIFY(editor->extraSelections().isEmpty());
        QTRY_VERIFY(editor->hasFocus());
    }

    void findInAllTabsListsAndShowsTheChosenMatch()
    {
        store().updateText(QStringLiteral("tea\ncoffee"), notes()[0].id);
        store().updateText(QStringLiteral("# Groceries\nmilk\nCoffee beans\nmore coffee"),
                           notes()[1].id);
        press(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        FindBar* bar = m_f->panel.view().findBar();
        QTRY_VERIFY(bar->field()->hasFocus());
        QTest::keyClicks(bar->field(), "coffee");
        QStringList listed;
        for (int i = 0; i < bar->results()->count(); ++i)
            listed << bar->results()->item(i)->text();
        QCOMPARE(listed,
                 (QStringList{"Scratch · line 2 — coffee", "Groceries · line 3 — Coffee beans",
                              "Groceries · line 4 — more coffee"}));
        QCOMPARE(bar->count()->text(), QStringLiteral("3 in 2 tabs"));

        QTest::keyClick(bar->field(), Qt::Key_Down);
        QTest::keyClick(bar->field(), Qt::Key_Down);
        QTest::keyClick(bar->field(), Qt::Key_Return);
        QCOMPARE(store().activeID(), notes()[1].id);
        QCOMPARE(m_f->editor()->textCursor().selectedText(), QStringLiteral("coffee"));
        QCOMPARE(m_f->editor()->textCursor().selectionStart(), 35);
        // Finding goes on in that note.
        QVERIFY(bar->results()->isHidden());
        QCOMPARE(bar->count()->text(), QStringLiteral("2 of 2"));
    }

private:
    NoteStore& store() { return m_f->store; }
    const QList<Note>& notes() const { return m_f->notes; }
    QStringList titles() const
    {
        QStringList out;
        for (const Note& n : m_f->store.notes())
            out << n.title();
        return out;
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : m_f->editor(), Qt::Key(key), modifiers);
    }
    void setCaret(int position)
    {
        QTextCursor c = m_f->editor()->textCursor();
        c.setPosition(position);
        m_f->editor()->setTextCursor(c);
    }
    // Opens the rename field on `id` and types `text` over the title.
    void rename(const QUuid& id, const char* text)
    {
        TabStrip* strip = m_f->panel.view().tabStrip();
        strip->beginRename(id);
        QTRY_VERIFY(strip->renameField() && strip->renameField()->hasFocus());
        strip->renameField()->selectAll();
        QTest::keyClicks(strip->renameField(), text);
    }

    std::optional<quelto::testing::PanelFixture> m_f;
    QDateTime m_now;
};

QTEST_MAIN(TestNotePanel)
#include "tst_notepanel.moc"
