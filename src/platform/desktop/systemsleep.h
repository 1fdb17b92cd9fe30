// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The machine about to sleep, with a hold on the sleep until Quelto lets it go, so
// what was typed is on disk before the lid closes. LogindSleep is the real one;
// TestSleep (testsleep.h) announces a sleep when a test says so.

#include <QDBusUnixFileDescriptor>
#include <QObject>

namespace quelto {

class SystemSleep : public QObject {
    Q_OBJECT

public:
    // From now on: hold every sleep and announce it.
    virtual void watch() = 0;
    // Lets the sleep last announced go ahead; the next one is held again.
    virtual void release() = 0;

signals:
    void aboutToSleep();

protected:
    using QObject::QObject;
};

// logind on the system bus: its PrepareForSleep signal and a "delay" inhibitor lock,
// which logind keeps the sleep waiting for (up to its InhibitDelayMaxSec). A machine
// without logind never announces a sleep, and nothing waits for it at start.
class LogindSleep final : public SystemSleep {
    Q_OBJECT

public:
    using SystemSleep::SystemSleep;

    void watch() override;
    void release() override;

private slots:
    void prepareForSleep(bool goingToSleep);

private:
    void hold();

    QDBusUnixFileDescriptor m_inhibitor;
};

} // namespace quelto
