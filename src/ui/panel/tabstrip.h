// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The row of tabs in the panel's header, one per note in the store's order with
// Scratch first, then a new-tab button. Click activates, double click or the context
// menu renames in place, the active named tab has a close button, and named tabs can
// be dragged: the order changes as the dragged tab enters each other tab. The strip
// keeps no notes of its own; every change goes to the store.

#include "core/storage/notestore.h"

#include <QHash>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include <optional>

class QHBoxLayout;
class QMenu;
class QToolButton;

namespace quelto {

class TabScrollArea;

inline const QString kTabMimeType = QStringLiteral("application/x-quelto-tab");

class TabStrip : public QWidget {
    Q_OBJECT

public:
    TabStrip(NoteStore& store, QWidget* parent = nullptr);

    bool canCreate = true;

    std::optional<QUuid> renamingID() const { return m_renamingID; }
    QLineEdit* renameField() const { return m_renameField; }
    QToolButton* newTabButton() const { return m_newTab; }
    TabScrollArea* scrollArea() const { return m_scroll; }
    // The widest a tab can be and still show whole beside the overflow hints.
    int roomForTab() const;
    // The tab widget of a note, if shown.
    QWidget* tabFor(const QUuid& id) const;
    // The context menu a tab offers (for a caller to show or a test to read).
    QMenu* contextMenuFor(const QUuid& id, QWidget* parent);

    void activate(const QUuid& id);
    // Shows and focuses the tab before or after `from` (Left, Right), or the first or
    // last (Home, End); the arrows go round.
    void moveToTab(const QUuid& from, int key);
    void beginRename(const QUuid& id);
    void beginRenameActive();
    void commitRename();
    void cancelRename();
    // Moves the dragged note to the target's place (the drop-entered rule).
    void dragEntered(const QUuid& dragged, const QUuid& target);

    // Brings the tabs in line with the store: made, removed and moved one by one.
    void sync();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

signals:
    void closeRequested(const QUuid& id);
    void clearScratchRequested();
    // A rename was committed or cancelled.
    void renameEnded();
    // A tab was chosen from the keyboard for typing in.
    void chosen();
    // Tabs were made, removed or moved: the keyboard's order may have to follow.
    void focusOrderChanged();

private:
    void endRename();
    // Brings the active tab whole into view.
    void revealActive();
    void showTitleOf(const QUuid& id);

    NoteStore& m_store;
    TabScrollArea* m_scroll;
    QHBoxLayout* m_row;
    QToolButton* m_newTab;
    QHash<QUuid, QWidget*> m_tabs;
    std::optional<QUuid> m_renamingID;
    // The active tab last brought into view, so that only a switch scrolls.
    QUuid m_shownActive;
    QString m_draft;
    QPointer<QLineEdit> m_renameField;
};

} // namespace quelto
