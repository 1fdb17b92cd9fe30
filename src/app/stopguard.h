// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes pending text before anything ends Quelto: the machine going to sleep (which
// waits for it), the session ending, a termination signal, and quitting, which asks
// first when notes could not be saved.

#include "core/storage/notestore.h"
#include "platform/desktop/systemsleep.h"

#include <QObject>

#include <functional>
#include <memory>

class QMessageBox;

namespace quelto {

class StopGuard : public QObject {
    Q_OBJECT

public:
    // `placeAlert` puts the quit question where the user will see it.
    StopGuard(NoteStore& store, std::unique_ptr<SystemSleep> sleep,
              std::function<void(QMessageBox&)> placeAlert, QObject* parent = nullptr);

    // Follows the machine's sleep and the session's end.
    void watch();
    // Flushes, then asks before quitting when saves failed; true means quit.
    bool shouldTerminate();
    // Quits unless the user cancels (the Quit commands end here).
    void requestQuit();
    // Told to stop (logout, shutdown, a signal): writes everything it can, puts what
    // cannot be saved into the recovery folder, and returns the files written there.
    QStringList saveBeforeStopping();

private:
    NoteStore& m_store;
    std::unique_ptr<SystemSleep> m_sleep;
    std::function<void(QMessageBox&)> m_placeAlert;
    bool m_quitting = false;
};

} // namespace quelto
