// SPDX-License-Identifier: GPL-3.0-or-later
// Quelto: a Markdown scratchpad on a global shortcut.

#include "app/appdelegate.h"
#include "app/commandline.h"
#include "app/singleinstance.h"
#include "platform/autostart/xdgautostart.h"
#include "platform/desktop/session.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop reads the pipe and quits cleanly.
void onTerminationSignal(int signal)
{
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const auto written = ::write(g_signalPipe[0], &byte, 1);
}

void watchTerminationSignals(quelto::AppDelegate& delegate)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [&delegate] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(g_signalPipe[1], &byte, 1);
        // Told to stop: write everything and go, without asking.
        delegate.stopGuard().saveBeforeStopping();
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("Quelto"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUELTO_VERSION));
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const std::variant<quelto::CommandLine, int> parsed = quelto::CommandLine::parse(arguments);
    if (const int* exitCode = std::get_if<int>(&parsed))
        return *exitCode;
    const bool toggle = std::get<quelto::CommandLine>(parsed).toggle;

    const std::optional<QByteArray> platform =
        quelto::Session::preferredPlatform(QProcessEnvironment::systemEnvironment(), arguments);
    if (platform)
        qputenv("QT_QPA_PLATFORM", *platform);
    QApplication app(argc, argv);
    // Only for Quelto itself: programs it starts (a browser for a link) choose their own.
    if (platform)
        qunsetenv("QT_QPA_PLATFORM");
    // Window titles read "General — Quelto" in taskbars and window lists.
    QApplication::setApplicationDisplayName(QStringLiteral("Quelto"));
    QApplication::setDesktopFileName(QStringLiteral("app.quelto.Quelto"));
    QApplication::setQuitOnLastWindowClosed(false);

    const QString folder = quelto::AppDelegate::dataFolder();
    quelto::SingleInstance instance(folder);
    const QByteArray command = toggle ? "toggle" : "show";
    if (!instance.claim()) {
        // Another Quelto owns the notes: hand it the command and leave them alone.
        return instance.send(command) ? 0 : 1;
    }

    quelto::Preferences prefs(
        std::make_unique<QSettings>(QStringLiteral("Quelto"), QStringLiteral("Quelto")),
        std::make_unique<quelto::XdgAutostart>(QCoreApplication::applicationFilePath()));
    quelto::AppDelegate delegate(prefs, folder);
    delegate.launch();
    QObject::connect(&instance, &quelto::SingleInstance::commandReceived, &delegate,
                     [&delegate](const QByteArray& received) {
                         if (received == "toggle")
                             delegate.togglePanel();
                         else
                             delegate.reopen();
                     });
    // Quelto still works, but starting it again will not find this one.
    if (!instance.listen())
        std::fprintf(stderr, "Quelto: can't listen for other starts: %s\n",
                     qPrintable(instance.errorString()));
    watchTerminationSignals(delegate);
    if (toggle)
        delegate.togglePanel();
    return QApplication::exec();
}
