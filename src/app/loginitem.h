#pragma once
// Starting Quelto when the user logs in. On Linux this is the user's XDG autostart
// entry: enabled while $XDG_CONFIG_HOME/autostart/quelto.desktop exists and is not
// marked Hidden=true.

#include <QString>

#include <optional>

namespace quelto {

class LoginItemService {
public:
    virtual ~LoginItemService() = default;
    virtual bool isEnabled() const = 0;
    // The error's description, or nothing on success.
    virtual std::optional<QString> setEnabled(bool enabled) = 0;
};

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
