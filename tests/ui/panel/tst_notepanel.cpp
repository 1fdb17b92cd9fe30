// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/alerts.h"
#include "support/memorynoterepository.h"
#include "support/notes.h"
#include "ui/panel/notepanelcontroller.h"
#include "ui/panel/tabscrollarea.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace quelto;
using namespace std::chrono_literals;
using quelto::testing::answerNextAlert;
using quelto::testing::plainNote;

class TestNotePanel : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_repo = std::make_shared<MemoryNoteRepository>();
        m_notes = {plainNote("scratch words", true), plainNote("# Groceries\nmilk"),
                   plainNote("third", false, QStringLiteral("Plans"))};
        m_repo->index = NoteIndex{m_notes, m_notes[0].id};
        m_store = std::make_unique<NoteStore>(m_repo, 10s);
        m_prefs = std::make_unique<Preferences>(
            std::make_unique<QSettings>(m_dir->filePath("p.ini"), QSettings::IniFormat));
        m_frames = std::make_unique<QSettings>(m_dir->filePath("f.ini"), QSettings::IniFormat);
        m_state = std::make_unique<PanelState>();
        m_calls.clear();
        m_now = QDateTime(QDate(2026, 1, 1), QTime(9, 0), Qt::UTC);
        m_commands = std::make_unique<CommandTable>();
        m_commands->bind(Command::Settings, [this] { m_calls << "settings"; });
        m_commands->bind(Command::Quit, [this] { m_calls << "quit"; });
        m_panel = std::make_unique<NotePanelController>(*m_store, *m_prefs, *m_state, *m_commands,
                                                        *m_frames, [this] { return m_now; });
        m_panel->showPanel();
        QApplication::processEvents();
    }

    void cleanup()
    {
        m_panel.reset();
        m_store.reset();
        m_prefs.reset(); // settings write on their way out, before their folder goes
        m_frames.reset();
        m_dir.reset();
    }

    void tabKeysCycleAndJump()
    {
        press(Qt::Key_BracketLeft, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_store->activeID(), m_notes[2].id);
        press(Qt::Key_BraceRight, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_store->activeID(), m_notes[0].id);
        press(Qt::Key_BracketRight, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_store->activeID(), m_notes[1].id);
        press(Qt::Key_4, Qt::ControlModifier);
        QCOMPARE(m_store->activeID(), m_notes[1].id);
        press(Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(m_store->activeID(), m_notes[2].id);
        press(Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(m_store->notes().size(), 4);
        QCOMPARE(m_store->activeID(), m_store->notes().last().id);
        press(Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(m_calls, QStringList{"settings"});
    }

    void fontKeysClamp()
    {
        m_prefs->setFontSize(19);
        press(Qt::Key_Equal, Qt::ControlModifier);
        press(Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(m_prefs->fontSize(), 20);
        press(Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(m_prefs->fontSize(), 19);
        // Ctrl+Shift+= stays with the editor (it writes the line's result).
        press(Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_prefs->fontSize(), 19);
    }

    void escapeCancelsRenameThenHides()
    {
        m_store->activateIndex(2);
        emit m_panel->renameActiveTab();
        QTRY_VERIFY(m_panel->view().tabStrip()->renameField() &&
                    m_panel->view().tabStrip()->renameField()->hasFocus());
        QTest::keyClicks(m_panel->view().tabStrip()->renameField(), "X");
        press(Qt::Key_Escape);
        QVERIFY(!m_panel->view().tabStrip()->renamingID());
        QCOMPARE(m_store->notes()[2].customTitle, std::optional<QString>("Plans"));
        QVERIFY(m_panel->controller().isVisible());
        QTRY_VERIFY(m_panel->view().editor().textView()->hasFocus());
        m_store->updateText(QStringLiteral("typed"), m_notes[2].id);
        press(Qt::Key_Escape);
        QVERIFY(!m_panel->controller().isVisible());
        QVERIFY(!m_store->hasPendingSaves()); // hiding saved at once
    }

    void closeTabAsksOnlyForNotesWithText()
    {
        press(Qt::Key_W, Qt::ControlModifier); // Scratch: nothing
        QCOMPARE(m_store->notes().size(), 3);

        m_store->activateIndex(1);
        auto said = answerNextAlert(QStringLiteral("Cancel"));
        press(Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(m_store->notes().size(), 3);
        QCOMPARE(*said,
                 (QStringList{"Move “Groceries” to the Trash?",
                              "The tab closes and its note file goes to the Trash, where you can "
                              "get it back from the file manager.",
                              "Move to Trash", "Cancel", "default: Move to Trash"}));

        said = answerNextAlert(QStringLiteral("Move to Trash"));
        m_panel->closeTab(m_notes[2].id);
        QCOMPARE(said->value(0), QStringLiteral("Move “Plans” to the Trash?"));
        QCOMPARE(m_store->notes().size(), 2);

        const Note blank = *m_store->createNote();
        m_store->updateText(QStringLiteral("  \n "), blank.id);
        m_panel->closeTab(blank.id); // no alert: a blank note closes at once
        QCOMPARE(m_store->notes().size(), 2);
    }

    void clearScratchIsUndoable()
    {
        m_store->activateIndex(1);
        press(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_store->activeID(), m_notes[0].id);
        QTRY_COMPARE(m_store->notes()[0].text, QString());
        EditorTextView* view = m_panel->view().editor().textView();
        view->document()->undo();
        QCOMPARE(m_store->notes()[0].text, QStringLiteral("scratch words"));
    }

    void saveFailureToastAtMostOnceAMinute()
    {
        m_repo->failingIDs = {m_notes[0].id};
        m_store->updateText(QStringLiteral("a"), m_notes[0].id);
        m_store->flush();
        QTRY_VERIFY(m_panel->toast().window());
        QPointer<QWidget> first = m_panel->toast().window();
        QCOMPARE(first->findChild<QLabel*>()->text(), QStringLiteral("Couldn't save note"));

        m_now = m_now.addSecs(10);
        m_store->flush();
        QTest::qWait(50);
        QCOMPARE(m_panel->toast().window(), first.data());

        m_now = m_now.addSecs(60);
        m_store->flush();
        QTRY_VERIFY(m_panel->toast().window() != first.data());
    }

    void tabStripRenameRules()
    {
        TabStrip* strip = m_panel->view().tabStrip();
        strip->beginRename(m_notes[0].id); // Scratch cannot be renamed
        QVERIFY(!strip->renamingID());

        strip->beginRename(m_notes[1].id);
        QTRY_VERIFY(strip->renameField() && strip->renameField()->hasFocus());
        QCOMPARE(strip->renameField()->text(), QStringLiteral("Groceries"));
        strip->renameField()->selectAll();
        QTest::keyClicks(strip->renameField(), "Shopping");
        QTest::keyClick(strip->renameField(), Qt::Key_Return);
        QCOMPARE(m_store->notes()[1].customTitle, std::optional<QString>("Shopping"));

        // Focus moving to the editor commits too.
        strip->beginRename(m_notes[1].id);
        QTRY_VERIFY(strip->renameField() && strip->renameField()->hasFocus());
        strip->renameField()->selectAll();
        QTest::keyClicks(strip->renameField(), "   ");
        m_panel->view().editor().textView()->setFocus();
        QTRY_VERIFY(!strip->renamingID());
        QCOMPARE(m_store->notes()[1].customTitle, std::nullopt);
        QCOMPARE(m_store->notes()[1].title(), QStringLiteral("Groceries"));
    }

    // Drags move a tab step by step, never onto or away from Scratch; the dragged tab's
    // widget (which owns the drag) lives through the moves and through a new tab.
    void tabStripDragsReorder()
    {
        TabStrip* strip = m_panel->view().tabStrip();
        const QPointer<QWidget> dragged = strip->tabFor(m_notes[2].id);
        strip->dragEntered(m_notes[2].id, m_notes[1].id); // tab 2 over tab 1
        QCOMPARE(titles(), (QStringList{"Scratch", "Plans", "Groceries"}));
        const Note fourth = *m_store->createNote();
        m_store->rename(fourth.id, QStringLiteral("Fourth"));
        strip->dragEntered(fourth.id, m_notes[0].id);     // onto Scratch: nothing
        strip->dragEntered(m_notes[0].id, m_notes[1].id); // nor does Scratch move
        QCOMPARE(titles(), (QStringList{"Scratch", "Plans", "Groceries", "Fourth"}));
        strip->dragEntered(m_notes[2].id, fourth.id); // and on to the end
        QCOMPARE(titles(), (QStringList{"Scratch", "Groceries", "Fourth", "Plans"}));
        QCOMPARE(strip->tabFor(m_notes[2].id), dragged.data());
    }

    void tabWidgetsLiveThroughTypingAndRenames()
    {
        TabStrip* strip = m_panel->view().tabStrip();
        const QPointer<QWidget> scratchTab = strip->tabFor(m_notes[0].id);
        QTest::keyClicks(m_panel->view().editor().textView(), "typed");
        QCOMPARE(strip->tabFor(m_notes[0].id), scratchTab.data());

        // A rename in progress survives changes elsewhere in the store.
        strip->beginRename(m_notes[1].id);
        QTRY_VERIFY(strip->renameField() && strip->renameField()->hasFocus());
        QTest::keyClicks(strip->renameField(), "Half");
        m_store->updateText(QStringLiteral("changed"), m_notes[0].id);
        m_store->createNote();
        m_store->activateIndex(1);
        QVERIFY(strip->renameField() && strip->renameField()->hasFocus());
        QCOMPARE(strip->renameField()->text(), QStringLiteral("Half"));
        QCOMPARE(m_store->notes()[0].text, QStringLiteral("changed"));
    }

    void tabStripControlsFollowState()
    {
        TabStrip* strip = m_panel->view().tabStrip();
        auto menuTexts = [&](const QUuid& id) {
            QStringList out;
            std::unique_ptr<QMenu> menu(strip->contextMenuFor(id, nullptr));
            for (QAction* a : menu->actions())
                out << a->text();
            return out;
        };
        QCOMPARE(menuTexts(m_notes[0].id), QStringList{"Clear Scratch"});
        QCOMPARE(menuTexts(m_notes[1].id), (QStringList{"Rename…", "Close Tab"}));

        const auto closeShown = [&](int tab) {
            auto* close = strip->tabFor(m_notes[tab].id)->findChild<QToolButton*>("close");
            return close && !close->isHidden();
        };
        QVERIFY(!closeShown(0));
        m_store->activateIndex(1);
        QVERIFY(closeShown(1));
        QVERIFY(!closeShown(2));

        QVERIFY(strip->newTabButton()->isEnabled());
        QCOMPARE(strip->newTabButton()->toolTip(), QStringLiteral("New tab (Ctrl+T)"));
        while (m_store->createNote()) {
        }
        QVERIFY(!strip->newTabButton()->isEnabled());
        QCOMPARE(strip->newTabButton()->toolTip(), QStringLiteral("Up to 12 tabs"));
    }

    void twelveTabsScrollStayInViewAndShowWhatIsHidden()
    {
        while (m_store->createNote()) {
        }
        TabStrip* strip = m_panel->view().tabStrip();
        TabScrollArea* scroll = strip->scrollArea();
        // Shown whole, and not under a hint.
        const auto inView = [&](int i) {
            const QWidget* tab = strip->tabFor(m_store->notes()[i].id);
            const int left = tab->mapTo(scroll->viewport(), QPoint()).x();
            const int before = scroll->hidesBefore() ? TabScrollArea::kHintWidth : 0;
            const int after = scroll->hidesAfter() ? TabScrollArea::kHintWidth : 0;
            return left >= before && left + tab->width() <= scroll->viewport()->width() - after;
        };
        const auto hints = [&] {
            QStringList shown;
            for (const char* name : {"hiddenTabsBefore", "hiddenTabsAfter"}) {
                if (scroll->viewport()->findChild<QWidget*>(name)->isVisible())
                    shown << name;
            }
            return shown;
        };
        press(Qt::Key_1, Qt::ControlModifier);
        QTRY_VERIFY(inView(0));
        QTRY_COMPARE(hints(), QStringList{"hiddenTabsAfter"});

        // The ordinary wheel moves the tabs sideways.
        const QPointF middle = scroll->viewport()->rect().center();
        QWheelEvent wheel(middle, scroll->viewport()->mapToGlobal(middle), {}, QPoint(0, -120),
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(scroll->viewport(), &wheel);
        QCOMPARE(scroll->horizontalScrollBar()->value(), TabScrollArea::kWheelStep);
        QCOMPARE(hints(), (QStringList{"hiddenTabsBefore", "hiddenTabsAfter"}));

        press(Qt::Key_9, Qt::ControlModifier);
        QTRY_VERIFY(inView(8));
        press(Qt::Key_BracketLeft, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_VERIFY(inView(7));
        press(Qt::Key_1, Qt::ControlModifier);
        QTRY_VERIFY(inView(0));

        // The rename field shows the whole title, and a long one as much as the strip can.
        const QUuid renamed = m_store->notes()[10].id;
        const auto renameWidth = [&](const QString& title) {
            m_store->rename(renamed, title);
            strip->beginRename(renamed);
            [&] { QTRY_VERIFY(strip->renameField() && strip->renameField()->hasFocus()); }();
            [&] { QTRY_VERIFY(inView(10)); }();
            const QLineEdit* field = strip->renameField();
            const std::pair width(field->width(), field->fontMetrics().horizontalAdvance(title));
            strip->cancelRename();
            return width; // and what the title needs
        };
        const auto [shortWidth, shortNeeds] = renameWidth(QStringLiteral("Trip planning"));
        QVERIFY2(shortWidth >= shortNeeds, qPrintable(QString::number(shortWidth)));
        const int longWidth = renameWidth(QString(80, u'w')).first;
        QVERIFY2(longWidth > strip->roomForTab() / 2 && longWidth < strip->roomForTab(),
                 qPrintable(QString::number(longWidth)));
    }

    void findStepsThroughTheNoteAndEscClosesOnlyTheField()
    {
        m_store->updateText(QStringLiteral("Milk\nbread\nmilk and MILK"), m_notes[0].id);
        EditorTextView* editor = m_panel->view().editor().textView();
        editor->moveCursor(QTextCursor::Start);
        press(Qt::Key_F, Qt::ControlModifier);
        FindBar* bar = m_panel->view().findBar();
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
        QCOMPARE(state(), QStringLiteral("1 of 3 0+4"));
        QTest::keyClick(bar->field(), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(state(), QStringLiteral("3 of 3 20+4"));
        QCOMPARE(editor->extraSelections().size(), 3);
        QTest::keyClicks(bar->field(), "y");
        QCOMPARE(bar->count()->text(), QStringLiteral("No matches"));

        press(Qt::Key_Escape);
        QVERIFY(bar->isHidden());
        QVERIFY(m_panel->controller().isVisible());
        QVERIFY(editor->extraSelections().isEmpty());
        QTRY_VERIFY(editor->hasFocus());
    }

    void findInAllTabsListsAndShowsTheChosenMatch()
    {
        m_store->updateText(QStringLiteral("tea\ncoffee"), m_notes[0].id);
        m_store->updateText(QStringLiteral("# Groceries\nmilk\nCoffee beans\nmore coffee"),
                            m_notes[1].id);
        press(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        FindBar* bar = m_panel->view().findBar();
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
        QCOMPARE(m_store->activeID(), m_notes[1].id);
        EditorTextView* editor = m_panel->view().editor().textView();
        QCOMPARE(editor->textCursor().selectedText(), QStringLiteral("coffee"));
        QCOMPARE(editor->textCursor().selectionStart(), 35);
        // Finding goes on in that note.
        QVERIFY(bar->results()->isHidden());
        QCOMPARE(bar->count()->text(), QStringLiteral("2 of 2"));
    }

    void moreMenuFollowsActiveTab()
    {
        auto entries = [&] {
            QStringList out;
            std::unique_ptr<QMenu> menu(m_panel->view().moreButton()->buildMenu(nullptr));
            for (QAction* a : menu->actions())
                out << (a->isSeparator()
                            ? QStringLiteral("-")
                            : a->text() + (a->isEnabled() ? "" : " (off)") +
                                  (a->shortcut().isEmpty() ? QString()
                                                           : " " + a->shortcut().toString()));
            return out;
        };
        QCOMPARE(entries(), (QStringList{"Rename Tab… (off)", "Clear Scratch Ctrl+Shift+K", "-",
                                         "Settings… Ctrl+,", "-", "Quit Quelto Ctrl+Q"}));
        m_store->activateIndex(2);
        QCOMPARE(entries().first(), QStringLiteral("Rename Tab…"));
        QVERIFY(m_panel->view().moreButton()->focusPolicy() == Qt::NoFocus);
    }

    void toastsAreSizedAndReplaced()
    {
        ToastController& toast = m_panel->toast();
        toast.show(QStringLiteral("Hi"));
        QPointer<QWidget> first = toast.window();
        QVERIFY(first);
        QVERIFY(first->width() >= ToastController::kMinWidth);
        QVERIFY(first->height() >= ToastController::kMinHeight);
        QVERIFY(first->testAttribute(Qt::WA_ShowWithoutActivating));
        const QRect visible = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(first->y(), visible.top() + ToastController::kTopGap);
        QCOMPARE(first->geometry().center().x(), visible.center().x());

        toast.show(QString(400, u'w').replace(QRegularExpression("(w{20})"), "\\1 "));
        QTRY_VERIFY(!first);
        QWidget* second = toast.window();
        const int lineHeight = second->findChild<QLabel*>()->fontMetrics().lineSpacing();
        QVERIFY(second->height() <= 2 * lineHeight + 2 * 10 + 2 * 28);
        QTRY_VERIFY_WITH_TIMEOUT(!toast.window(), ToastController::kShowMs + 2000);
    }

private:
    QStringList titles() const
    {
        QStringList out;
        for (const Note& n : m_store->notes())
            out << n.title();
        return out;
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget()
                                                      : m_panel->view().editor().textView();
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<MemoryNoteRepository> m_repo;
    std::unique_ptr<NoteStore> m_store;
    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<QSettings> m_frames;
    std::unique_ptr<PanelState> m_state;
    std::unique_ptr<CommandTable> m_commands;
    std::unique_ptr<NotePanelController> m_panel;
    QList<Note> m_notes;
    QDateTime m_now;
    QStringList m_calls;
};

QTEST_MAIN(TestNotePanel)
#include "tst_notepanel.moc"
