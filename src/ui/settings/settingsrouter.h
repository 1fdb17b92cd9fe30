// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which settings page is shown: shared by the sidebar and the page area, and watched
// by the window so its title names the page.

#include "ui/settings/settingspage.h"

#include <QObject>

namespace quelto {

class SettingsRouter : public QObject {
    Q_OBJECT
    Q_PROPERTY(quelto::SettingsPage page READ page WRITE setPage NOTIFY pageChanged)

public:
    using QObject::QObject;

    SettingsPage page() const { return m_page; }
    void setPage(SettingsPage page);

signals:
    void pageChanged(quelto::SettingsPage page);

private:
    SettingsPage m_page = SettingsPage::General;
};

} // namespace quelto
