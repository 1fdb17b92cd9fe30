// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/settingsrouter.h"

namespace quelto {

void SettingsRouter::setPage(SettingsPage page)
{
    if (page == m_page)
        return;
    m_page = page;
    emit pageChanged(page);
}

} // namespace quelto
