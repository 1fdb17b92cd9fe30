// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/aboutpage.h"

#include "ui/commands/commandtable.h"
#include "ui/settings/settingsform.h"
#include "ui/settings/settingsicon.h"

#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelto {

QString versionText(const AboutInfo& about)
{
    const QString version = about.version.isEmpty() ? QStringLiteral("dev") : about.version;
    const QString build = about.build.isEmpty() ? QStringLiteral("0") : about.build;
    return QStringLiteral("%1 (%2)").arg(version, build);
}

AboutPage::AboutPage(const AboutInfo& about, const CommandTable& commands, QWidget* parent)
    : QWidget(parent)
{
    auto* form = new SettingsForm(this);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(form);

    form->addSection({});
    m_version = new QLabel(versionText(about));
    m_version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(QStringLiteral("Version"), {}, m_version);
    auto* licence = new QLabel(QStringLiteral("GNU GPL 3.0 or later"));
    licence->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(QStringLiteral("Licence"), QStringLiteral("Free software: share and change it."),
                 licence);
    if (commands.isBound(Command::CheckForUpdates)) {
        m_checkForUpdates = new QPushButton(commandInfo(Command::CheckForUpdates).title);
        form->addRow(QStringLiteral("Updates"), {}, m_checkForUpdates);
        connect(m_checkForUpdates, &QPushButton::clicked, this,
                [&commands] { commands.run(Command::CheckForUpdates); });
    }

    const Link links[] = {
        {QStringLiteral("Website"), QStringLiteral("web-browser"), QStringLiteral("globe"),
         about.website},
        {QStringLiteral("What's New"), QString(), QStringLiteral("sparkles"), about.changelog},
        {QStringLiteral("Contact Support"), QStringLiteral("mail-message-new"),
         QStringLiteral("envelope"), about.support},
    };
    form->addSection({});
    for (const Link& link : links) {
        auto* button = new QPushButton(link.title);
        button->setFlat(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setToolTip(link.url.toDisplayString());
        form->addRow({}, {}, button);
        connect(button, &QPushButton::clicked, this, [this, url = link.url] {
            if (!QDesktopServices::openUrl(url))
                QMessageBox::warning(this, QStringLiteral("Quelto"),
                                     QStringLiteral("Couldn't open %1: no browser or mail "
                                                    "app answered.")
                                         .arg(url.toDisplayString()));
        });
        m_links.append({button, link});
    }
    updateLinkIcons();
}

QList<QPushButton*> AboutPage::links() const
{
    QList<QPushButton*> buttons;
    for (const auto& [button, link] : m_links)
        buttons << button;
    return buttons;
}

void AboutPage::updateLinkIcons()
{
    for (const auto& [button, link] : m_links)
        button->setIcon(SettingsIcon::themed(link.themeIcon, link.bundledIcon, palette()));
}

void AboutPage::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        updateLinkIcons(); // light and dark need differently coloured symbols
}

} // namespace quelto
