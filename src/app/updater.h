// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Checking for a newer Quelto, behind a small interface: menus offer "Check for
// Updates…" only when the updater can check.

#include <QDesktopServices>
#include <QUrl>

namespace quelto {

class Updater {
public:
    virtual ~Updater() = default;
    virtual bool canCheckForUpdates() const = 0;
    virtual void checkForUpdates() = 0;
};

// Only opens a page that lists the changes; it never checks, so no menu offers it.
class LinkUpdater final : public Updater {
public:
    explicit LinkUpdater(QUrl changelog)
        : m_changelog(std::move(changelog))
    {}
    bool canCheckForUpdates() const override { return false; }
    void checkForUpdates() override { QDesktopServices::openUrl(m_changelog); }

private:
    QUrl m_changelog;
};

} // namespace quelto
