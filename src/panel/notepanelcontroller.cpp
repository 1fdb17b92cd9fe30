#include "panel/notepanelcontroller.h"

#include "kits/panel/x11window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace quelto {

namespace {

constexpr Qt::KeyboardModifiers kCommandKeys =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

bool editingField()
{
    return qobject_cast<QLineEdit*>(QApplication::focusWidget()) != nullptr;
}

} // namespace

NotePanelController::NotePanelController(NoteStore& store, Preferences& prefs, PanelState& state,
                                         PanelActions actions, QSettings& defaults, Clock now,
                                         QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_prefs(prefs)
    , m_state(state)
    , m_actions(std::move(actions))
    , m_now(now ? std::move(now) : Clock([] { return QDateTime::currentDateTimeUtc(); }))
{
    QPointer<NotePanelController> self(this);
    m_view = new PanelView(
        store, prefs, state, m_actions,
        [self](const QString& message) {
            if (self)
                self->m_toast.show(message);
        },
        [self] {
            if (self)
                self->focusEditor();
        });
    m_controller = std::make_unique<FloatingPanelController>(
        kPanelSize, std::nullopt, PanelOptions{true, kMinSize, QStringLiteral("panel.frame")},
        defaults, m_view);
    m_controller->onDidHide = [self] {
        if (self)
            self->didHide();
    };
    m_controller->keyHandler = [self](QKeyEvent* event) { return self && self->handleKey(event); };
    m_controller->hidesOnResignKey = prefs.hideOnClickAway();
    connect(&prefs, &Preferences::hideOnClickAwayChanged, this,
            [this] { m_controller->hidesOnResignKey = m_prefs.hideOnClickAway(); });
    connect(this, &NotePanelController::renameActiveTab, m_view->tabStrip(),
            &TabStrip::beginRenameActive);
    connect(&store, &NoteStore::saveFailureCountChanged, this,
            &NotePanelController::checkSaveFailures, Qt::QueuedConnection);
}

EditorTextView* NotePanelController::textView() const
{
    return m_view->editor().textView();
}

void NotePanelController::showPanel()
{
    m_store.adoptOrphans();
    m_controller->show();
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
        if (m_controller->previousApp())
            X11Window::activate(*m_controller->previousApp());
    }
}

bool NotePanelController::handleKey(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & kCommandKeys;
    const int key = event->key();
    if (key == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        // Esc belongs to a composing input method, then to the rename field.
        if (m_controller->hasMarkedText() || editingField())
            return false;
        m_controller->hide();
        return true;
    }
    const auto activeIndex = [this] {
        const QList<Note> notes = m_store.notes();
        for (qsizetype i = 0; i < notes.size(); ++i) {
            if (notes[i].id == m_store.activeID())
                return i;
        }
        return qsizetype(0);
    };
    const qsizetype count = m_store.notes().size();
    if (modifiers == Qt::ControlModifier) {
        switch (key) {
        case Qt::Key_T:
            newTab();
            return true;
        case Qt::Key_Comma:
            if (m_actions.openSettings)
                m_actions.openSettings();
            return true;
        case Qt::Key_W:
            closeTab(m_store.activeID());
            return true;
        case Qt::Key_Equal:
        case Qt::Key_Plus:
            m_prefs.setFontSize(m_prefs.fontSize() + 1);
            return true;
        case Qt::Key_Minus:
            m_prefs.setFontSize(m_prefs.fontSize() - 1);
            return true;
        default:
            if (key >= Qt::Key_1 && key <= Qt::Key_9) {
                m_store.activateIndex(key - Qt::Key_1);
                return true;
            }
            return false;
        }
    }
    if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier)) {
        switch (key) {
        case Qt::Key_BracketLeft:
        case Qt::Key_BraceLeft:
            m_store.activateIndex((activeIndex() - 1 + count) % count);
            return true;
        case Qt::Key_BracketRight:
        case Qt::Key_BraceRight:
            m_store.activateIndex((activeIndex() + 1) % count);
            return true;
        case Qt::Key_K:
            clearScratch();
            return true;
        default:
            return false;
        }
    }
    return false;
}

void NotePanelController::newTab()
{
    if (!m_store.createNote())
        QApplication::beep();
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

    if (QGuiApplication::applicationState() != Qt::ApplicationActive)
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
    QPointer<NotePanelController> self(this);
    QTimer::singleShot(0, this, [self, sameTextElsewhere, id = scratch.id] {
        if (!self)
            return;
        EditorTextView* view = self->textView();
        const Note* current = self->m_store.note(id);
        // Through the editor when it surely shows Scratch, so the user can undo it.
        if (!sameTextElsewhere && current && self->m_store.activeID() == id && view &&
            !view->isReadOnly() && view->noteText() == current->text) {
            view->applyEdit(TextEdit{{0, view->noteText().size()}, QString(), {0, 0}});
        } else {
            self->m_store.updateText(QString(), id);
        }
    });
}

void NotePanelController::checkSaveFailures()
{
    if (m_store.failedIDs().isEmpty())
        return;
    const QDateTime now = m_now();
    if (m_lastSaveErrorToast && m_lastSaveErrorToast->secsTo(now) < kSaveToastIntervalSeconds)
        return;
    m_lastSaveErrorToast = now;
    m_toast.show(QStringLiteral("Couldn't save note"));
}

} // namespace quelto
