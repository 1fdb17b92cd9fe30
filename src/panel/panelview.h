#pragma once
// The panel's content: a header with the tab strip and the "More" button, a divider,
// and the editor filling the rest.

#include "app/preferences.h"
#include "editor/editorbridge.h"
#include "panel/moremenu.h"
#include "panel/panelstate.h"
#include "panel/tabstrip.h"

#include <QWidget>

namespace quelto {

class PanelView : public QWidget {
    Q_OBJECT

public:
    PanelView(NoteStore& store, Preferences& prefs, PanelState& state, PanelActions actions,
              EditorBridge::Toast toast, std::function<void()> focusEditor,
              QWidget* parent = nullptr);

    TabStrip* tabStrip() const { return m_tabs; }
    HoverMenuButton* moreButton() const { return m_more; }
    EditorBridge& editor() const { return *m_editor; }
    // What the "More" menu offers right now.
    QList<MoreMenuItem> moreMenuItems() const;

private:
    void updateActiveIsScratch();

    NoteStore& m_store;
    PanelState& m_state;
    PanelActions m_actions;
    TabStrip* m_tabs;
    HoverMenuButton* m_more;
    EditorBridge* m_editor;
};

} // namespace quelto
