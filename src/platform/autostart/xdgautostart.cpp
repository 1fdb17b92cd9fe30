// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/autostart/xdgautostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace quelto {

namespace {

// Characters that make an Exec argument need quotes, and those that must then be
// escaped inside the quotes.
const QString kNeedsQuotes = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
const QString kEscapedInQuotes = QStringLiteral("\"`$\\");

// A desktop entry's value as the file holds it: backslashes and control
// characters written as escapes, read back by every parser before the Exec rules.
QString escapeValue(const QString& value)
{
    QString out;
    for (const QChar c : value) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

// Key=value of the [Desktop Entry] group, as written (values unescaped are not needed
// for the two Boolean keys read here).
QHash<QByteArray, QByteArray> desktopEntryKeys(QFile& file)
{
    QHash<QByteArray, QByteArray> keys;
    bool inEntry = false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith('[')) {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inEntry || line.startsWith('#') || equals < 0)
            continue;
        keys.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return keys;
}

} // namespace

XdgAutostart::XdgAutostart(QString executable)
    : m_executable(std::move(executable))
{}

QString XdgAutostart::entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/quelto.desktop");
}

QString XdgAutostart::execValue(const QString& executable)
{
    const QFileInfo program(executable);
    const QString onPath = QStandardPaths::findExecutable(program.fileName());
    const bool found =
        !onPath.isEmpty() && QFileInfo(onPath).canonicalFilePath() == program.canonicalFilePath();
    QString argument = found ? program.fileName() : program.absoluteFilePath();
    if (std::any_of(argument.cbegin(), argument.cend(),
                    [](QChar c) { return kNeedsQuotes.contains(c); })) {
        QString quoted = QStringLiteral("\"");
        for (const QChar c : argument) {
            if (kEscapedInQuotes.contains(c))
                quoted += u'\\';
            quoted += c;
        }
        argument = quoted + u'"';
    }
    // Field codes start with %, so a literal one is doubled.
    return escapeValue(argument.replace(u'%', QStringLiteral("%%")));
}

bool XdgAutostart::isEnabled() const
{
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    const QHash<QByteArray, QByteArray> keys = desktopEntryKeys(file);
    return keys.value("Hidden") != "true" && keys.value("X-GNOME-Autostart-enabled") != "false";
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
    const QByteArray entry = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Quelto\n"
                             "Comment=Markdown scratchpad on a global shortcut\n"
                             "Exec=" +
                             execValue(m_executable).toUtf8() +
                             "\n"
                             "Icon=app.quelto.Quelto\n"
                             "X-GNOME-Autostart-enabled=true\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(entry) != entry.size() || !file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace quelto
