// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The control that picks a new global shortcut: a field showing the current one as
// key caps that, once clicked, takes the next acceptable key combination typed
// anywhere in the application, and a button that resets to the default. It only
// edits the combination; registering it is the application's job.
//
// While recording every key press the application receives is consumed, so none
// reaches a window. Esc (with any modifiers) cancels; a key alone or with only Shift,
// and Ctrl alone with C, V, X, Q, W, Tab or Space (editing and window keys) beep.

#include "core/settings/hotkeycombo.h"

#include <QWidget>

#include <array>

class QKeyEvent;
class QToolButton;

namespace quelto {

class RecorderFace;

class HotKeyRecorder : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool recording READ isRecording NOTIFY recordingChanged)

public:
    static constexpr int kSpacing = 8;
    static constexpr quint32 kEscapeKey = 53;
    // C, V, X, Q, W, Tab, Space: refused with Ctrl alone.
    static constexpr std::array<quint32, 7> kRefusedWithCommandAlone{8, 9, 7, 12, 13, 48, 49};

    explicit HotKeyRecorder(HotKeyCombo defaultCombo, QWidget* parent = nullptr);
    ~HotKeyRecorder() override;

    HotKeyCombo combo() const { return m_combo; }
    // Shows `combo` (the bound value changed elsewhere); emits nothing.
    void setCombo(const HotKeyCombo& combo);
    HotKeyCombo defaultCombo() const { return m_defaultCombo; }
    // Shows other caps than the combination's (the desktop's own name for what it bound),
    // or "None" when `keys` is empty, until the combination changes.
    void showKeys(const QStringList& keys);
    bool isRecording() const { return m_recording; }

    void startRecording();
    void stopRecording();
    void toggleRecording();

    RecorderFace* face() const { return m_face; }
    QToolButton* resetButton() const { return m_reset; }

signals:
    // The user recorded a combination or reset it: the new value to store.
    void comboEdited(const quelto::HotKeyCombo& combo);
    void recordingChanged(bool recording);
    // A key combination that cannot be a shortcut was pressed (after the beep).
    void refused();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void handleKey(const QKeyEvent& event);
    void edit(const HotKeyCombo& combo);
    void updateReset();
    void updateResetIcon();

    HotKeyCombo m_combo;
    HotKeyCombo m_defaultCombo;
    RecorderFace* m_face;
    QToolButton* m_reset;
    bool m_recording = false;
};

} // namespace quelto
