// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The panel's content: a header with the tab strip and the "More" button, a divider,
// the find bar when it is open, and the editor filling the rest.

#include "core/settings/preferences.h"
#include "ui/commands/commandtable.h"
#include "ui/editor/editorbridge.h"
#include "ui/panel/findcontroller.h"
#include "ui/panel/hovermenubutton.h"
#include "ui/panel/panelstate.h"
#include "ui/panel/tabstrip.h"

#include <QWidget>

namespace quelto {

class PanelView : public QWidget {
    Q_OBJECT

public:
    PanelView(NoteStore& store, Preferences& prefs, PanelState& state, const CommandTable& commands,
              QWidget* parent = nullptr);

    TabStrip* tabStrip() const { return m_tabs; }
    HoverMenuButton* moreButton() const { return m_more; }
    EditorBridge& editor() const { return *m_editor; }
    FindBar* findBar() const { return m_findBar; }
    FindController& find() const { return *m_find; }
    // What the "More" menu offers right now.
    QList<MoreMenuItem> moreMenuItems() const;
    // What the keyboard goes through: the tabs (and the active one's close button),
    // new tab, More, the find bar, the editor.
    QList<QWidget*> focusOrder() const;
    // To the next or previous control (Ctrl+Tab, which leaves the editor where Tab
    // indents), or by area (F6): the tabs, the find bar, the editor.
    void moveFocus(bool forward, bool byArea);

private:
    void updateActiveIsScratch();
    void nameEditor();
    void announceTab();
    void orderFocus();

    NoteStore& m_store;
    PanelState& m_state;
    const CommandTable& m_commands;
    TabStrip* m_tabs;
    HoverMenuButton* m_more;
    EditorBridge* m_editor;
    FindBar* m_findBar;
    FindController* m_find;
};

} // namespace quelto
