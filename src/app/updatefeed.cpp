// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/updatefeed.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>

#include <openssl/evp.h>

#include <memory>

namespace quelto {

namespace {

constexpr int kKeyBytes = 32;
constexpr int kSignatureBytes = 64;

std::optional<QUrl> httpsLink(const QJsonValue& value)
{
    const QUrl url(value.toString(), QUrl::StrictMode);
    if (!value.isString() || !url.isValid() || url.scheme() != QStringLiteral("https") ||
        url.host().isEmpty())
        return std::nullopt;
    return url;
}

std::optional<QVersionNumber> versionOf(const QJsonValue& value)
{
    qsizetype suffix = 0;
    const QVersionNumber version = QVersionNumber::fromString(value.toString(), &suffix);
    if (!value.isString() || version.isNull() || suffix != value.toString().size())
        return std::nullopt;
    return version;
}

} // namespace

std::optional<UpdateFeed> UpdateFeed::parse(const QByteArray& json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject feed = document.object();
    const std::optional<QVersionNumber> version = versionOf(feed.value(u"version"));
    const std::optional<QVersionNumber> minimum = versionOf(feed.value(u"minimumVersion"));
    const std::optional<QUrl> notes = httpsLink(feed.value(u"releaseNotes"));
    const std::optional<QUrl> download = httpsLink(feed.value(u"download"));
    const QJsonValue build = feed.value(u"build");
    if (!version || !minimum || !notes || !download || !build.isDouble() ||
        build.toDouble() != double(build.toInt()))
        return std::nullopt;
    return UpdateFeed{*version, build.toInt(), *notes, *download, *minimum};
}

bool isSignedBy(const QByteArray& message, const QByteArray& signature, const QByteArray& publicKey)
{
    if (publicKey.size() != kKeyBytes || signature.size() != kSignatureBytes)
        return false;
    const std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr,
                                    reinterpret_cast<const unsigned char*>(publicKey.constData()),
                                    size_t(publicKey.size())),
        &EVP_PKEY_free);
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                          &EVP_MD_CTX_free);
    if (!key || !context ||
        EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1)
        return false;
    return EVP_DigestVerify(context.get(),
                            reinterpret_cast<const unsigned char*>(signature.constData()),
                            size_t(signature.size()),
                            reinterpret_cast<const unsigned char*>(message.constData()),
                            size_t(message.size())) == 1;
}

bool isTrustedTransport(const QUrl& url)
{
    if (url.scheme() == QStringLiteral("https"))
        return !url.host().isEmpty();
    return url.scheme() == QStringLiteral("http") && QHostAddress(url.host()).isLoopback();
}

} // namespace quelto
