// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/generalpage.h"

#include "platform/hotkey/keyboardlayout.h"
#include "ui/settings/hotkeyrecorder.h"
#include "ui/settings/settingsform.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelto {

namespace {

// Keeps a check box and a Boolean preference in step both ways.
void bindToggle(QCheckBox* box, Preferences& prefs, bool (Preferences::*read)() const,
                void (Preferences::*write)(bool), void (Preferences::*changed)())
{
    box->setChecked((prefs.*read)());
    QObject::connect(box, &QCheckBox::toggled, &prefs,
                     [&prefs, write](bool on) { (prefs.*write)(on); });
    QObject::connect(&prefs, changed, box,
                     [box, &prefs, read] { box->setChecked((prefs.*read)()); });
}

} // namespace

GeneralPage::GeneralPage(Preferences& prefs, const ShortcutStatus* shortcut,
                         const QString& toggleCommand, const TrayHost* tray, QWidget* parent)
    : QWidget(parent)
    , m_status(shortcut)
    , m_toggleCommand(toggleCommand)
{
    auto* form = new SettingsForm(this);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(form);

    form->addSection(QStringLiteral("Shortcut"));
    m_recorder = new HotKeyRecorder(HotKeyCombo::defaultCombo());
    m_defaultHint = form->addRow(QStringLiteral("Show or hide Quelto"),
                                 QStringLiteral("Ctrl+Shift+J also opens the developer console "
                                                "in Chrome and Firefox; change either one if "
                                                "they clash."),
                                 m_recorder)
                        ->findChild<QLabel*>(SettingsForm::kDescription);
    m_recorder->setCombo(prefs.hotKey());
    connect(m_recorder, &HotKeyRecorder::comboEdited, &prefs, &Preferences::setHotKey);
    connect(&prefs, &Preferences::hotKeyChanged, m_recorder, [this, &prefs] {
        m_recorder->setCombo(prefs.hotKey());
        showShortcut();
    });
    connect(m_recorder, &HotKeyRecorder::recordingChanged, this,
            &GeneralPage::shortcutRecordingChanged);
    if (shortcut) {
        m_copyCommand = new QPushButton(QStringLiteral("Copy Command"));
        connect(m_copyCommand, &QPushButton::clicked, this,
                [this] { QGuiApplication::clipboard()->setText(m_toggleCommand); });
        m_noShortcutRow =
            form->addRow(QStringLiteral("No shortcut"), QStringLiteral(" "), m_copyCommand);
        m_noShortcutNote = m_noShortcutRow->findChild<QLabel*>(SettingsForm::kDescription);
        connect(shortcut, &ShortcutStatus::outcomeChanged, this, &GeneralPage::showShortcut);
    }
    showShortcut();

    form->addSection(QStringLiteral("Panel"));
    m_hideOnClickAway = form->addToggle(
        QStringLiteral("Hide when I click away"),
        QStringLiteral("Off: the note stays on top while you work in other apps. Esc or the "
                       "shortcut hides it."));
    bindToggle(m_hideOnClickAway, prefs, &Preferences::hideOnClickAway,
               &Preferences::setHideOnClickAway, &Preferences::hideOnClickAwayChanged);

    form->addSection(QStringLiteral("App"));
    m_launchAtLogin = form->addToggle(QStringLiteral("Launch at login"),
                                      QStringLiteral("Start Quelto quietly when you log in."));
    bindToggle(m_launchAtLogin, prefs, &Preferences::launchAtLogin, &Preferences::setLaunchAtLogin,
               &Preferences::launchAtLoginChanged);
    m_showInTaskbar = form->addToggle(QStringLiteral("Show in taskbar"), QStringLiteral(" "));
    m_showInTaskbarNote =
        m_showInTaskbar->parentWidget()->findChild<QLabel*>(SettingsForm::kDescription);
    bindToggle(m_showInTaskbar, prefs, &Preferences::showDockIcon, &Preferences::setShowDockIcon,
               &Preferences::showDockIconChanged);
    showTray(!tray || tray->isAvailable());
    if (tray)
        connect(tray, &TrayHost::availableChanged, this, &GeneralPage::showTray);
}

void GeneralPage::showTray(bool shown)
{
    m_showInTaskbarNote->setText(
        shown ? QStringLiteral("Off: Quelto lives in the tray only.")
              : QStringLiteral("Off: no taskbar entry. Open Quelto with its shortcut, by starting "
                               "it again from your app launcher, or with %1.")
                    .arg(m_toggleCommand.isEmpty() ? QStringLiteral("quelto --toggle")
                                                   : m_toggleCommand));
}

void GeneralPage::showShortcut()
{
    const HotKeyCombo combo = m_recorder->combo();
    QString name = KeyboardLayout::displayString(combo);
    if (m_status) {
        // The desktop may have bound a trigger under a name of its own.
        name = m_status->name();
        m_recorder->showKeys(name == KeyboardLayout::displayString(combo)
                                 ? KeyboardLayout::keyCapTexts(combo)
                                 : name.split(u'+', Qt::SkipEmptyParts));
    }
    m_defaultHint->setVisible(name == KeyboardLayout::displayString(HotKeyCombo::defaultCombo()));
    if (!m_status)
        return;
    const QString bind = QStringLiteral("Bind the command %1 to a key in your desktop's keyboard "
                                        "settings.")
                             .arg(m_toggleCommand);
    QString why;
    switch (m_status->outcome()) {
    case ShortcutStatus::Outcome::Unavailable:
        why = QStringLiteral("Your desktop doesn't let apps set a global shortcut. ");
        break;
    case ShortcutStatus::Outcome::Declined:
        why = QStringLiteral("Your desktop did not set one. ") +
              (m_status->reason().isEmpty() ? QString() : m_status->reason() + u' ') +
              QStringLiteral("Record a shortcut above to ask again, or: ");
        break;
    case ShortcutStatus::Outcome::Taken:
        why = QStringLiteral("Another app holds it. Record a different shortcut above, or: ");
        break;
    case ShortcutStatus::Outcome::Active:
    case ShortcutStatus::Outcome::Waiting:
        break;
    }
    m_noShortcutNote->setText(why + bind);
    m_noShortcutRow->setVisible(!why.isEmpty());
}

} // namespace quelto
