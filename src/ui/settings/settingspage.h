// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pages of the settings window, in sidebar order, with what the sidebar shows.

#include <QColor>
#include <QList>
#include <QString>

namespace quelto {

enum class SettingsPage { General, Editor, About };

struct SettingsPageInfo {
    QString rawValue; // "general": names the page wherever it is stored or looked up
    QString title;
    QString themeIcon;   // freedesktop icon name
    QString bundledIcon; // our own symbol when the theme lacks it
    QColor tint;
};

const QList<SettingsPage>& allSettingsPages();
const SettingsPageInfo& settingsPageInfo(SettingsPage page);

} // namespace quelto
