// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every command with keys, each declared once with its title and keys: the panel's key
// handler, the editor, the menus and the tool tips all read them here. What a panel
// command runs is bound at launch by the object that owns the work; the editor runs
// its own on the text it shows.

#include <QKeySequence>
#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QKeyEvent;
class QMenu;

namespace quelto {

// The modifiers that make a key a command; others (keypad, group switch) are ignored.
inline constexpr Qt::KeyboardModifiers kCommandModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

enum class Command {
    NewTab,
    CloseTab,
    RenameTab,
    ClearScratch,
    PreviousTab,
    NextTab,
    Find,
    FindInAllTabs,
    BiggerText,
    SmallerText,
    HidePanel,
    Settings,
    CheckForUpdates,
    Quit,
    // Moving the focus, where Tab indents: to the next control, or the next area, as
    // desktop applications have them.
    NextControl,
    PreviousControl,
    NextArea,
    PreviousArea,
    // The editor's, on its text.
    Bold,
    Italic,
    InlineCode,
    Link,
    ToggleTask,
    InsertResult,
};
inline constexpr std::size_t kCommandCount = static_cast<std::size_t>(Command::InsertResult) + 1;

struct CommandInfo {
    enum class Scope {
        Panel,  // anywhere in the panel
        Editor, // in a note's editor, which the panel lets have them
    };

    QString title;
    // The first is the one shown; the others are the same keys on other layouts, or
    // as the keyboard reports them with Shift.
    QList<QKeySequence> keys;
    Scope scope = Scope::Panel;
};

const CommandInfo& commandInfo(Command command);
// The shown keys of a command, empty when it has none.
QKeySequence commandKeys(Command command);
// "New tab (Ctrl+T)": a tool tip naming the command's keys.
QString toolTipWithKeys(const QString& text, Command command);
// The command of `scope` a key press means, if any.
std::optional<Command> commandForKey(const QKeyEvent* event,
                                     CommandInfo::Scope scope = CommandInfo::Scope::Panel);
// Ctrl+1…9: the tab at that position, from 0.
std::optional<int> tabPositionForKey(const QKeyEvent* event);

class CommandTable {
public:
    using Handler = std::function<void()>;

    void bind(Command command, Handler handler);
    bool isBound(Command command) const { return bool(handler(command)); }
    Handler handler(Command command) const { return m_handlers.at(index(command)); }
    // Runs the command; false when nothing is bound to it.
    bool run(Command command) const;
    // Appends the command's item (its title unless told another, its keys shown) when
    // the command is bound; nothing otherwise.
    QAction* addItem(QMenu* menu, Command command, const QString& title = {}) const;

private:
    static std::size_t index(Command command) { return static_cast<std::size_t>(command); }

    std::array<Handler, kCommandCount> m_handlers;
};

} // namespace quelto
