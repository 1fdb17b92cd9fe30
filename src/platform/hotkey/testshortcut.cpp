// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hotkey/testshortcut.h"

#include "platform/hotkey/keyboardlayout.h"
#include "platform/hotkey/portaltrigger.h"

namespace quelto {

TestShortcut::TestShortcut(Kind kind, QObject* parent)
    : ShortcutBackend(parent)
    , m_kind(kind)
{}

void TestShortcut::bind(const HotKeyCombo& combo)
{
    m_asked.append(combo);
    const quint64 generation = ++m_generation;
    if (m_kind == Kind::Grab) {
        answer(generation, combo);
        return;
    }
    // A new session: what was bound goes at once, and the answer comes later.
    m_bound = false;
    m_held.reset();
    QMetaObject::invokeMethod(
        this, [this, generation, combo] { answer(generation, combo); }, Qt::QueuedConnection);
}

void TestShortcut::answer(quint64 generation, HotKeyCombo combo)
{
    if (generation != m_generation)
        return;
    if (m_kind == Kind::Grab && m_taken.contains(combo)) {
        emit refused(Refusal::Taken, {});
        return;
    }
    if (m_kind == Kind::Desktop && m_answer.refusal) {
        emit refused(*m_answer.refusal, m_answer.reason);
        return;
    }
    QString name = KeyboardLayout::displayString(combo);
    std::optional<HotKeyCombo> held = combo;
    if (m_kind == Kind::Desktop && m_answer.boundAs) {
        name = *m_answer.boundAs;
        held = PortalTrigger::toCombo(name);
    }
    m_bound = true;
    m_held = held;
    emit bound(name, held);
}

void TestShortcut::release()
{
    ++m_generation;
    m_bound = false;
    m_held.reset();
}

void TestShortcut::press()
{
    if (m_bound)
        emit activated();
}

void TestShortcut::rebindElsewhere(const QString& name)
{
    m_bound = !name.isEmpty();
    m_held = PortalTrigger::toCombo(name);
    if (m_bound)
        emit bound(name, m_held);
    else
        emit refused(Refusal::Declined, QStringLiteral("The desktop bound no key to it."));
}

} // namespace quelto
