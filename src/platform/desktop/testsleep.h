// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A machine that sleeps when the test says so, and tells whether its sleep is held.

#include "platform/desktop/systemsleep.h"

namespace quelto {

class TestSleep final : public SystemSleep {
    Q_OBJECT

public:
    using SystemSleep::SystemSleep;

    void watch() override { m_held = true; }
    void release() override { m_held = false; }

    // Announces a sleep, as the machine would before it goes.
    void sleep() { emit aboutToSleep(); }
    bool held() const { return m_held; }

private:
    bool m_held = false;
};

} // namespace quelto
