// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The About page: the version, a manual update check when the build can check, and
// links to the web site, the change log and support.

#include <QUrl>
#include <QWidget>

class QLabel;
class QPushButton;

namespace quelto {

class CommandTable;

// What the build says about itself (version and build number from CMake, the
// addresses as configuration values).
struct AboutInfo {
    QString version; // empty when the build has none
    QString build;   // empty when the build has none
    QUrl website;
    QUrl changelog;
    QUrl support; // a mailto: address

    friend bool operator==(const AboutInfo&, const AboutInfo&) = default;
};

// "0.1.0 (12)"; "dev" for a missing version and "0" for a missing build number.
QString versionText(const AboutInfo& about);

class AboutPage : public QWidget {
    Q_OBJECT

public:
    // The Updates row is there when `commands` has "Check for Updates…" bound.
    AboutPage(const AboutInfo& about, const CommandTable& commands, QWidget* parent = nullptr);

    QLabel* version() const { return m_version; }
    // Nothing when the build cannot check for updates.
    QPushButton* checkForUpdates() const { return m_checkForUpdates; }
    QList<QPushButton*> links() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    struct Link {
        QString title;
        QString themeIcon;   // freedesktop icon name, if there is one
        QString bundledIcon; // our own symbol otherwise
        QUrl url;
    };
    void updateLinkIcons();

    QLabel* m_version;
    QPushButton* m_checkForUpdates = nullptr;
    QList<std::pair<QPushButton*, Link>> m_links;
};

} // namespace quelto
