// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/shortcutcoordinator.h"

#include "platform/hotkey/keyboardlayout.h"
#include "platform/hotkey/portaltrigger.h"

#include <QDBusConnection>
#include <QGuiApplication>

namespace quelto {

using Outcome = ShortcutStatus::Outcome;

ShortcutCoordinator::ShortcutCoordinator(Preferences& prefs, Session::ShortcutBackend backend,
                                         const TrayHost* tray, QObject* parent)
    : QObject(parent)
    , m_prefs(prefs)
    , m_backend(backend)
    , m_tray(tray)
{
    connect(&m_status, &ShortcutStatus::outcomeChanged, this, &ShortcutCoordinator::changed);
}

ShortcutCoordinator::~ShortcutCoordinator() = default;

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
    const bool grabs = m_backend == Session::ShortcutBackend::X11Grab;
    if (suspended) {
        // The desktop holds a portal shortcut's keys whatever Quelto does; presses are
        // ignored meanwhile instead.
        if (grabs)
            m_hotKey.reset(); // m_registeredCombo stays: resuming grabs it again
        return;
    }
    // A shortcut that could not be registered before is not tried (and reported)
    // again unless the user picked another.
    if ((grabs && m_registeredCombo) || m_prefs.hotKey() != m_wanted)
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
    if (m_backend == Session::ShortcutBackend::Portal)
        bindThroughPortal(wanted);
    else
        registerX11(wanted);
}

void ShortcutCoordinator::registerX11(const HotKeyCombo& wanted)
{
    if (m_registeredCombo == wanted && m_hotKey)
        return;
    m_wanted = wanted;
    // The registration ends with this object, and with it the handler.
    const auto handler = [this] { emit activated(); };
    // The shortcut held so far is released only once the new one is sure, so another
    // application cannot take it in between.
    if (std::unique_ptr<HotKey> next = HotKey::create(wanted, handler)) {
        m_hotKey = std::move(next);
        setRegisteredCombo(wanted);
        report(Outcome::Active);
        return;
    }
    if (!m_hotKey) {
        const HotKeyCombo fallback = HotKeyCombo::defaultCombo();
        if (fallback != wanted && (m_hotKey = HotKey::create(fallback, handler)))
            setRegisteredCombo(fallback);
        else
            setRegisteredCombo(std::nullopt);
    }
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

void ShortcutCoordinator::bindThroughPortal(const HotKeyCombo& wanted)
{
    if (m_portal && m_wanted == wanted && works())
        return;
    if (!m_portal) {
        m_portal = std::make_unique<PortalShortcut>(
            QDBusConnection::sessionBus(), QGuiApplication::desktopFileName(), sessionToken());
        connect(m_portal.get(), &PortalShortcut::activated, this, [this] {
            if (!m_suspended)
                emit activated();
        });
        connect(m_portal.get(), &PortalShortcut::bound, this, &ShortcutCoordinator::portalBound);
        connect(m_portal.get(), &PortalShortcut::declined, this,
                [this](const QString& reason) { portalRefused(Outcome::Declined, reason); });
        connect(m_portal.get(), &PortalShortcut::unavailable, this,
                [this] { portalRefused(Outcome::Unavailable); });
    }
    m_wanted = wanted;
    m_boundTrigger.clear();
    // Nothing works until the desktop says so; it may ask the user first.
    setRegisteredCombo(std::nullopt);
    report(Outcome::Waiting);
    m_portal->bind(wanted);
}

void ShortcutCoordinator::portalBound(const QString& trigger)
{
    m_boundTrigger = trigger;
    // What the desktop bound is the shortcut, whatever was asked for.
    const std::optional<HotKeyCombo> combo = PortalTrigger::toCombo(trigger);
    if (combo)
        keep(*combo);
    setRegisteredCombo(combo);
    report(Outcome::Active); // the trigger may have changed alone
}

void ShortcutCoordinator::portalRefused(Outcome outcome, const QString& reason)
{
    m_boundTrigger.clear();
    setRegisteredCombo(std::nullopt);
    report(outcome, reason);
    // A refusal was the user's own answer, or the desktop's: only a missing portal is
    // worth explaining.
    if (outcome == Outcome::Unavailable)
        emit unavailable();
}

QString ShortcutCoordinator::sessionToken()
{
    // The desktop names its entry after the token: one per install, kept across runs.
    const QString key = QStringLiteral("portalSessionToken");
    QString token = m_prefs.store().value(key).toString();
    if (!PortalShortcut::isSessionToken(token)) {
        token = PortalShortcut::newSessionToken();
        m_prefs.store().setValue(key, token);
    }
    return token;
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
