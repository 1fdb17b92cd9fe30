// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/feedupdater.h"

#include <QNetworkReply>

namespace quelto {

FeedUpdater::Config FeedUpdater::buildConfig()
{
    Config config;
    config.feed = QUrl(QStringLiteral(QUELTO_UPDATE_FEED_URL));
    // A key left as the placeholder means the build has none.
    const QByteArray key = QByteArrayLiteral(QUELTO_UPDATE_PUBLIC_KEY);
    if (!key.isEmpty() && !key.startsWith("REPLACE"))
        config.publicKey = QByteArray::fromBase64(key);
    config.current = QVersionNumber::fromString(QStringLiteral(QUELTO_VERSION));
    config.isPackaged = !QUELTO_UPDATER_ENABLED || qEnvironmentVariableIsSet("FLATPAK_ID");
    return config;
}

FeedUpdater::FeedUpdater(Config config, Preferences& prefs, Clock now, QObject* parent)
    : QObject(parent)
    , m_config(std::move(config))
    , m_prefs(prefs)
    , m_now(now ? std::move(now) : Clock(systemNow))
{
    qRegisterMetaType<UpdateFeed>();
}

bool FeedUpdater::canCheckForUpdates() const
{
    return !m_config.isPackaged && m_config.feed.isValid() && isTrustedTransport(m_config.feed) &&
           m_config.publicKey.size() == 32;
}

void FeedUpdater::checkForUpdates()
{
    check(true);
}

void FeedUpdater::checkAutomatically()
{
    if (!canCheckForUpdates())
        return;
    const QDateTime now = m_now();
    const QDateTime last = m_prefs.lastUpdateCheck();
    if (last.isValid() && last <= now &&
        last.secsTo(now) < std::chrono::seconds(kCheckInterval).count())
        return;
    m_prefs.setLastUpdateCheck(now);
    check(false);
}

void FeedUpdater::check(bool byUser)
{
    if (!canCheckForUpdates()) {
        if (byUser)
            emit answered(Outcome::Failed, {});
        return;
    }
    if (m_isChecking) {
        // Answered when the check already running ends.
        m_userWaiting = m_userWaiting || byUser;
        return;
    }
    m_isChecking = true;
    fetch(m_config.feed, [this, byUser](std::optional<QByteArray> feed) {
        if (!feed) {
            conclude(byUser, std::nullopt, std::nullopt);
            return;
        }
        QUrl signatureUrl = m_config.feed;
        signatureUrl.setPath(signatureUrl.path() + QStringLiteral(".sig"));
        fetch(signatureUrl, [this, byUser, feed](std::optional<QByteArray> signature) {
            conclude(byUser, feed, signature);
        });
    });
}

void FeedUpdater::fetch(const QUrl& url, Done done)
{
    QNetworkRequest request(url);
    // Every redirect is looked at: only HTTPS may follow one.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setTransferTimeout(int(m_config.timeout.count()));
    QNetworkReply* reply = m_network.get(request);
    connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl& to) {
        if (to.scheme() == QStringLiteral("https"))
            emit reply->redirectAllowed();
        else
            reply->abort();
    });
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64 total) {
        if (received > kMaxBytes || total > kMaxBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [reply, done = std::move(done)] {
        reply->deleteLater();
        const QByteArray bytes = reply->read(kMaxBytes + 1);
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() != QNetworkReply::NoError || status != 200 || bytes.size() > kMaxBytes)
            done(std::nullopt);
        else
            done(bytes);
    });
}

void FeedUpdater::conclude(bool askedByUser, const std::optional<QByteArray>& feed,
                           const std::optional<QByteArray>& signature)
{
    m_isChecking = false;
    const bool byUser = askedByUser || std::exchange(m_userWaiting, false);
    // Nothing from a feed that is not signed with our key is believed or shown.
    // The signature file holds the 64 bytes, raw or in Base64.
    const QByteArray rawSignature = signature && signature->size() == 64
                                        ? *signature
                                        : QByteArray::fromBase64(signature.value_or("").trimmed());
    const std::optional<UpdateFeed> parsed =
        feed && isSignedBy(*feed, rawSignature, m_config.publicKey) ? UpdateFeed::parse(*feed)
                                                                    : std::nullopt;
    if (!parsed) {
        if (byUser)
            emit answered(Outcome::Failed, {});
        return;
    }
    const bool isNewer = parsed->version > m_config.current;
    if (byUser)
        emit answered(isNewer ? Outcome::Available : Outcome::UpToDate, *parsed);
    if (!isNewer || m_prefs.notifiedUpdateVersion() == parsed->version.toString())
        return;
    m_prefs.setNotifiedUpdateVersion(parsed->version.toString());
    if (!byUser)
        emit updateAvailable(*parsed);
}

} // namespace quelto
