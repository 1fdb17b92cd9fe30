// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/updateprompts.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

namespace quelto {

namespace {

constexpr std::chrono::seconds kFirstCheck{30};
constexpr std::chrono::hours kCheckInterval{1};

} // namespace

UpdatePrompts::UpdatePrompts(FeedUpdater& updater, std::function<void(QMessageBox&)> placeAlert,
                             QObject* parent)
    : QObject(parent)
    , m_updater(updater)
    , m_placeAlert(std::move(placeAlert))
{}

void UpdatePrompts::start(std::function<void(const QString& version)> notice)
{
    if (!m_updater.canCheckForUpdates())
        return;
    connect(&m_updater, &FeedUpdater::answered, this, &UpdatePrompts::showAnswer);
    connect(
        &m_updater, &FeedUpdater::updateAvailable, this,
        [notice = std::move(notice)](const UpdateFeed& feed) { notice(feed.version.toString()); });
    // Not at the very start, which is busy enough; then looked at every hour, and the
    // updater checks at most once a day.
    connect(&m_timer, &QTimer::timeout, &m_updater, &FeedUpdater::checkAutomatically);
    QTimer::singleShot(kFirstCheck, &m_updater, &FeedUpdater::checkAutomatically);
    m_timer.start(kCheckInterval);
}

void UpdatePrompts::showAnswer(FeedUpdater::Outcome outcome, const UpdateFeed& feed)
{
    QMessageBox alert;
    // Asked for from the panel, which floats above other windows: the answer too.
    if (m_placeAlert)
        m_placeAlert(alert);
    alert.setWindowTitle(QStringLiteral("Quelto"));
    alert.setStandardButtons(QMessageBox::Ok);
    if (outcome == FeedUpdater::Outcome::Failed) {
        alert.setText(QStringLiteral("Couldn't check for updates."));
    } else if (outcome == FeedUpdater::Outcome::UpToDate) {
        alert.setText(QStringLiteral("You're up to date."));
    } else {
        alert.setText(QStringLiteral("Quelto %1 is available — you have %2.")
                          .arg(feed.version.toString(), QStringLiteral(QUELTO_VERSION)));
        alert.setStandardButtons(QMessageBox::NoButton);
        QPushButton* notes =
            alert.addButton(QStringLiteral("Release Notes"), QMessageBox::AcceptRole);
        QPushButton* download =
            alert.addButton(QStringLiteral("Download"), QMessageBox::AcceptRole);
        alert.addButton(QStringLiteral("Later"), QMessageBox::RejectRole);
        alert.setDefaultButton(download);
        alert.exec();
        if (alert.clickedButton() == static_cast<QAbstractButton*>(notes))
            QDesktopServices::openUrl(feed.releaseNotes);
        else if (alert.clickedButton() == static_cast<QAbstractButton*>(download))
            QDesktopServices::openUrl(feed.download);
        return;
    }
    alert.exec();
}

} // namespace quelto
