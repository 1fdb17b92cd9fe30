// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/feedupdater.h"
#include "support/httpserver.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <openssl/evp.h>

using namespace quelto;
using namespace std::chrono_literals;
using quelto::testing::HttpServer;

namespace {

// An Ed25519 key pair made for the test, signing feeds as the project would.
class SigningKey {
public:
    ~SigningKey() { EVP_PKEY_free(m_key); }

    QByteArray publicKey() const
    {
        QByteArray raw(32, '\0');
        size_t size = 32;
        EVP_PKEY_get_raw_public_key(m_key, reinterpret_cast<unsigned char*>(raw.data()), &size);
        return raw;
    }
    QByteArray sign(const QByteArray& message) const
    {
        QByteArray signature(64, '\0');
        size_t size = 64;
        EVP_MD_CTX* context = EVP_MD_CTX_new();
        EVP_DigestSignInit(context, nullptr, nullptr, nullptr, m_key);
        EVP_DigestSign(context, reinterpret_cast<unsigned char*>(signature.data()), &size,
                       reinterpret_cast<const unsigned char*>(message.constData()),
                       size_t(message.size()));
        EVP_MD_CTX_free(context);
        return signature.toBase64();
    }

private:
    EVP_PKEY* m_key = EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519");
};

QByteArray feedFor(const QString& version, const QString& download = "https://quelto.app/get")
{
    return QStringLiteral("{\"version\": \"%1\", \"build\": 7, \"minimumVersion\": \"0.1.0\", "
                          "\"releaseNotes\": \"https://quelto.app/notes\", \"download\": \"%2\"}")
        .arg(version, download)
        .toUtf8();
}

} // namespace

class TestFeedUpdater : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<Preferences>(
            std::make_unique<QSettings>(m_dir->filePath("s.ini"), QSettings::IniFormat));
        m_server = std::make_unique<HttpServer>();
        m_now = QDateTime(QDate(2026, 12, 6), QTime(9, 0), Qt::UTC);
    }
    void cleanup()
    {
        m_settings.reset();
        m_dir.reset();
    }

    void answersOnlyWhatASignedFeedSays_data()
    {
        QTest::addColumn<QByteArray>("feed");
        QTest::addColumn<QString>("signing"); // "ours", "other key", "tampered", "none"
        QTest::addColumn<FeedUpdater::Outcome>("outcome");
        using enum FeedUpdater::Outcome;
        QTest::newRow("newer") << feedFor("0.2.0") << "ours" << Available;
        QTest::newRow("equal") << feedFor("0.1.0") << "ours" << UpToDate;
        QTest::newRow("older") << feedFor("0.0.9") << "ours" << UpToDate;
        QTest::newRow("tampered") << feedFor("0.2.0") << "tampered" << Failed;
        QTest::newRow("another key") << feedFor("0.2.0") << "other key" << Failed;
        QTest::newRow("no signature") << feedFor("0.2.0") << "none" << Failed;
        QTest::newRow("http download")
            << feedFor("0.2.0", "http://quelto.app/get") << "ours" << Failed;
        QTest::newRow("malformed") << QByteArray("{\"version\": \"0.2.0\"") << "ours" << Failed;
        QTest::newRow("oversized")
            << feedFor("0.2.0") + QByteArray(70 * 1024, ' ') << "ours" << Failed;
    }

    void answersOnlyWhatASignedFeedSays()
    {
        QFETCH(QByteArray, feed);
        QFETCH(QString, signing);
        QFETCH(FeedUpdater::Outcome, outcome);
        const SigningKey ours;
        const QByteArray signature = signing == "ours"        ? ours.sign(feed)
                                     : signing == "tampered"  ? ours.sign(feed + ' ')
                                     : signing == "other key" ? SigningKey().sign(feed)
                                                              : QByteArray();
        m_server->answer("/feed.json", {200, feed, {}, false});
        if (!signature.isEmpty())
            m_server->answer("/feed.json.sig", {200, signature, {}, false});
        QCOMPARE(askOnce(ours.publicKey()), int(outcome));
    }

    void redirectsOnlyToHttpsAndTimesOut()
    {
        const SigningKey key;
        // Followed, the redirect would find a newer version, properly signed.
        const QByteArray feed = feedFor("0.2.0");
        m_server->answer("/other.json", {200, feed, {}, false});
        m_server->answer("/feed.json.sig", {200, key.sign(feed), {}, false});
        m_server->answer("/feed.json", {302, {}, m_server->url("/other.json").toUtf8(), false});
        QCOMPARE(askOnce(key.publicKey()), int(FeedUpdater::Outcome::Failed));
        m_server->answer("/feed.json", {200, {}, {}, true});
        QCOMPARE(askOnce(key.publicKey(), 300ms), int(FeedUpdater::Outcome::Failed));
    }

    void automaticChecksRunOnceADayAndTellOncePerVersion()
    {
        const SigningKey key;
        const QByteArray feed = feedFor("0.2.0");
        m_server->answer("/feed.json", {200, feed, {}, false});
        m_server->answer("/feed.json.sig", {200, key.sign(feed), {}, false});
        FeedUpdater updater(config(key.publicKey()), *m_settings, [this] { return m_now; });
        QSignalSpy offered(&updater, &FeedUpdater::updateAvailable);
        updater.checkAutomatically();
        QTRY_COMPARE(offered.count(), 1);
        m_now = m_now.addSecs(3600);
        updater.checkAutomatically(); // the same day: not even asked
        QTest::qWait(200);
        QCOMPARE(m_server->requests(), 2);
        m_now = m_now.addDays(1);
        updater.checkAutomatically(); // asked again, but this version was told already
        QTRY_COMPARE(m_server->requests(), 4);
        QTest::qWait(200);
        QCOMPARE(offered.count(), 1);
    }

    void userAskingDuringAnAutomaticCheckIsAnswered()
    {
        const SigningKey key;
        const QByteArray feed = feedFor("0.2.0");
        m_server->answer("/feed.json", {200, feed, {}, false});
        m_server->answer("/feed.json.sig", {200, key.sign(feed), {}, false});
        FeedUpdater updater(config(key.publicKey()), *m_settings, [this] { return m_now; });
        QSignalSpy answered(&updater, &FeedUpdater::answered);
        updater.checkAutomatically();
        updater.checkForUpdates();
        QTRY_COMPARE(answered.count(), 1);
        QCOMPARE(m_server->requests(), 2); // one check, its feed and signature
    }

    void onlyConfiguredUnpackagedBuildsCanCheck()
    {
        const SigningKey key;
        QVERIFY(FeedUpdater(config(key.publicKey()), *m_settings).canCheckForUpdates());
        QVERIFY(!FeedUpdater(config({}), *m_settings).canCheckForUpdates());
        FeedUpdater::Config packaged = config(key.publicKey());
        packaged.isPackaged = true;
        QVERIFY(!FeedUpdater(packaged, *m_settings).canCheckForUpdates());
        // This build was configured without a key: the placeholder means none.
        QVERIFY(FeedUpdater::buildConfig().publicKey.isEmpty());
        qputenv("FLATPAK_ID", "app.quelto.Quelto");
        QVERIFY(FeedUpdater::buildConfig().isPackaged);
        qunsetenv("FLATPAK_ID");
    }

private:
    FeedUpdater::Config config(const QByteArray& key, std::chrono::milliseconds timeout = 5s) const
    {
        return {QUrl(m_server->url("/feed.json")), key, QVersionNumber(0, 1, 0), false, timeout};
    }
    int askOnce(const QByteArray& key, std::chrono::milliseconds timeout = 5s)
    {
        FeedUpdater updater(config(key, timeout), *m_settings, [this] { return m_now; });
        QSignalSpy answered(&updater, &FeedUpdater::answered);
        updater.checkForUpdates();
        if (!answered.wait(10000))
            return -1;
        return answered.first().first().toInt();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_settings;
    std::unique_ptr<HttpServer> m_server;
    QDateTime m_now;
};

QTEST_GUILESS_MAIN(TestFeedUpdater)
#include "tst_feedupdater.moc"
