// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel/notepanelcontroller.h"

#include "core/text/lineendings.h"
#include "platform/window/windowsystem.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace quelto {

namespace {

bool editingField()
{
    return qobject_cast<QLineEdit*>(QApplication::focusWidget()) != nullptr;
}

} // namespace

NotePanelController::NotePanelController(NoteStore& store, Preferences& prefs, PanelState& state,
                                         CommandTable& commands, Clock now, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_prefs(prefs)
    , m_state(state)
    , m_commands(commands)
    , m_now(now ? std::move(now) : Clock(systemNow))
{
    bindCommands();
    m_view = new PanelView(store, prefs, state, m_commands);
    m_controller = std::make_unique<FloatingPanelController>(
        kPanelSize, PanelOptions{true, kMinSize, &prefs}, m_view);
    connect(m_controller.get(), &FloatingPanelController::didHide, this,
            &NotePanelController::didHide);
    m_controller->setKeyHandler(
        [this](QKeyEvent* event, bool perform) { return handleKey(event, perform); });
    TabStrip* tabs = m_view->tabStrip();
    connect(tabs, &TabStrip::closeRequested, this, &NotePanelController::closeTab);
    connect(tabs, &TabStrip::clearScratchRequested, this, &NotePanelController::clearScratch);
    connect(tabs, &TabStrip::renameEnded, this, &NotePanelController::focusEditor);
    connect(tabs, &TabStrip::chosen, this, &NotePanelController::focusEditor);
    connect(&m_view->find(), &FindController::closed, this, &NotePanelController::focusEditor);
    EditorBridge& editor = m_view->editor();
    connect(&editor, &EditorBridge::resultCopied, this,
            [this](const QString& result) { m_toast.show(QStringLiteral("Copied ") + result); });
    connect(&editor, &EditorBridge::linkOpenFailed, this,
            [this] { m_toast.show(QStringLiteral("Couldn't open link")); });
    m_controller->hidesOnResignKey = prefs.hideOnClickAway();
    connect(&prefs, &Preferences::hideOnClickAwayChanged, this,
            [this] { m_controller->hidesOnResignKey = m_prefs.hideOnClickAway(); });
    connect(this, &NotePanelController::renameActiveTab, m_view->tabStrip(),
            &TabStrip::beginRenameActive);
    connect(&store, &NoteStore::saveFailureCountChanged, this,
            &NotePanelController::checkSaveFailures, Qt::QueuedConnection);
    connect(&store, &NoteStore::conflictCopied, this, [this](const QUuid& copy) {
        m_toast.show(m_store.note(copy)
                         ? QStringLiteral("Changed elsewhere: the other version is in a new tab")
                         : QStringLiteral("Changed elsewhere: the other version is in the notes "
                                          "folder"));
    });
    connect(&store, &NoteStore::closeFailed, this, [this](const QString& reason) {
        m_toast.show(QStringLiteral("Couldn't close tab: ") + reason);
    });
    connect(&store, &NoteStore::syncConflictsFound, this, [this] {
        if (m_reportedHeldNotes)
            reportSyncConflicts();
    });
    // Named once the panel has shown what it had to say at its first show.
    connect(&store, &NoteStore::filesRefused, this, [this](const QStringList& names) {
        if (m_reportedHeldNotes)
            reportUnreadable(names);
    });
    // Note files dropped into the folder appear while the panel is open.
    connect(&store, &NoteStore::storageChanged, this, [this] {
        if (m_controller->isVisible())
            m_store.adoptOrphans();
    });
}

EditorTextView* NotePanelController::textView() const
{
    return m_view->editor().textView();
}

void NotePanelController::showPanel()
{
    m_store.adoptOrphans();
    m_controller->show();
    reportHeldNotes();
    focusEditor();
    QTimer::singleShot(0, this, &NotePanelController::focusEditor);
}

void NotePanelController::focusEditor()
{
    EditorTextView* view = textView();
    if (!m_controller->isVisible() || !view || view->window() != m_controller->panel())
        return;
    if (editingField() || view->hasFocus())
        return;
    view->setFocus(Qt::OtherFocusReason);
}

void NotePanelController::didHide()
{
    m_store.flush();
    if (m_activatedForAlert && !m_isPresentingAlert) {
        m_activatedForAlert = false;
        // Only while Quelto still has the focus: a user who has gone on to another
        // application keeps it.
        if (m_controller->previousApp() &&
            QGuiApplication::applicationState() == Qt::ApplicationActive)
            WindowSystem::current().activate(*m_controller->previousApp());
    }
}

void NotePanelController::bindCommands()
{
    m_commands.bind(Command::NextControl, [this] { m_view->moveFocus(true, false); });
    m_commands.bind(Command::PreviousControl, [this] { m_view->moveFocus(false, false); });
    m_commands.bind(Command::NextArea, [this] { m_view->moveFocus(true, true); });
    m_commands.bind(Command::PreviousArea, [this] { m_view->moveFocus(false, true); });
    m_commands.bind(Command::NewTab, [this] {
        if (!m_controller->isVisible())
            showPanel();
        newTab();
    });
    m_commands.bind(Command::CloseTab, [this] { closeTab(m_store.activeID()); });
    m_commands.bind(Command::RenameTab, [this] { renameActive(); });
    m_commands.bind(Command::ClearScratch, [this] { clearScratch(); });
    m_commands.bind(Command::PreviousTab, [this] { activateNeighbour(-1); });
    m_commands.bind(Command::NextTab, [this] { activateNeighbour(+1); });
    m_commands.bind(Command::Find, [this] {
        if (!m_controller->isVisible())
            showPanel();
        m_view->find().openInNote();
    });
    m_commands.bind(Command::FindInAllTabs, [this] {
        if (!m_controller->isVisible())
            showPanel();
        m_view->find().openInAllTabs();
    });
    m_commands.bind(Command::BiggerText, [this] { m_prefs.setFontSize(m_prefs.fontSize() + 1); });
    m_commands.bind(Command::SmallerText, [this] { m_prefs.setFontSize(m_prefs.fontSize() - 1); });
    m_commands.bind(Command::HidePanel, [this] { m_controller->hide(); });
}

void NotePanelController::activateNeighbour(int step)
{
    const QList<Note> notes = m_store.notes();
    const qsizetype count = notes.size();
    qsizetype active = 0;
    for (qsizetype i = 0; i < count; ++i) {
        if (notes[i].id == m_store.activeID())
            active = i;
    }
    m_store.activateIndex((active + step + count) % count);
}

bool NotePanelController::handleKey(QKeyEvent* event, bool perform)
{
    if (const std::optional<int> position = tabPositionForKey(event)) {
        if (perform)
            m_store.activateIndex(*position);
        return true;
    }
    const std::optional<Command> command = commandForKey(event);
    if (!command)
        return false;
    // Esc belongs to a composing input method, then to the rename field.
    if (*command == Command::HidePanel && (m_controller->hasMarkedText() || editingField()))
        return false;
    // A command the application left unbound still owns its keys.
    if (perform)
        m_commands.run(*command);
    return true;
}

void NotePanelController::newTab()
{
    if (!m_store.createNote()) {
        QApplication::beep();
        m_toast.show(QStringLiteral("Up to 12 tabs: close one first"));
    }
}

void NotePanelController::closeTab(const QUuid& id)
{
    const Note* found = m_store.note(id);
    if (!found || found->isScratch) {
        QApplication::beep();
        return;
    }
    const Note note = *found;
    if (note.text.trimmed().isEmpty()) {
        m_store.closeNote(id);
        return;
    }
    const QString title = note.customTitle && !note.customTitle->isEmpty()
                              ? *note.customTitle
                              : derivedTitle(note.text);
    QMessageBox alert(QMessageBox::Information,
                      QStringLiteral("Move “%1” to the Trash?").arg(title),
                      QStringLiteral("Move “%1” to the Trash?").arg(title));
    alert.setInformativeText(QStringLiteral("The tab closes and its note file goes to the Trash, "
                                            "where you can get it back from the file manager."));
    // One role for both keeps them in this order whatever the desktop's convention.
    QPushButton* trash = alert.addButton(QStringLiteral("Move to Trash"), QMessageBox::AcceptRole);
    QPushButton* cancel = alert.addButton(QStringLiteral("Cancel"), QMessageBox::AcceptRole);
    alert.setDefaultButton(trash);
    alert.setEscapeButton(cancel);
    m_controller->panel()->keepAbove(alert);

    // On X11 the panel was itself activated over the window that is to be active
    // again when it hides, and the alert takes the activation from it once more.
    if (QGuiApplication::applicationState() != Qt::ApplicationActive || m_controller->previousApp())
        m_activatedForAlert = true;
    m_controller->hidesOnResignKey = false; // the alert takes the focus from the panel
    m_isPresentingAlert = true;
    alert.exec();
    m_isPresentingAlert = false;
    m_controller->hidesOnResignKey = m_prefs.hideOnClickAway();
    if (m_controller->isVisible()) {
        m_controller->panel()->raise();
        m_controller->panel()->activateWindow();
        focusEditor();
    }
    if (alert.clickedButton() == trash)
        m_store.closeNote(id);
}

void NotePanelController::renameActive()
{
    const Note* active = m_store.activeOrFirst();
    if (!active || active->isScratch) {
        QApplication::beep();
        return;
    }
    if (!m_controller->isVisible())
        showPanel();
    emit renameActiveTab();
}

void NotePanelController::clearScratch()
{
    if (!m_controller->isVisible())
        showPanel();
    const Note scratch = m_store.notes().first();
    bool sameTextElsewhere = false;
    if (m_store.activeID() != scratch.id) {
        const Note* active = m_store.activeNote();
        sameTextElsewhere = active && active->text == scratch.text;
        m_store.activate(scratch.id); // the editor loads Scratch at once
    }
    QTimer::singleShot(0, this, [this, sameTextElsewhere, id = scratch.id] {
        EditorTextView* view = textView();
        const Note* current = m_store.note(id);
        // Through the editor when it surely shows Scratch, so the user can undo it.
        if (!sameTextElsewhere && current && m_store.activeID() == id && view &&
            !view->isReadOnly() && view->noteText() == LineEndings::split(current->text).text) {
            view->applyEdit(TextEdit{{0, view->noteText().size()}, QString(), {0, 0}});
        } else {
            m_store.updateText(QString(), id);
        }
    });
}

void NotePanelController::reportHeldNotes()
{
    if (m_reportedHeldNotes)
        return;
    m_reportedHeldNotes = true;
    QStringList names = m_store.refusedFiles();
    for (const HeldNote& note : m_store.heldNotes()) {
        if (!names.contains(note.fileName))
            names.append(note.fileName);
    }
    reportUnreadable(names);
    // Shown after the unreadable files, which need no answer.
    QTimer::singleShot(names.isEmpty() ? 0 : ToastController::kShowMs, this,
                       &NotePanelController::reportSyncConflicts);
}

void NotePanelController::reportSyncConflicts()
{
    const QList<SyncConflict> found = m_store.takeNewSyncConflicts();
    if (found.isEmpty())
        return;
    const Note* note = m_store.note(found.first().id);
    const QString title = note ? note->title() : found.first().fileName;
    const QString message =
        found.size() == 1
            ? QStringLiteral("A sync tool kept another version of “%1”. Click to open it.")
                  .arg(title)
            : QStringLiteral("A sync tool kept %1 other versions (“%2”, …). Click to open them.")
                  .arg(found.size())
                  .arg(title);
    m_toast.show(message, [this, found] {
        QStringList failed;
        for (const SyncConflict& conflict : found) {
            if (!m_store.openSyncConflict(conflict))
                failed.append(conflict.fileName);
        }
        if (!failed.isEmpty())
            m_toast.show(QStringLiteral("Couldn't open %1").arg(failed.join(QStringLiteral(", "))));
    });
}

void NotePanelController::reportUnreadable(const QStringList& names)
{
    if (names.isEmpty())
        return;
    m_toast.show((names.size() == 1
                      ? QStringLiteral("1 note couldn't be read: ")
                      : QStringLiteral("%1 notes couldn't be read: ").arg(names.size())) +
                 names.join(QStringLiteral(", ")));
}

void NotePanelController::checkSaveFailures()
{
    if (m_store.failedIDs().isEmpty())
        return;
    const QDateTime now = m_now();
    if (m_lastSaveErrorToast && m_lastSaveErrorToast->secsTo(now) < kSaveToastIntervalSeconds)
        return;
    m_lastSaveErrorToast = now;
    // The folder may be on a drive not mounted yet; or the user removed it, and making
    // it again is the way out.
    if (m_store.isStorageMissing())
        m_toast.show(QStringLiteral("Notes folder missing: kept here until it's back, or make "
                                    "it again to start afresh"));
    else
        m_toast.show(QStringLiteral("Couldn't save note"));
}

} // namespace quelto
