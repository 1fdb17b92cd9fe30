// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the update feed says about the newest Quelto, and the check that the feed was
// signed with the project's key. Everything here distrusts its input: a feed that is
// not exactly as expected offers nothing.

#include <QByteArray>
#include <QUrl>
#include <QVersionNumber>

#include <optional>

namespace quelto {

struct UpdateFeed {
    QVersionNumber version;
    int build = 0;
    QUrl releaseNotes;
    QUrl download;
    QVersionNumber minimumVersion;

    friend bool operator==(const UpdateFeed&, const UpdateFeed&) = default;

    // The JSON feed: {"version", "build", "releaseNotes", "download", "minimumVersion"};
    // nothing when a key is missing or of the wrong type, or a link is not HTTPS.
    static std::optional<UpdateFeed> parse(const QByteArray& json);
};

// Whether `signature` is an Ed25519 signature of `message` by `publicKey` (the 32 raw
// bytes of the key).
bool isSignedBy(const QByteArray& message, const QByteArray& signature,
                const QByteArray& publicKey);

// HTTPS, or plain HTTP to this machine (for tests and a local mirror).
bool isTrustedTransport(const QUrl& url);

} // namespace quelto
