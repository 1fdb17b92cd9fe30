// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Owns the floating note panel: builds its view, answers its keys (Esc, tab commands,
// font size), carries out the commands that need more than the store (new tab, close
// with confirmation, rename, undoable Clear Scratch), keeps the editor focused,
// saves whenever the panel hides, and reports failed saves at most once a minute.

#include "core/clock.h"
#include "ui/panel/panelview.h"
#include "ui/panel/toastcontroller.h"
#include "ui/window/floatingpanelcontroller.h"

#include <QObject>

namespace quelto {

class NotePanelController : public QObject {
    Q_OBJECT

public:
    static constexpr QSize kPanelSize{440, 380};
    static constexpr QSizeF kMinSize{320, 220};
    static constexpr int kSaveToastIntervalSeconds = 60;

    // Binds the panel's own commands in `commands`; the application binds the rest.
    NotePanelController(NoteStore& store, Preferences& prefs, PanelState& state,
                        CommandTable& commands, Clock now = {}, QObject* parent = nullptr);

    FloatingPanelController& controller() { return *m_controller; }
    PanelView& view() const { return *m_view; }
    ToastController& toast() { return m_toast; }
    bool isPresentingAlert() const { return m_isPresentingAlert; }

    void showPanel();
    void focusEditor();
    void newTab();
    void closeTab(const QUuid& id);
    void renameActive();
    void clearScratch();
    // The panel's key handler: true when the key was one of the panel's commands.
    bool handleKey(QKeyEvent* event, bool perform);

signals:
    void renameActiveTab();

private:
    void bindCommands();
    void activateNeighbour(int step);
    void didHide();
    void checkSaveFailures();
    // Names the notes that could not be read, once.
    void reportHeldNotes();
    void reportUnreadable(const QStringList& names);
    void reportSyncConflicts();
    EditorTextView* textView() const;

    NoteStore& m_store;
    Preferences& m_prefs;
    PanelState& m_state;
    CommandTable& m_commands;
    Clock m_now;
    ToastController m_toast;
    PanelView* m_view;
    std::unique_ptr<FloatingPanelController> m_controller;
    bool m_activatedForAlert = false;
    bool m_isPresentingAlert = false;
    std::optional<QDateTime> m_lastSaveErrorToast;
    bool m_reportedHeldNotes = false;
};

} // namespace quelto
