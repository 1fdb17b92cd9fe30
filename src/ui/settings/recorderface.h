// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The clickable face of the shortcut recorder: the shortcut as key caps ("None" when
// there is none), or, while
// recording, the prompt "Press a shortcut…" on an accent-tinted field. The change
// between the two eases out over 0.12 s.

#include <QAbstractButton>
#include <QVariantAnimation>

class QLabel;

namespace quelto {

class KeyCaps;

class RecorderFace : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int kMinWidth = 130;
    static constexpr int kMinHeight = 32;
    static constexpr int kPadding = 4;
    static constexpr double kRadius = 8;
    static constexpr int kChangeMs = 120;

    explicit RecorderFace(QWidget* parent = nullptr);

    void setKeys(const QStringList& keys);
    void setRecording(bool recording);
    bool isRecording() const { return m_recording; }
    KeyCaps* caps() const { return m_caps; }
    QLabel* prompt() const { return m_prompt; }
    // 0 idle, 1 recording; between the two while the change runs.
    double progress() const { return m_progress; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    KeyCaps* m_caps;
    QLabel* m_prompt;
    QLabel* m_none;
    QVariantAnimation m_change;
    bool m_recording = false;
    double m_progress = 0;
};

} // namespace quelto
