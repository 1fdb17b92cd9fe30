#pragma once
// Starting Quelto when the user logs in through the user's XDG autostart
// entry: enabled while $XDG_CONFIG_HOME/autostart/quelto.desktop exists and is not
// marked Hidden=true.

#include "core/settings/loginitemservice.h"

namespace quelto {

class XdgAutostart final : public LoginItemService {
public:
    // `command` is what the session runs at login (this executable).
    explicit XdgAutostart(QString command);

    static QString entryPath();
    bool isEnabled() const override;
    std::optional<QString> setEnabled(bool enabled) override;

private:
    QString m_command;
};

} // namespace quelto
