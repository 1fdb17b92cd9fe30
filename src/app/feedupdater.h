// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Checks a signed update feed for a newer Quelto and tells the user; it never installs
// anything (the download page opens in the browser). Builds without a feed and key,
// distribution packages and sandboxed builds cannot check, and their menus leave the
// entry out. Automatic checks run at most once a day and speak only of a new version.

#include "app/updatefeed.h"
#include "app/updater.h"
#include "core/clock.h"
#include "core/settings/preferences.h"

#include <QNetworkAccessManager>
#include <QObject>

#include <chrono>
#include <functional>

namespace quelto {

class FeedUpdater final : public QObject, public Updater {
    Q_OBJECT

public:
    static constexpr qint64 kMaxBytes = 64 * 1024;
    static constexpr std::chrono::milliseconds kTimeout{15000};
    static constexpr std::chrono::hours kCheckInterval{24};

    struct Config {
        QUrl feed;
        QByteArray publicKey; // the 32 raw bytes of the Ed25519 key; empty without one
        QVersionNumber current;
        bool isPackaged = false; // a distribution or a sandbox updates Quelto instead
        std::chrono::milliseconds timeout = kTimeout;
    };
    enum class Outcome { UpToDate, Available, Failed };

    // The feed and key this build was configured with, and the environment it runs in.
    static Config buildConfig();

    FeedUpdater(Config config, Preferences& prefs, Clock now = {}, QObject* parent = nullptr);

    bool canCheckForUpdates() const override;
    // Asked for by the user: the answer comes as `answered`.
    void checkForUpdates() override;
    // At most once a day; `updateAvailable` once per new version, nothing otherwise.
    void checkAutomatically();

signals:
    void answered(quelto::FeedUpdater::Outcome outcome, const quelto::UpdateFeed& feed);
    void updateAvailable(const quelto::UpdateFeed& feed);

private:
    using Done = std::function<void(std::optional<QByteArray>)>;
    void check(bool byUser);
    void fetch(const QUrl& url, Done done);
    void conclude(bool askedByUser, const std::optional<QByteArray>& feed,
                  const std::optional<QByteArray>& signature);

    Config m_config;
    Preferences& m_prefs;
    Clock m_now;
    QNetworkAccessManager m_network;
    bool m_isChecking = false;
    // The user asked while an automatic check was running.
    bool m_userWaiting = false;
};

} // namespace quelto

Q_DECLARE_METATYPE(quelto::UpdateFeed)
