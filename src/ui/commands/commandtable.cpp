// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/commands/commandtable.h"

#include "ui/tray/closuremenu.h"

#include <QKeyEvent>
#include <QMenu>

namespace quelto {

namespace {

constexpr CommandInfo::Scope kEditor = CommandInfo::Scope::Editor;

const std::array<CommandInfo, kCommandCount>& commandInfos()
{
    // In the order of Command.
    static const std::array<CommandInfo, kCommandCount> infos{{
        {QStringLiteral("New Tab"), {QKeySequence(Qt::CTRL | Qt::Key_T)}},
        {QStringLiteral("Close Tab"), {QKeySequence(Qt::CTRL | Qt::Key_W)}},
        {QStringLiteral("Rename Tab…"), {QKeySequence(Qt::Key_F2)}},
        {QStringLiteral("Clear Scratch"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K)}},
        {QStringLiteral("Previous Tab"),
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_BracketLeft),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_BraceLeft)}},
        {QStringLiteral("Next Tab"),
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_BracketRight),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_BraceRight)}},
        {QStringLiteral("Find…"), {QKeySequence(Qt::CTRL | Qt::Key_F)}},
        {QStringLiteral("Find in All Tabs…"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F)}},
        {QStringLiteral("Bigger Text"),
         {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)}},
        {QStringLiteral("Smaller Text"), {QKeySequence(Qt::CTRL | Qt::Key_Minus)}},
        {QStringLiteral("Hide Quelto"), {QKeySequence(Qt::Key_Escape)}},
        {QStringLiteral("Settings…"), {QKeySequence(Qt::CTRL | Qt::Key_Comma)}},
        {QStringLiteral("Check for Updates…"), {}},
        {QStringLiteral("Quit Quelto"), {QKeySequence(Qt::CTRL | Qt::Key_Q)}},
        {QStringLiteral("Next Control"),
         {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Tab)}},
        {QStringLiteral("Previous Control"),
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
          QKeySequence(Qt::CTRL | Qt::Key_Backtab)}},
        {QStringLiteral("Next Area"), {QKeySequence(Qt::Key_F6)}},
        {QStringLiteral("Previous Area"), {QKeySequence(Qt::SHIFT | Qt::Key_F6)}},
        {QStringLiteral("Bold"), {QKeySequence(Qt::CTRL | Qt::Key_B)}, kEditor},
        {QStringLiteral("Italic"), {QKeySequence(Qt::CTRL | Qt::Key_I)}, kEditor},
        {QStringLiteral("Code"), {QKeySequence(Qt::CTRL | Qt::Key_E)}, kEditor},
        {QStringLiteral("Link"), {QKeySequence(Qt::CTRL | Qt::Key_K)}, kEditor},
        {QStringLiteral("Toggle Task"), {QKeySequence(Qt::CTRL | Qt::Key_L)}, kEditor},
        {QStringLiteral("Insert Result"),
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Equal),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus)},
         kEditor},
    }};
    return infos;
}

} // namespace

const CommandInfo& commandInfo(Command command)
{
    return commandInfos().at(static_cast<std::size_t>(command));
}

QKeySequence commandKeys(Command command)
{
    return commandInfo(command).keys.value(0);
}

QString toolTipWithKeys(const QString& text, Command command)
{
    return QStringLiteral("%1 (%2)").arg(text,
                                         commandKeys(command).toString(QKeySequence::NativeText));
}

std::optional<Command> commandForKey(const QKeyEvent* event, CommandInfo::Scope scope)
{
    const QKeySequence pressed(
        QKeyCombination(event->modifiers() & kCommandModifiers, Qt::Key(event->key())));
    const auto& infos = commandInfos();
    for (std::size_t i = 0; i < infos.size(); ++i) {
        if (infos[i].scope == scope && infos[i].keys.contains(pressed))
            return static_cast<Command>(i);
    }
    return std::nullopt;
}

std::optional<int> tabPositionForKey(const QKeyEvent* event)
{
    const int key = event->key();
    if ((event->modifiers() & kCommandModifiers) != Qt::ControlModifier || key < Qt::Key_1 ||
        key > Qt::Key_9)
        return std::nullopt;
    return key - Qt::Key_1;
}

void CommandTable::bind(Command command, Handler handler)
{
    m_handlers.at(index(command)) = std::move(handler);
}

bool CommandTable::run(Command command) const
{
    const Handler& bound = m_handlers.at(index(command));
    if (!bound)
        return false;
    bound();
    return true;
}

QAction* CommandTable::addItem(QMenu* menu, Command command, const QString& title) const
{
    if (!isBound(command))
        return nullptr;
    const CommandInfo& info = commandInfo(command);
    return addClosureItem(menu, title.isEmpty() ? info.title : title, commandKeys(command),
                          handler(command));
}

} // namespace quelto
