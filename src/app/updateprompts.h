// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Checks the update feed now and then and tells the user: a tray message when a
// newer version turns up by itself, an alert answering "Check for Updates…".

#include "app/feedupdater.h"

#include <QObject>
#include <QTimer>

#include <functional>

class QMessageBox;
class QSystemTrayIcon;

namespace quelto {

class UpdatePrompts : public QObject {
    Q_OBJECT

public:
    // `placeAlert` puts an answer where the user asked for it.
    UpdatePrompts(FeedUpdater& updater, std::function<void(QMessageBox&)> placeAlert,
                  QObject* parent = nullptr);

    // Starts the periodic checks; news goes to `tray`.
    void start(QSystemTrayIcon& tray);

private:
    void showAnswer(FeedUpdater::Outcome outcome, const UpdateFeed& feed);

    FeedUpdater& m_updater;
    std::function<void(QMessageBox&)> m_placeAlert;
    QTimer m_timer;
};

} // namespace quelto
