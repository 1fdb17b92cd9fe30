// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real quelto binary as a user runs it, with a home of its own: starting and
// stopping it, a second start handing it a command, keys through xdotool, and its
// notes read from disk.

#include "support/notes.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace quelto::testing {

// A program's standard output, trimmed, under `env`.
inline QString runProgram(const QString& program, const QStringList& args,
                          const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

class AppProcess {
public:
    // `base` is the session the binary runs in (an X server, a Wayland compositor).
    explicit AppProcess(QProcessEnvironment base = QProcessEnvironment::systemEnvironment())
        : m_env(std::move(base))
    {
        m_env.insert("HOME", m_home.path());
        m_env.insert("XDG_DATA_HOME", m_home.filePath(".local/share"));
        m_env.insert("XDG_CONFIG_HOME", m_home.filePath(".config"));
        m_env.insert("XDG_STATE_HOME", m_home.filePath(".local/state"));
    }
    ~AppProcess() { stop(); }

    QProcessEnvironment& environment() { return m_env; }
    QString homePath(const QString& relative) const { return m_home.filePath(relative); }
    QString dataPath(const QString& relative) const
    {
        return m_home.filePath(".local/share/Quelto/" + relative);
    }
    QString configPath() const { return m_home.filePath(".config/Quelto/Quelto.conf"); }
    QProcess& process() { return *m_process; }
    // Standard output and error, when started with `captureOutput`.
    const QByteArray& log() const { return m_log; }

    void start(bool captureOutput = false)
    {
        m_log.clear();
        m_process = std::make_unique<QProcess>();
        m_process->setProcessEnvironment(m_env);
        if (captureOutput) {
            m_process->setProcessChannelMode(QProcess::MergedChannels);
            QObject::connect(m_process.get(), &QProcess::readyRead, m_process.get(),
                             [this] { m_log += m_process->readAll(); });
        } else {
            m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        }
        m_process->start(QStringLiteral(QUELTO_BINARY), {});
        QVERIFY(m_process->waitForStarted());
    }

    // Ends it as logout would; true when it went by itself.
    bool stop()
    {
        if (!m_process || m_process->state() == QProcess::NotRunning)
            return true;
        m_process->terminate();
        return m_process->waitForFinished(5000) && m_process->exitStatus() == QProcess::NormalExit;
    }

    // A second start with `args`, retried until the running one listens; true when it
    // handed the command on.
    bool command(const QStringList& args)
    {
        for (int attempt = 0; attempt < 50; ++attempt) {
            QProcess p;
            p.setProcessEnvironment(m_env);
            p.start(QStringLiteral(QUELTO_BINARY), args);
            if (p.waitForFinished(10000) && p.exitCode() == 0)
                return true;
            QTest::qWait(100);
        }
        return false;
    }

    QString xdotool(const QStringList& args) const
    {
        return runProgram(QStringLiteral("xdotool"), args, m_env);
    }
    void key(const QString& keys) const { xdotool({"key", "--delay", "30", keys}); }
    void type(const QString& text, int delayMs = 10) const
    {
        xdotool({"type", "--delay", QString::number(delayMs), text});
    }
    // Visible windows whose title matches `pattern`.
    QStringList windows(const QString& pattern) const
    {
        const QString out = xdotool({"search", "--onlyvisible", "--name", pattern});
        return out.isEmpty() ? QStringList() : out.split('\n');
    }
    bool panelVisible() const { return !windows(QStringLiteral("^Quelto$")).isEmpty(); }

    QString activeNotePath() const
    {
        const QJsonObject index =
            QJsonDocument::fromJson(readFile(dataPath("index.json"))).object();
        return dataPath("Notes/" + index.value("activeID").toString() + ".md");
    }
    QString activeText() const { return QString::fromUtf8(readFile(activeNotePath())); }
    // Every note file's text.
    QStringList texts(const QString& folder) const
    {
        QStringList out;
        for (const QString& name : QDir(folder).entryList({"*.md"}))
            out << QString::fromUtf8(readFile(folder + '/' + name));
        return out;
    }

private:
    QTemporaryDir m_home;
    QProcessEnvironment m_env;
    std::unique_ptr<QProcess> m_process;
    QByteArray m_log;
};

} // namespace quelto::testing
