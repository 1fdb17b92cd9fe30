// Quelto: a Markdown scratchpad on a global shortcut.

#include "app/appdelegate.h"
#include "app/singleinstance.h"
#include "platform/autostart/xdgautostart.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSocketNotifier>

#include <csignal>
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
        delegate.saveBeforeStopping();
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
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quelto"));
    QApplication::setApplicationVersion(QStringLiteral(QUELTO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quelto"));
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A Markdown scratchpad that floats above every window.\n"
                       "Starting Quelto while it runs shows its panel."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption toggle(QStringLiteral("toggle"),
                                    QStringLiteral("Show or hide the panel of the running Quelto "
                                                   "(bind this to a key on any desktop)."));
    parser.addOption(toggle);
    parser.process(app);

    const QString folder = quelto::AppDelegate::dataFolder();
    quelto::SingleInstance instance(folder);
    const QByteArray command = parser.isSet(toggle) ? "toggle" : "show";
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
    instance.listen();
    watchTerminationSignals(delegate);
    if (parser.isSet(toggle))
        delegate.togglePanel();
    return QApplication::exec();
}
