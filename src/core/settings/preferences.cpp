// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/preferences.h"

#include "core/settings/panelframestore.h"

#include <algorithm>
#include <cmath>
#include <syslog.h>

namespace quelto {

namespace {

const QString kHotKey = QStringLiteral("hotKey");
const QString kHideOnClickAway = QStringLiteral("hideOnClickAway");
const QString kShowDockIcon = QStringLiteral("showDockIcon");
const QString kFontSize = QStringLiteral("fontSize");
const QString kUseMonospace = QStringLiteral("useMonospace");
const QString kMathEnabled = QStringLiteral("mathEnabled");
const QString kHasCompletedOnboarding = QStringLiteral("hasCompletedOnboarding");
const QString kPortalSessionToken = QStringLiteral("portalSessionToken");
const QString kNoShortcutExplained = QStringLiteral("noShortcutExplained");
const QString kPanelFrame = QStringLiteral("panel.frame");
const QString kLastUpdateCheck = QStringLiteral("updates/lastCheck");
const QString kNotifiedUpdateVersion = QStringLiteral("updates/notifiedVersion");

// INI files give every value back as text, so numbers are read from either form.
std::optional<int> readFontSize(const QVariant& value)
{
    if (!value.isValid())
        return std::nullopt;
    bool ok = false;
    const qlonglong whole = value.toLongLong(&ok);
    if (ok)
        return static_cast<int>(std::clamp<qlonglong>(whole, INT_MIN, INT_MAX));
    const double real = value.toDouble(&ok);
    if (!ok || !std::isfinite(real))
        return std::nullopt;
    return static_cast<int>(std::clamp(std::trunc(real), double(INT_MIN), double(INT_MAX)));
}

} // namespace

Preferences::Preferences(std::unique_ptr<QSettings> store,
                         std::unique_ptr<LoginItemService> loginItems, QObject* parent)
    : QObject(parent)
    , m_store(std::move(store))
    , m_loginItems(std::move(loginItems))
{
    const QVariant hotKey = m_store->value(kHotKey);
    if (hotKey.isValid())
        m_hotKey =
            HotKeyCombo::fromJson(hotKey.toByteArray()).value_or(HotKeyCombo::defaultCombo());
    m_hideOnClickAway = readBool(kHideOnClickAway, false);
    m_showDockIcon = readBool(kShowDockIcon, false);
    m_fontSize = std::clamp(readFontSize(m_store->value(kFontSize)).value_or(kDefaultFontSize),
                            kMinFontSize, kMaxFontSize);
    m_useMonospace = readBool(kUseMonospace, false);
    m_mathEnabled = readBool(kMathEnabled, true);
    m_hasCompletedOnboarding = readBool(kHasCompletedOnboarding, false);
    m_launchAtLogin = m_loginItems && m_loginItems->isEnabled();
}

bool Preferences::readBool(const QString& key, bool fallback) const
{
    const QVariant value = m_store->value(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    const QString text = value.toString().trimmed().toLower();
    if (text == u"true" || text == u"1")
        return true;
    if (text == u"false" || text == u"0")
        return false;
    return fallback;
}

void Preferences::writeBool(const QString& key, bool value, bool& field,
                            void (Preferences::*changed)())
{
    const bool differs = field != value;
    field = value;
    m_store->setValue(key, value);
    if (differs)
        emit(this->*changed)();
}

void Preferences::setHotKey(const HotKeyCombo& combo)
{
    keepHotKey(combo);
    emit queltoHotKeyChanged();
}

void Preferences::keepHotKey(const HotKeyCombo& combo)
{
    const bool differs = m_hotKey != combo;
    m_hotKey = combo;
    m_store->setValue(kHotKey, combo.toJson());
    if (differs)
        emit hotKeyChanged();
}

void Preferences::setHideOnClickAway(bool value)
{
    writeBool(kHideOnClickAway, value, m_hideOnClickAway, &Preferences::hideOnClickAwayChanged);
}

void Preferences::setShowDockIcon(bool value)
{
    writeBool(kShowDockIcon, value, m_showDockIcon, &Preferences::showDockIconChanged);
}

void Preferences::setHasCompletedOnboarding(bool value)
{
    writeBool(kHasCompletedOnboarding, value, m_hasCompletedOnboarding,
              &Preferences::hasCompletedOnboardingChanged);
}

QString Preferences::portalSessionToken() const
{
    return m_store->value(kPortalSessionToken).toString();
}

void Preferences::setPortalSessionToken(const QString& token)
{
    m_store->setValue(kPortalSessionToken, token);
}

bool Preferences::noShortcutExplained() const
{
    return readBool(kNoShortcutExplained, false);
}

void Preferences::setNoShortcutExplained(bool value)
{
    m_store->setValue(kNoShortcutExplained, value);
}

std::optional<QRectF> Preferences::panelFrame(const QString& screenKey) const
{
    return PanelFrameStore::load(kPanelFrame, screenKey, *m_store);
}

void Preferences::setPanelFrame(const QString& screenKey, const QRectF& frame)
{
    PanelFrameStore::save(frame, kPanelFrame, screenKey, *m_store);
}

QDateTime Preferences::lastUpdateCheck() const
{
    return QDateTime::fromString(m_store->value(kLastUpdateCheck).toString(), Qt::ISODate);
}

void Preferences::setLastUpdateCheck(const QDateTime& when)
{
    m_store->setValue(kLastUpdateCheck, when.toString(Qt::ISODate));
}

QString Preferences::notifiedUpdateVersion() const
{
    return m_store->value(kNotifiedUpdateVersion).toString();
}

void Preferences::setNotifiedUpdateVersion(const QString& version)
{
    m_store->setValue(kNotifiedUpdateVersion, version);
}

void Preferences::setFontSize(int points)
{
    const int clamped = std::clamp(points, kMinFontSize, kMaxFontSize);
    if (clamped != points) {
        setFontSize(clamped);
        return;
    }
    const bool differs = m_fontSize != points;
    m_fontSize = points;
    m_store->setValue(kFontSize, points);
    if (differs)
        emit fontSizeChanged();
    emit queltoEditorPrefsChanged();
}

void Preferences::setUseMonospace(bool value)
{
    writeBool(kUseMonospace, value, m_useMonospace, &Preferences::useMonospaceChanged);
    emit queltoEditorPrefsChanged();
}

void Preferences::setMathEnabled(bool value)
{
    writeBool(kMathEnabled, value, m_mathEnabled, &Preferences::mathEnabledChanged);
    emit queltoEditorPrefsChanged();
}

void Preferences::setLaunchAtLogin(bool value)
{
    const bool differs = m_launchAtLogin != value;
    m_launchAtLogin = value;
    if (differs && m_loginItems) {
        if (const std::optional<QString> error = m_loginItems->setEnabled(value)) {
            const QByteArray line = "Quelto: launch at login change failed: " + error->toUtf8();
            syslog(LOG_WARNING, "%s", line.constData());
        }
    }
    if (differs)
        emit launchAtLoginChanged();
}

} // namespace quelto
