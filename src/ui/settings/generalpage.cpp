// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/generalpage.h"

#include "ui/settings/hotkeyrecorder.h"
#include "ui/settings/settingsform.h"

#include <QCheckBox>
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

GeneralPage::GeneralPage(Preferences& prefs, QWidget* parent)
    : QWidget(parent)
{
    auto* form = new SettingsForm(this);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(form);

    form->addSection(QStringLiteral("Shortcut"));
    m_recorder = new HotKeyRecorder(HotKeyCombo::defaultCombo());
    form->addRow(QStringLiteral("Show or hide Quelto"),
                 QStringLiteral("Ctrl+Shift+J also opens the developer console in Chrome and "
                                "Firefox; change either one if they clash."),
                 m_recorder);
    m_recorder->setCombo(prefs.hotKey());
    connect(m_recorder, &HotKeyRecorder::comboEdited, &prefs, &Preferences::setHotKey);
    connect(&prefs, &Preferences::hotKeyChanged, m_recorder,
            [this, &prefs] { m_recorder->setCombo(prefs.hotKey()); });
    connect(m_recorder, &HotKeyRecorder::recordingChanged, this,
            &GeneralPage::shortcutRecordingChanged);

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
    m_showInTaskbar = form->addToggle(QStringLiteral("Show in taskbar"),
                                      QStringLiteral("Off: Quelto lives in the tray only."));
    bindToggle(m_showInTaskbar, prefs, &Preferences::showDockIcon, &Preferences::setShowDockIcon,
               &Preferences::showDockIconChanged);
}

} // namespace quelto
