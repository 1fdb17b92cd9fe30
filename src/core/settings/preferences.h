// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application's settings, mirrored from a QSettings store: kept within range,
// written back on every change, and announced to the parts that react at once
// (a new global shortcut, new editor settings).

#include "core/settings/hotkeycombo.h"
#include "core/settings/loginitemservice.h"

#include <QDateTime>
#include <QObject>
#include <QRectF>
#include <QSettings>

#include <memory>
#include <optional>

namespace quelto {

class Preferences : public QObject {
    Q_OBJECT
    Q_PROPERTY(quelto::HotKeyCombo hotKey READ hotKey WRITE setHotKey NOTIFY hotKeyChanged)
    Q_PROPERTY(bool hideOnClickAway READ hideOnClickAway WRITE setHideOnClickAway NOTIFY
                   hideOnClickAwayChanged)
    Q_PROPERTY(bool showDockIcon READ showDockIcon WRITE setShowDockIcon NOTIFY showDockIconChanged)
    Q_PROPERTY(int fontSize READ fontSize WRITE setFontSize NOTIFY fontSizeChanged)
    Q_PROPERTY(bool useMonospace READ useMonospace WRITE setUseMonospace NOTIFY useMonospaceChanged)
    Q_PROPERTY(bool mathEnabled READ mathEnabled WRITE setMathEnabled NOTIFY mathEnabledChanged)
    Q_PROPERTY(bool hasCompletedOnboarding READ hasCompletedOnboarding WRITE
                   setHasCompletedOnboarding NOTIFY hasCompletedOnboardingChanged)
    Q_PROPERTY(
        bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)

public:
    static constexpr int kMinFontSize = 11;
    static constexpr int kMaxFontSize = 20;
    static constexpr int kDefaultFontSize = 14;

    // `loginItems` is present only for the standard store; without it launchAtLogin
    // starts false and writing it touches nothing.
    explicit Preferences(std::unique_ptr<QSettings> store,
                         std::unique_ptr<LoginItemService> loginItems = nullptr,
                         QObject* parent = nullptr);

    HotKeyCombo hotKey() const { return m_hotKey; }
    // Asks for `combo` as the global shortcut: listeners register it again.
    void setHotKey(const HotKeyCombo& combo);
    // Records the shortcut that is in force after a registration (another than asked
    // for when that was taken): shown everywhere, not registered again.
    void keepHotKey(const HotKeyCombo& combo);
    bool hideOnClickAway() const { return m_hideOnClickAway; }
    void setHideOnClickAway(bool value);
    bool showDockIcon() const { return m_showDockIcon; }
    void setShowDockIcon(bool value);
    int fontSize() const { return m_fontSize; }
    void setFontSize(int points);
    bool useMonospace() const { return m_useMonospace; }
    void setUseMonospace(bool value);
    bool mathEnabled() const { return m_mathEnabled; }
    void setMathEnabled(bool value);
    bool hasCompletedOnboarding() const { return m_hasCompletedOnboarding; }
    void setHasCompletedOnboarding(bool value);
    bool launchAtLogin() const { return m_launchAtLogin; }
    void setLaunchAtLogin(bool value);

    // Kept for Quelto's own bookkeeping, with no signal: the name of this install's
    // shortcut session with the desktop portal (empty until one is made), and whether
    // the user has been told that the desktop gives apps no global shortcut.
    QString portalSessionToken() const;
    void setPortalSessionToken(const QString& token);
    bool noShortcutExplained() const;
    void setNoShortcutExplained(bool value);
    // Where the user left the panel on the screen that `screenKey` names
    // (PanelFrameStore::screenKey); nothing for a screen without one or a broken entry.
    std::optional<QRectF> panelFrame(const QString& screenKey) const;
    void setPanelFrame(const QString& screenKey, const QRectF& frame);
    // When updates were last looked for, and the newest version the user was told of.
    QDateTime lastUpdateCheck() const;
    void setLastUpdateCheck(const QDateTime& when);
    QString notifiedUpdateVersion() const;
    void setNotifiedUpdateVersion(const QString& version);

signals:
    // Every write of the shortcut, changed or not: the delegate registers it again.
    void queltoHotKeyChanged();
    // Every accepted write of font size, monospace or arithmetic: the editor re-applies.
    void queltoEditorPrefsChanged();

    void hotKeyChanged();
    void hideOnClickAwayChanged();
    void showDockIconChanged();
    void fontSizeChanged();
    void useMonospaceChanged();
    void mathEnabledChanged();
    void hasCompletedOnboardingChanged();
    void launchAtLoginChanged();

private:
    bool readBool(const QString& key, bool fallback) const;
    void writeBool(const QString& key, bool value, bool& field, void (Preferences::*changed)());

    std::unique_ptr<QSettings> m_store;
    std::unique_ptr<LoginItemService> m_loginItems;
    HotKeyCombo m_hotKey = HotKeyCombo::defaultCombo();
    bool m_hideOnClickAway = false;
    bool m_showDockIcon = false;
    int m_fontSize = kDefaultFontSize;
    bool m_useMonospace = false;
    bool m_mathEnabled = true;
    bool m_hasCompletedOnboarding = false;
    bool m_launchAtLogin = false;
};

} // namespace quelto

Q_DECLARE_METATYPE(quelto::HotKeyCombo)
