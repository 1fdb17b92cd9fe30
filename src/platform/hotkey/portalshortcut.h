// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The show/hide shortcut through the desktop's GlobalShortcuts portal, the way a
// Wayland desktop gives applications a global shortcut: one session, one shortcut,
// bound with the stored combination as the preferred trigger. The desktop may bind
// another trigger, ask the user, or refuse; what it reports is the truth.

#include "core/settings/hotkeycombo.h"
#include "platform/hotkey/shortcutbackend.h"

#include <QDBusConnection>

class QDBusMessage;

namespace quelto {

class PortalShortcut final : public ShortcutBackend {
    Q_OBJECT

public:
    static constexpr const char* kShortcutId = "toggle-panel";
    static constexpr const char* kDescription = "Show or hide Quelto";

    // `appId` names the desktop file, so the desktop can tell which application asks.
    // `sessionToken` names the session; desktops that keep shortcuts per session name
    // their entry after it, so it must be this install's own and the same each run.
    PortalShortcut(QDBusConnection bus, QString appId, QString sessionToken,
                   QObject* parent = nullptr);

    // A token no other install shares: "quelto_" and 16 random hex digits.
    static QString newSessionToken();
    // What a portal takes as a token: an object path element.
    static bool isSessionToken(const QString& token);
    ~PortalShortcut() override;

    bool grabsKeys() const override { return false; }
    // Asks through a new session, replacing any shortcut bound before: desktops bind a
    // session's shortcuts only once. Desktops differ in what they send for a press:
    // some send no release, some stamp every signal with time 0.
    void bind(const HotKeyCombo& combo) override;
    void release() override;

private slots:
    // Activated and Deactivated: (session, shortcut id, time stamp in ms, options).
    void onActivated(const QDBusMessage& message);
    void onDeactivated(const QDBusMessage& message);
    void onShortcutsChanged(const QDBusMessage& message);

private:
    void registerApp();
    void probe();
    void createSession();
    void bindShortcut();
    void closeSession();
    void answer(const QVariant& shortcuts);
    // Our one shortcut as the portal's a(sa{sv}) list.
    QVariant shortcutList() const;
    static QString refusal(uint response, const QVariantMap& results);
    // A signal about this session's shortcut.
    bool isOurs(const QDBusMessage& message) const;
    // Calls `method` on the portal and hands its Request's response to `done`, unless
    // a later bind has started meanwhile.
    void request(const QString& method, QList<QVariant> arguments, const QString& token,
                 std::function<void(uint, const QVariantMap&)> done);
    QString nextToken();

    QDBusConnection m_bus;
    QString m_appId;
    QString m_sessionToken;
    QString m_trigger;
    QString m_session;
    // Bumped by every bind: answers to an earlier one are dropped.
    quint64 m_generation = 0;
    quint64 m_tokens = 0;
    bool m_probed = false;
    RepeatFilter m_repeats{RepeatFilter::Releases::MayBeMissing};
};

} // namespace quelto
