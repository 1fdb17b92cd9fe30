// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the application delegate's tests share: a fresh data folder and preferences
// per test, a delegate over them that can be started again as a new launch would,
// and the tray menu's entries as text.

#include "app/appdelegate.h"

#include <QMenu>
#include <QObject>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

namespace quelto::testing {

inline QStringList statusEntries(AppDelegate& app)
{
    QMenu menu;
    app.tray()->buildStatusMenu(&menu);
    QStringList entries;
    for (QAction* a : menu.actions())
        entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return entries;
}

class DelegateTest : public QObject {
protected:
    void makeDelegate()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", m_dir->filePath("share").toUtf8());
        m_prefs = std::make_unique<Preferences>(
            std::make_unique<QSettings>(m_dir->filePath("prefs.ini"), QSettings::IniFormat));
        relaunch();
    }

    // A new delegate over the same folder and preferences; the old one quits first,
    // which writes its store. `desktop` stands in for the session's own.
    void relaunch(DesktopBackends desktop = {})
    {
        m_app.reset();
        m_app =
            std::make_unique<AppDelegate>(*m_prefs, m_dir->filePath("Quelto"), std::move(desktop));
    }

    void dropDelegate()
    {
        // Settings write on their way out: they go before their folder does.
        m_app.reset();
        m_prefs.reset();
        m_dir.reset();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<AppDelegate> m_app;
};

} // namespace quelto::testing
