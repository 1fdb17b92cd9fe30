// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Starting Quelto when the user logs in through the user's XDG autostart entry:
// enabled while $XDG_CONFIG_HOME/autostart/quelto.desktop exists and is neither
// marked Hidden=true nor X-GNOME-Autostart-enabled=false.

#include "core/settings/loginitemservice.h"

namespace quelto {

class XdgAutostart final : public LoginItemService {
public:
    // `executable` is what the session runs at login (this program's absolute path).
    explicit XdgAutostart(QString executable);

    static QString entryPath();
    // What the entry's Exec key holds: the bare program name when PATH finds this
    // same file, else the absolute path, quoted and escaped as desktop entries ask.
    static QString execValue(const QString& executable);

    bool isEnabled() const override;
    std::optional<QString> setEnabled(bool enabled) override;

private:
    QString m_executable;
};

} // namespace quelto
