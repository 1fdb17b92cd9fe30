// SPDX-License-Identifier: GPL-3.0-or-later
// A file manager as far as the freedesktop FileManager1 interface goes: owns the name
// on the session bus, says "ready", and prints the URIs of every ShowItems request,
// one a line, until its standard input closes.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

class FileManager1 : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public slots:
    Q_SCRIPTABLE void ShowItems(const QStringList& uris, const QString& /*startupId*/)
    {
        for (const QString& uri : uris)
            std::printf("ShowItems %s\n", qPrintable(uri));
        std::fflush(stdout);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    FileManager1 service;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &service,
                            QDBusConnection::ExportScriptableSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.FileManager1")))
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char byte = 0;
        if (::read(STDIN_FILENO, &byte, 1) <= 0)
            QCoreApplication::quit();
    });
    return QCoreApplication::exec();
}

#include "filemanagerservice.moc"
