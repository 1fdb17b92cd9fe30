// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/systemsleep.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace quelto {

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");

} // namespace

void LogindSleep::watch()
{
    QDBusConnection::systemBus().connect(kService, kPath, kManager,
                                         QStringLiteral("PrepareForSleep"), this,
                                         SLOT(prepareForSleep(bool)));
    hold();
}

void LogindSleep::hold()
{
    QDBusMessage inhibit =
        QDBusMessage::createMethodCall(kService, kPath, kManager, QStringLiteral("Inhibit"));
    inhibit << QStringLiteral("sleep") << QStringLiteral("Quelto") << QStringLiteral("Saving notes")
            << QStringLiteral("delay");
    // Asynchronous: a machine without logind must not slow the start down.
    auto* call = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(inhibit), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *done;
        if (reply.isValid())
            m_inhibitor = reply.value();
        done->deleteLater();
    });
}

void LogindSleep::prepareForSleep(bool goingToSleep)
{
    if (goingToSleep)
        emit aboutToSleep();
    else
        hold(); // the lock went with the last sleep
}

void LogindSleep::release()
{
    // Closing the descriptor lets the machine sleep.
    m_inhibitor = QDBusUnixFileDescriptor();
}

} // namespace quelto
