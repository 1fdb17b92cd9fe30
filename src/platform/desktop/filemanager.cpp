// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/filemanager.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QUrl>

namespace quelto::FileManager {

void showItem(const QString& path, std::function<void()> failed)
{
    const QUrl url = QUrl::fromLocalFile(path);
    const auto openFolder = [url, failed = std::move(failed)] {
        if (!QDesktopServices::openUrl(url) && failed)
            failed();
    };
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolder();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{url.toString(QUrl::FullyEncoded)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kShowTimeoutMs), qApp);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, qApp,
                     [openFolder](QDBusPendingCallWatcher* done) {
                         if (done->isError())
                             openFolder();
                         done->deleteLater();
                     });
}

} // namespace quelto::FileManager
