// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A tray host in this process, for tests of what Quelto says and does with and without
// a tray: it is there or not as the test sets it.

#include "platform/desktop/trayhost.h"

namespace quelto {

class TestTrayHost final : public TrayHost {
    Q_OBJECT

public:
    explicit TestTrayHost(bool available, QObject* parent = nullptr)
        : TrayHost(available, parent)
    {}

    using TrayHost::setAvailable;
};

} // namespace quelto
