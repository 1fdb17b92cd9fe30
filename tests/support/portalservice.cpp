// SPDX-License-Identifier: GPL-3.0-or-later
// A desktop portal as far as global shortcuts go: owns org.freedesktop.portal.Desktop
// on the session bus and speaks GlobalShortcuts (sessions, Request objects and their
// Response signals) and the host app registry. It says "ready", prints every call it
// gets, one a line, and takes commands on its standard input:
//   press / release      the bound shortcut goes down / up (Activated, Deactivated)
//   change TEXT          the user bound TEXT in the desktop's settings (empty: none)
// Options: --refuse (the user cancels the dialog), --no-shortcuts (a portal without
// the GlobalShortcuts interface), --bind-as TEXT (bind TEXT whatever is asked for).

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

struct Shortcut {
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(Shortcut)

QDBusArgument& operator<<(QDBusArgument& argument, const Shortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Shortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Where a caller's Request or Session object lives, as the portal documentation says.
QString objectPath(const QString& kind, const QDBusMessage& call, const QString& token)
{
    QString sender = call.service().mid(1);
    sender.replace(u'.', u'_');
    return kPath + u'/' + kind + u'/' + sender + u'/' + token;
}

// "CTRL+SHIFT+j" described as KDE does: "Ctrl+Shift+J".
QString describe(const QString& trigger)
{
    QStringList parts;
    for (const QString& part : trigger.split(u'+')) {
        if (part == u"CTRL")
            parts << QStringLiteral("Ctrl");
        else if (part == u"LOGO")
            parts << QStringLiteral("Meta");
        else
            parts << part.left(1).toUpper() + part.mid(1).toLower();
    }
    return parts.join(u'+');
}

class Session : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Session")

public:
    explicit Session(QString path)
        : m_path(std::move(path))
    {}

public slots:
    void Close()
    {
        say(QStringLiteral("close ") + m_path);
        QDBusConnection::sessionBus().unregisterObject(m_path);
        deleteLater();
    }

private:
    QString m_path;
};

class GlobalShortcuts : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)

public:
    GlobalShortcuts(QObject* parent, bool refuse, QString bindAs)
        : QDBusAbstractAdaptor(parent)
        , m_refuse(refuse)
        , m_bindAs(std::move(bindAs))
    {}

    uint version() const { return 1; }

    void press(bool down)
    {
        if (m_session.isEmpty())
            return;
        m_time += down ? 30 : 5;
        QDBusMessage signal = QDBusMessage::createSignal(
            kPath, kInterface, down ? QStringLiteral("Activated") : QStringLiteral("Deactivated"));
        signal << QVariant::fromValue(QDBusObjectPath(m_session)) << m_id
               << QVariant::fromValue(m_time) << QVariantMap();
        QDBusConnection::sessionBus().send(signal);
    }

    void change(const QString& trigger)
    {
        QDBusMessage signal =
            QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("ShortcutsChanged"));
        signal << QVariant::fromValue(QDBusObjectPath(m_session))
               << QVariant::fromValue(
                      QList<Shortcut>{{m_id, {{QStringLiteral("trigger_description"), trigger}}}});
        QDBusConnection::sessionBus().send(signal);
    }

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& call)
    {
        const QString session =
            objectPath(QStringLiteral("session"), call,
                       options.value(QStringLiteral("session_handle_token")).toString());
        say(QStringLiteral("create"));
        QDBusConnection::sessionBus().registerObject(session, new Session(session),
                                                     QDBusConnection::ExportAllSlots);
        m_session = session;
        // The portal documents the handle as a string here.
        return respond(call, options, 0, {{QStringLiteral("session_handle"), session}});
    }

    QDBusObjectPath BindShortcuts(const QDBusObjectPath& session, const QList<Shortcut>& shortcuts,
                                  const QString& parentWindow, const QVariantMap& options,
                                  const QDBusMessage& call)
    {
        Q_UNUSED(parentWindow);
        QList<Shortcut> bound;
        for (const Shortcut& s : shortcuts) {
            const QString preferred =
                s.properties.value(QStringLiteral("preferred_trigger")).toString();
            say(QStringLiteral("bind %1|%2|%3|%4")
                    .arg(session.path() == m_session ? QStringLiteral("session") : session.path(),
                         s.id, s.properties.value(QStringLiteral("description")).toString(),
                         preferred));
            m_id = s.id;
            bound.append({s.id,
                          {{QStringLiteral("description"), s.properties.value("description")},
                           {QStringLiteral("trigger_description"),
                            m_bindAs.isNull() ? describe(preferred) : m_bindAs}}});
        }
        if (m_refuse)
            return respond(call, options, 1, {});
        return respond(call, options, 0,
                       {{QStringLiteral("shortcuts"), QVariant::fromValue(bound)}});
    }

private:
    // The Request object answers on a later turn, after the call's own reply.
    QDBusObjectPath respond(const QDBusMessage& call, const QVariantMap& options, uint response,
                            const QVariantMap& results)
    {
        const QString request =
            objectPath(QStringLiteral("request"), call,
                       options.value(QStringLiteral("handle_token")).toString());
        QTimer::singleShot(10, this, [=] {
            QDBusMessage signal = QDBusMessage::createSignal(
                request, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"));
            signal << response << results;
            QDBusConnection::sessionBus().send(signal);
        });
        return QDBusObjectPath(request);
    }

    bool m_refuse;
    QString m_bindAs;
    QString m_session;
    QString m_id;
    qulonglong m_time = 1000;
};

class Registry : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.host.portal.Registry")

public:
    explicit Registry(QObject* parent)
        : QDBusAbstractAdaptor(parent)
    {}

public slots:
    void Register(const QString& appId, const QVariantMap&)
    {
        say(QStringLiteral("register ") + appId);
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
    const QStringList args = app.arguments();
    const qsizetype bindAs = args.indexOf(QStringLiteral("--bind-as"));

    QObject portal;
    new Registry(&portal);
    GlobalShortcuts* shortcuts = nullptr;
    if (!args.contains(QStringLiteral("--no-shortcuts")))
        shortcuts = new GlobalShortcuts(&portal, args.contains(QStringLiteral("--refuse")),
                                        bindAs > 0 ? args.value(bindAs + 1) : QString());
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(kPath, &portal, QDBusConnection::ExportAdaptors) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")))
        return 1;
    say(QStringLiteral("ready"));

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char chunk[256];
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got <= 0) {
            QCoreApplication::quit();
            return;
        }
        pending.append(chunk, got);
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QString command = QString::fromUtf8(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            if (!shortcuts)
                continue;
            if (command == u"press")
                shortcuts->press(true);
            else if (command == u"release")
                shortcuts->press(false);
            else if (command.startsWith(u"change"))
                shortcuts->change(command.mid(7));
        }
    });
    return QCoreApplication::exec();
}

#include "portalservice.moc"
