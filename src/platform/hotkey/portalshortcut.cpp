// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hotkey/portalshortcut.h"

#include "platform/hotkey/portaltrigger.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

// One entry of the portal's a(sa{sv}) shortcut lists.
struct PortalEntry {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalEntry& entry)
{
    argument.beginStructure();
    argument << entry.id << entry.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalEntry& entry)
{
    argument.beginStructure();
    argument >> entry.id >> entry.properties;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(PortalEntry)

namespace quelto {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");
const QString kRegistryInterface = QStringLiteral("org.freedesktop.host.portal.Registry");
constexpr uint kResponseSuccess = 0;
constexpr uint kResponseCancelled = 1;
constexpr uint kResponseEnded = 2;
// Where a call's D-Bus error travels with its response code.
constexpr const char* kErrorKey = "quelto-error";

// Waits for the Response signal of one portal Request object, then goes.
class ResponseWatcher final : public QObject {
    Q_OBJECT

public:
    using Done = std::function<void(uint, const QVariantMap&)>;

    ResponseWatcher(QDBusConnection bus, Done done, QObject* parent)
        : QObject(parent)
        , m_bus(std::move(bus))
        , m_done(std::move(done))
    {}

    void watch(const QString& path)
    {
        if (path == m_path)
            return;
        if (!m_path.isEmpty())
            m_bus.disconnect(kService, m_path, kRequestInterface, QStringLiteral("Response"), this,
                             SLOT(onResponse(uint, QVariantMap)));
        m_path = path;
        m_bus.connect(kService, m_path, kRequestInterface, QStringLiteral("Response"), this,
                      SLOT(onResponse(uint, QVariantMap)));
    }

    void finish(uint response, const QVariantMap& results)
    {
        if (!m_done)
            return;
        const Done done = std::exchange(m_done, nullptr);
        m_bus.disconnect(kService, m_path, kRequestInterface, QStringLiteral("Response"), this,
                         SLOT(onResponse(uint, QVariantMap)));
        deleteLater();
        done(response, results);
    }

public slots:
    void onResponse(uint response, const QVariantMap& results) { finish(response, results); }

private:
    QDBusConnection m_bus;
    Done m_done;
    QString m_path;
};

QString objectPathText(const QVariant& value)
{
    // A string in older portals, an object path in newer ones.
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

} // namespace

PortalShortcut::PortalShortcut(QDBusConnection bus, QString appId, QString sessionToken,
                               QObject* parent)
    : ShortcutBackend(parent)
    , m_bus(std::move(bus))
    , m_appId(std::move(appId))
    , m_sessionToken(isSessionToken(sessionToken) ? std::move(sessionToken) : newSessionToken())
{
    qDBusRegisterMetaType<PortalEntry>();
    qDBusRegisterMetaType<QList<PortalEntry>>();
    if (!m_bus.isConnected())
        return;
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                  SLOT(onActivated(QDBusMessage)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("Deactivated"), this,
                  SLOT(onDeactivated(QDBusMessage)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("ShortcutsChanged"), this,
                  SLOT(onShortcutsChanged(QDBusMessage)));
}

PortalShortcut::~PortalShortcut()
{
    closeSession();
}

QString PortalShortcut::newSessionToken()
{
    const quint64 bits = QRandomGenerator::system()->generate64();
    return QStringLiteral("quelto_%1").arg(bits, 16, 16, QLatin1Char('0'));
}

bool PortalShortcut::isSessionToken(const QString& token)
{
    static const QRegularExpression shape(QStringLiteral("^[A-Za-z0-9_]{1,64}$"));
    return shape.match(token).hasMatch();
}

void PortalShortcut::bind(const HotKeyCombo& combo)
{
    ++m_generation;
    m_trigger = PortalTrigger::fromCombo(combo).value_or(QString());
    m_repeats.reset();
    if (!m_bus.isConnected()) {
        // Answered on a later turn, as the portal's answers are.
        QMetaObject::invokeMethod(
            this, [this] { emit refused(Refusal::Unavailable, {}); }, Qt::QueuedConnection);
        return;
    }
    closeSession();
    m_probed ? createSession() : registerApp();
}

void PortalShortcut::release()
{
    ++m_generation; // an answer still on its way binds nothing
    closeSession();
}

void PortalShortcut::registerApp()
{
    // Portals that keep a registry of host applications want to be told the app id
    // before anything else; older ones have no registry, which is fine.
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kRegistryInterface,
                                                       QStringLiteral("Register"));
    call << m_appId << QVariantMap();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    const quint64 generation = m_generation;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation](QDBusPendingCallWatcher* done) {
                done->deleteLater();
                if (generation == m_generation)
                    probe();
            });
}

void PortalShortcut::probe()
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << kInterface << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    const quint64 generation = m_generation;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation](QDBusPendingCallWatcher* done) {
                done->deleteLater();
                if (generation != m_generation)
                    return;
                if (done->isError()) {
                    emit refused(Refusal::Unavailable, {});
                    return;
                }
                m_probed = true;
                createSession();
            });
}

QVariant PortalShortcut::shortcutList() const
{
    QVariantMap properties{{QStringLiteral("description"), QString::fromLatin1(kDescription)}};
    if (!m_trigger.isEmpty())
        properties.insert(QStringLiteral("preferred_trigger"), m_trigger);
    return QVariant::fromValue(QList<PortalEntry>{{QString::fromLatin1(kShortcutId), properties}});
}

void PortalShortcut::createSession()
{
    const QString token = nextToken();
    // Some desktops (KDE Plasma 5.27) register only the shortcuts named here, and
    // answer BindShortcuts with an empty list.
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("session_handle_token"), m_sessionToken},
                              {QStringLiteral("shortcuts"), shortcutList()}};
    request(QStringLiteral("CreateSession"), {options}, token,
            [this](uint response, const QVariantMap& results) {
                m_session = objectPathText(results.value(QStringLiteral("session_handle")));
                if (response != kResponseSuccess || m_session.isEmpty()) {
                    emit refused(Refusal::Declined, refusal(response, results));
                    return;
                }
                bindShortcut();
            });
}

void PortalShortcut::bindShortcut()
{
    const QString token = nextToken();
    request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(m_session)), shortcutList(), QString(),
             QVariantMap{{QStringLiteral("handle_token"), token}}},
            token, [this](uint response, const QVariantMap& results) {
                if (response != kResponseSuccess) {
                    emit refused(Refusal::Declined, refusal(response, results));
                    return;
                }
                answer(results.value(QStringLiteral("shortcuts")));
            });
}

QString PortalShortcut::refusal(uint response, const QVariantMap& results)
{
    const QString error = results.value(QString::fromLatin1(kErrorKey)).toString();
    if (!error.isEmpty())
        return error;
    return response == kResponseCancelled ? QStringLiteral("The request was cancelled.")
                                          : QStringLiteral("The desktop ended the request.");
}

void PortalShortcut::request(const QString& method, QList<QVariant> arguments, const QString& token,
                             std::function<void(uint, const QVariantMap&)> done)
{
    const quint64 generation = m_generation;
    auto* response = new ResponseWatcher(
        m_bus,
        [this, generation, done = std::move(done)](uint code, const QVariantMap& results) {
            if (generation == m_generation)
                done(code, results);
        },
        this);
    // Listening before the call: the response may come before its reply is read.
    QString sender = m_bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    response->watch(kPath + QStringLiteral("/request/") + sender + u'/' + token);

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    auto* reply = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(reply, &QDBusPendingCallWatcher::finished, response,
            [response](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> handle = *finished;
                if (handle.isError()) // refused outright: as good as a "no"
                    response->finish(kResponseEnded,
                                     {{QString::fromLatin1(kErrorKey), handle.error().message()}});
                else
                    response->watch(handle.value().path()); // portals before 0.9 chose their own
            });
}

void PortalShortcut::answer(const QVariant& shortcuts)
{
    QList<PortalEntry> entries;
    if (shortcuts.canConvert<QDBusArgument>())
        entries = qdbus_cast<QList<PortalEntry>>(shortcuts.value<QDBusArgument>());
    else
        entries = shortcuts.value<QList<PortalEntry>>();
    for (const PortalEntry& entry : std::as_const(entries)) {
        if (entry.id != QLatin1String(kShortcutId))
            continue;
        const QString trigger =
            entry.properties.value(QStringLiteral("trigger_description")).toString();
        if (!trigger.isEmpty()) {
            emit bound(trigger, PortalTrigger::toCombo(trigger));
            return;
        }
    }
    emit refused(Refusal::Declined, QStringLiteral("The desktop bound no key to it."));
}

bool PortalShortcut::isOurs(const QDBusMessage& message) const
{
    const QList<QVariant> arguments = message.arguments();
    return !m_session.isEmpty() && arguments.size() >= 2 &&
           objectPathText(arguments.at(0)) == m_session &&
           arguments.at(1).toString() == QLatin1String(kShortcutId);
}

void PortalShortcut::onActivated(const QDBusMessage& message)
{
    if (!isOurs(message))
        return;
    const qulonglong timestamp = message.arguments().value(2).toULongLong();
    if (m_repeats.press(timestamp))
        emit activated();
}

void PortalShortcut::onDeactivated(const QDBusMessage& message)
{
    if (isOurs(message))
        m_repeats.release(message.arguments().value(2).toULongLong());
}

void PortalShortcut::onShortcutsChanged(const QDBusMessage& message)
{
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() < 2 || m_session.isEmpty() || objectPathText(arguments.at(0)) != m_session)
        return;
    answer(arguments.at(1));
}

void PortalShortcut::closeSession()
{
    if (m_session.isEmpty())
        return;
    m_bus.asyncCall(QDBusMessage::createMethodCall(kService, m_session, kSessionInterface,
                                                   QStringLiteral("Close")));
    m_session.clear();
}

QString PortalShortcut::nextToken()
{
    return QStringLiteral("quelto%1").arg(++m_tokens);
}

} // namespace quelto

#include "portalshortcut.moc"
