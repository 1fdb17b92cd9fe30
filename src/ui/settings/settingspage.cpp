// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/settingspage.h"

namespace quelto {

const QList<SettingsPage>& allSettingsPages()
{
    static const QList<SettingsPage> pages{SettingsPage::General, SettingsPage::Editor,
                                           SettingsPage::About};
    return pages;
}

const SettingsPageInfo& settingsPageInfo(SettingsPage page)
{
    static const SettingsPageInfo general{QStringLiteral("general"), QStringLiteral("General"),
                                          QStringLiteral("preferences-system"),
                                          QStringLiteral("general"), QColor(0x8e, 0x8e, 0x93)};
    static const SettingsPageInfo editor{QStringLiteral("editor"), QStringLiteral("Editor"),
                                         QStringLiteral("preferences-desktop-font"),
                                         QStringLiteral("editor"), QColor(0xaf, 0x52, 0xde)};
    static const SettingsPageInfo about{QStringLiteral("about"), QStringLiteral("About"),
                                        QStringLiteral("help-about"), QStringLiteral("about"),
                                        QColor(0x00, 0x7a, 0xff)};
    switch (page) {
    case SettingsPage::General:
        return general;
    case SettingsPage::Editor:
        return editor;
    case SettingsPage::About:
        break;
    }
    return about;
}

} // namespace quelto
