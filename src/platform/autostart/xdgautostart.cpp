#include "platform/autostart/xdgautostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

namespace quelto {

XdgAutostart::XdgAutostart(QString command)
    : m_command(std::move(command))
{}

QString XdgAutostart::entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/quelto.desktop");
}

bool XdgAutostart::isEnabled() const
{
    const QString path = entryPath();
    if (!QFileInfo::exists(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith("Hidden") && line.contains('=') &&
            line.mid(line.indexOf('=') + 1).trimmed() == "true")
            return false;
    }
    return true;
}

std::optional<QString> XdgAutostart::setEnabled(bool enabled)
{
    const QString path = entryPath();
    if (!enabled) {
        if (QFileInfo::exists(path) && !QFile::remove(path))
            return QStringLiteral("Couldn't remove %1").arg(path);
        return std::nullopt;
    }
    if (!QDir().mkpath(QFileInfo(path).path()))
        return QStringLiteral("Couldn't create %1").arg(QFileInfo(path).path());
    // Exec values quote arguments that hold spaces, per the desktop entry format.
    QString exec = m_command;
    if (exec.contains(u' '))
        exec = u'"' + exec + u'"';
    const QByteArray entry = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Quelto\n"
                             "Comment=Markdown scratchpad on a global shortcut\n"
                             "Exec=" +
                             exec.toUtf8() +
                             "\n"
                             "Icon=quelto\n"
                             "X-GNOME-Autostart-enabled=true\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(entry) != entry.size() || !file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace quelto
