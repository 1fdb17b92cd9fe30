// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Starting Quelto when the user logs in, as the preferences see it: on or off, and a
// description of what went wrong when a change failed.

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

} // namespace quelto
