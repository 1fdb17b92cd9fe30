// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/hotkeyrecorder.h"

#include "platform/hotkey/keyboardlayout.h"
#include "platform/hotkey/keypress.h"
#include "ui/accessibility/accessiblewidget.h"
#include "ui/settings/recorderface.h"
#include "ui/settings/settingsicon.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QToolButton>

#include <algorithm>

namespace quelto {

HotKeyRecorder::HotKeyRecorder(HotKeyCombo defaultCombo, QWidget* parent)
    : QWidget(parent)
    , m_combo(defaultCombo)
    , m_defaultCombo(defaultCombo)
    , m_face(new RecorderFace(this))
    , m_reset(new QToolButton(this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kSpacing);
    row->addWidget(m_face, 0, Qt::AlignVCenter);
    row->addWidget(m_reset, 0, Qt::AlignVCenter);

    const QString resetText =
        QStringLiteral("Reset to ") + KeyboardLayout::displayString(m_defaultCombo);
    m_reset->setAutoRaise(true);
    updateResetIcon();
    m_reset->setToolTip(resetText);
    m_reset->setAccessibleName(resetText);
    // Keeps the row's width steady when the button comes and goes.
    QSizePolicy keepSpace = m_reset->sizePolicy();
    keepSpace.setRetainSizeWhenHidden(true);
    m_reset->setSizePolicy(keepSpace);

    connect(m_face, &QAbstractButton::clicked, this, &HotKeyRecorder::toggleRecording);
    connect(m_reset, &QToolButton::clicked, this, [this] { edit(m_defaultCombo); });
    m_face->setKeys(KeyboardLayout::keyCapTexts(m_combo));
    updateReset();
}

HotKeyRecorder::~HotKeyRecorder()
{
    stopRecording();
}

void HotKeyRecorder::setCombo(const HotKeyCombo& combo)
{
    if (combo == m_combo)
        return;
    m_combo = combo;
    m_face->setKeys(KeyboardLayout::keyCapTexts(combo));
    updateReset();
}

void HotKeyRecorder::showKeys(const QStringList& keys)
{
    m_face->setKeys(keys);
}

void HotKeyRecorder::edit(const HotKeyCombo& combo)
{
    setCombo(combo);
    emit comboEdited(combo);
}

void HotKeyRecorder::updateReset()
{
    m_reset->setVisible(m_combo != m_defaultCombo && !m_recording);
}

void HotKeyRecorder::updateResetIcon()
{
    m_reset->setIcon(
        SettingsIcon::themed(QStringLiteral("edit-undo"), QStringLiteral("reset"), palette()));
}

void HotKeyRecorder::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        updateResetIcon(); // light and dark need differently coloured symbols
}

void HotKeyRecorder::startRecording()
{
    if (m_recording)
        return;
    m_recording = true;
    // Installed last, so it sees every key before any other filter or window.
    qApp->installEventFilter(this);
    m_face->setRecording(true);
    updateReset();
    Accessible::announce(window(), m_face->accessibleDescription());
    emit recordingChanged(true);
}

void HotKeyRecorder::stopRecording()
{
    if (!m_recording)
        return;
    m_recording = false;
    qApp->removeEventFilter(this);
    m_face->setRecording(false);
    updateReset();
    emit recordingChanged(false);
}

void HotKeyRecorder::toggleRecording()
{
    m_recording ? stopRecording() : startRecording();
}

void HotKeyRecorder::hideEvent(QHideEvent* event)
{
    stopRecording();
    QWidget::hideEvent(event);
}

bool HotKeyRecorder::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Claiming the key keeps window shortcuts (Ctrl+Q, Ctrl+W…) from firing.
        event->accept();
        return true;
    case QEvent::KeyPress:
        handleKey(*static_cast<QKeyEvent*>(event));
        return true;
    case QEvent::KeyRelease:
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void HotKeyRecorder::handleKey(const QKeyEvent& event)
{
    // A modifier pressed on its own is the start of a combination, not one.
    if (KeyPress::isModifierKey(event))
        return;
    const std::optional<quint32> key = KeyPress::virtualKeyCode(event);
    if (key == kEscapeKey || event.key() == Qt::Key_Escape) {
        stopRecording();
        return;
    }
    const quint32 modifiers = carbonModifiers(event.modifiers());
    const bool refusedWithCommand =
        modifiers == HotKeyCombo::kCommand && key &&
        std::find(kRefusedWithCommandAlone.begin(), kRefusedWithCommandAlone.end(), *key) !=
            kRefusedWithCommandAlone.end();
    if (!key || modifiers == 0 || modifiers == HotKeyCombo::kShift || refusedWithCommand) {
        if (!event.isAutoRepeat()) {
            QApplication::beep();
            emit refused();
        }
        return;
    }
    // Recording ends first, so the application has its shortcut back before it
    // registers the new one.
    stopRecording();
    edit(HotKeyCombo{*key, modifiers});
    Accessible::announce(window(),
                         QStringLiteral("New shortcut: ") + KeyboardLayout::displayString(m_combo));
}

} // namespace quelto
