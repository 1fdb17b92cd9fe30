// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A shortcut backend in this process, for testing what is asked for and what is done
// with the answers without an X server or a desktop. As a grab, it answers at once and
// refuses combinations set as taken; as a desktop, it answers on a later turn of the
// event loop, as told.

#include "platform/hotkey/shortcutbackend.h"

#include <QList>

namespace quelto {

class TestShortcut final : public ShortcutBackend {
    Q_OBJECT

public:
    enum class Kind { Grab, Desktop };
    // How a desktop answers the binds that follow.
    struct Answer {
        // Bound as this instead of what was asked; nothing: as asked.
        std::optional<QString> boundAs;
        // Refused so, with the reason; nothing: bound.
        std::optional<Refusal> refusal;
        QString reason;
    };

    explicit TestShortcut(Kind kind, QObject* parent = nullptr);

    bool grabsKeys() const override { return m_kind == Kind::Grab; }
    void bind(const HotKeyCombo& combo) override;
    void release() override;

    // Held by another application: a grab of these is refused as taken.
    void setTaken(QList<HotKeyCombo> taken) { m_taken = std::move(taken); }
    void setAnswer(Answer answer) { m_answer = std::move(answer); }
    // The bound shortcut pressed; nothing happens while nothing is bound.
    void press();
    // The user changed the trigger in the desktop's settings.
    void rebindElsewhere(const QString& name);

    // Every combination asked for, in order, refused ones included.
    const QList<HotKeyCombo>& asked() const { return m_asked; }
    std::optional<HotKeyCombo> held() const { return m_held; }
    bool isBound() const { return m_bound; }

private:
    void answer(quint64 generation, HotKeyCombo combo);

    const Kind m_kind;
    QList<HotKeyCombo> m_taken;
    Answer m_answer;
    QList<HotKeyCombo> m_asked;
    std::optional<HotKeyCombo> m_held;
    bool m_bound = false;
    quint64 m_generation = 0;
};

} // namespace quelto
