// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/stopguard.h"

#include "core/storage/recovery.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <syslog.h>

namespace quelto {

StopGuard::StopGuard(NoteStore& store, std::unique_ptr<SystemSleep> sleep,
                     std::function<void(QMessageBox&)> placeAlert, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_sleep(sleep ? std::move(sleep) : std::make_unique<LogindSleep>())
    , m_placeAlert(std::move(placeAlert))
{}

void StopGuard::watch()
{
    connect(m_sleep.get(), &SystemSleep::aboutToSleep, this, [this] {
        m_store.flush();
        m_sleep->release();
    });
    m_sleep->watch();
    // The desktop session ends: whatever was typed goes to disk first.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { saveBeforeStopping(); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { m_store.flush(); });
}

QStringList StopGuard::saveBeforeStopping()
{
    m_store.flush();
    if (m_store.failedIDs().isEmpty())
        return {};
    const QStringList written = writeRecoveryCopies(m_store.unsavedNotes(), recoveryFolder(),
                                                    QDateTime::currentDateTimeUtc());
    for (const QString& path : written) {
        const QByteArray line = "Quelto: couldn't save a note; its text is in " + path.toUtf8();
        syslog(LOG_WARNING, "%s", line.constData());
        std::fprintf(stderr, "%s\n", line.constData());
    }
    return written;
}

bool StopGuard::shouldTerminate()
{
    m_store.flush();
    const qsizetype failed = m_store.failedIDs().size();
    if (failed == 0)
        return true;
    QMessageBox alert;
    alert.setIcon(QMessageBox::Critical);
    alert.setWindowTitle(QStringLiteral("Quelto"));
    alert.setText(failed == 1 ? QStringLiteral("Couldn't save 1 note")
                              : QStringLiteral("Couldn't save %1 notes").arg(failed));
    alert.setInformativeText(QStringLiteral(
        "Your latest changes could not be written to disk. Quit anyway and lose them?"));
    // One role for both keeps them in this order whatever the desktop's convention.
    QPushButton* quit = alert.addButton(QStringLiteral("Quit Anyway"), QMessageBox::AcceptRole);
    QPushButton* cancel = alert.addButton(QStringLiteral("Cancel"), QMessageBox::AcceptRole);
    alert.setDefaultButton(quit);
    alert.setEscapeButton(cancel);
    if (m_placeAlert)
        m_placeAlert(alert);
    alert.exec();
    return alert.clickedButton() == static_cast<QAbstractButton*>(quit);
}

void StopGuard::requestQuit()
{
    if (m_quitting)
        return;
    m_quitting = true;
    const bool quit = shouldTerminate();
    m_quitting = false;
    if (quit)
        QCoreApplication::quit();
}

} // namespace quelto
