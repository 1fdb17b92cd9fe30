// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Checks the update feed now and then and tells the user: a notice when a newer
// version turns up by itself, an alert answering "Check for Updates…".

#include "app/feedupdater.h"

#include <QObject>
#include <QTimer>

#include <functional>

class QMessageBox;

namespace quelto {

class UpdatePrompts : public QObject {
    Q_OBJECT

public:
    // `placeAlert` puts an answer where the user asked for it.
    UpdatePrompts(FeedUpdater& updater, std::function<void(QMessageBox&)> placeAlert,
                  QObject* parent = nullptr);

    // Starts the periodic checks; news of a newer version goes to `notice`.
    void start(std::function<void(const QString& version)> notice);

private:
    void showAnswer(FeedUpdater::Outcome outcome, const UpdateFeed& feed);

    FeedUpdater& m_updater;
    std::function<void(QMessageBox&)> m_placeAlert;
    QTimer m_timer;
};

} // namespace quelto
