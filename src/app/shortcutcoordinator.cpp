// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/shortcutcoordinator.h"

#include "platform/desktop/session.h"
#include "platform/hotkey/hotkey.h"
#include "platform/hotkey/keyboardlayout.h"
#include "platform/hotkey/portalshortcut.h"

#include <QDBusConnection>
#include <QGuiApplication>

#include <utility>

namespace quelto {

using Outcome = ShortcutStatus::Outcome;

ShortcutCoordinator::ShortcutCoordinator(Preferences& prefs,
                                         std::unique_ptr<ShortcutBackend> backend,
                                         const TrayHost* tray, QObject* parent)
    : QObject(parent)
    , m_prefs(prefs)
    , m_backend(std::move(backend))
    , m_tray(tray)
{
    connect(&m_status, &ShortcutStatus::outcomeChanged, this, &ShortcutCoordinator::changed);
    connect(m_backend.get(), &ShortcutBackend::bound, this, &ShortcutCoordinator::bound);
    connect(m_backend.get(), &ShortcutBackend::refused, this, &ShortcutCoordinator::refused);
    // A desktop holds its shortcut's keys even while the user records another one:
    // those presses are not the shortcut's.
    connect(m_backend.get(), &ShortcutBackend::activated, this, [this] {
        if (!m_suspended)
            emit activated();
    });
}

ShortcutCoordinator::~ShortcutCoordinator() = default;

std::unique_ptr<ShortcutBackend> ShortcutCoordinator::sessionBackend(Preferences& prefs)
{
    if (Session::shortcutBackend(QProcessEnvironment::systemEnvironment(),
                                 QGuiApplication::platformName()) ==
        Session::ShortcutBackend::X11Grab)
        return std::make_unique<X11GrabShortcut>();
    // The desktop names its entry after the token: one per install, kept across runs.
    QString token = prefs.portalSessionToken();
    if (!PortalShortcut::isSessionToken(token)) {
        token = PortalShortcut::newSessionToken();
        prefs.setPortalSessionToken(token);
    }
    return std::make_unique<PortalShortcut>(QDBusConnection::sessionBus(),
                                            QGuiApplication::desktopFileName(), token);
}

void ShortcutCoordinator::start()
{
    connect(&m_prefs, &Preferences::queltoHotKeyChanged, this,
            &ShortcutCoordinator::preferenceChanged, Qt::UniqueConnection);
    apply(m_prefs.hotKey());
}

QString ShortcutCoordinator::activeName() const
{
    if (m_registeredCombo)
        return KeyboardLayout::displayString(*m_registeredCombo);
    return m_boundTrigger; // bound under a name of the desktop's own, or nothing
}

void ShortcutCoordinator::report(Outcome outcome, const QString& reason)
{
    QString name = activeName();
    // While the desktop is still asked, the shortcut it is asked for is the one to name.
    if (name.isEmpty() && outcome == Outcome::Waiting)
        name = KeyboardLayout::displayString(m_wanted.value_or(m_prefs.hotKey()));
    m_status.set(outcome, name, reason); // nothing is registered or bound when none works
}

void ShortcutCoordinator::setSuspended(bool suspended)
{
    if (suspended == m_suspended)
        return;
    m_suspended = suspended;
    if (suspended) {
        // Only a grab's keys are Quelto's to let go of.
        if (m_backend->grabsKeys() && m_registeredCombo) {
            m_backend->release();
            m_released = true; // m_registeredCombo stays: resuming takes it back
        }
        return;
    }
    // A shortcut that could not be registered before is not tried (and reported)
    // again unless the user picked another.
    if (m_released || m_prefs.hotKey() != m_wanted)
        apply(m_prefs.hotKey());
}

void ShortcutCoordinator::preferenceChanged()
{
    if (!m_suspended)
        apply(m_prefs.hotKey());
}

void ShortcutCoordinator::apply(HotKeyCombo wanted)
{
    if (!wanted.canExist()) {
        // A stored value no keyboard can press (hand-edited, or from another build): the
        // default, without telling anyone it is taken.
        wanted = HotKeyCombo::defaultCombo();
        keep(wanted);
    }
    if (m_asked && m_wanted == wanted && works() && !m_released)
        return;
    m_wanted = wanted;
    m_takenWanted.reset();
    ask(wanted);
}

void ShortcutCoordinator::ask(const HotKeyCombo& combo)
{
    m_asked = combo;
    m_answered = false;
    m_backend->bind(combo);
    if (m_answered)
        return; // a grab answers at once, and keeps what it held until then
    // A desktop answers later and may ask the user first; its new session replaced
    // what was bound, so nothing works meanwhile.
    m_boundTrigger.clear();
    m_released = false;
    setRegisteredCombo(std::nullopt);
    report(Outcome::Waiting);
}

void ShortcutCoordinator::bound(const QString& name, const std::optional<HotKeyCombo>& combo)
{
    m_answered = true;
    m_released = false;
    m_boundTrigger = name;
    setRegisteredCombo(combo);
    report(Outcome::Active); // the trigger may have changed alone
    if (const std::optional<HotKeyCombo> taken = std::exchange(m_takenWanted, std::nullopt))
        tellConflict(*taken); // a fallback was bound
    else if (combo)
        keep(*combo); // what the desktop bound is the shortcut, whatever was asked for
}

void ShortcutCoordinator::refused(ShortcutBackend::Refusal refusal, const QString& reason)
{
    m_answered = true;
    if (refusal == ShortcutBackend::Refusal::Taken) {
        taken();
        return;
    }
    m_boundTrigger.clear();
    setRegisteredCombo(std::nullopt);
    const bool missing = refusal == ShortcutBackend::Refusal::Unavailable;
    report(missing ? Outcome::Unavailable : Outcome::Declined, reason);
    // A refusal was the user's own answer, or the desktop's: only a missing shortcut
    // service is worth explaining.
    if (missing)
        emit unavailable();
}

void ShortcutCoordinator::taken()
{
    if (!m_takenWanted)
        m_takenWanted = m_wanted;
    // What is held stays. With nothing held, the shortcut held before the keys were
    // let go is tried, then the default.
    if (!m_registeredCombo || m_released) {
        QList<HotKeyCombo> fallbacks;
        if (m_registeredCombo)
            fallbacks << *m_registeredCombo;
        if (!fallbacks.contains(HotKeyCombo::defaultCombo()))
            fallbacks << HotKeyCombo::defaultCombo();
        fallbacks.removeAll(*m_takenWanted);
        const qsizetype next = fallbacks.indexOf(*m_asked) + 1; // 0 after the wanted one
        if (next < fallbacks.size()) {
            ask(fallbacks.at(next));
            return;
        }
        m_released = false;
        setRegisteredCombo(std::nullopt);
    }
    tellConflict(*std::exchange(m_takenWanted, std::nullopt));
}

void ShortcutCoordinator::tellConflict(const HotKeyCombo& wanted)
{
    report(m_registeredCombo ? Outcome::Active : Outcome::Taken);
    const HotKeyCombo kept = m_registeredCombo.value_or(HotKeyCombo::defaultCombo());
    keep(kept);
    const bool tray = !m_tray || m_tray->isAvailable();
    emit conflict(wanted, m_registeredCombo
                              ? QStringLiteral("Quelto kept %1. Pick a different shortcut in "
                                               "Settings → General.")
                                    .arg(KeyboardLayout::displayString(kept))
                              : QStringLiteral("No shortcut is active. Pick a different one in "
                                               "Settings → General, or open Quelto %1.")
                                    .arg(tray ? QStringLiteral("from the tray icon")
                                              : QStringLiteral("again from your app launcher")));
}

void ShortcutCoordinator::keep(const HotKeyCombo& kept)
{
    m_wanted = kept;
    m_prefs.keepHotKey(kept);
}

void ShortcutCoordinator::setRegisteredCombo(std::optional<HotKeyCombo> combo)
{
    if (combo == m_registeredCombo)
        return;
    m_registeredCombo = combo;
    emit changed();
}

} // namespace quelto
