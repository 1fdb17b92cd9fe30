// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/recorderface.h"

#include "ui/settings/keycaps.h"
#include "ui/window/glasssurface.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace quelto {

namespace {

constexpr float kIdleFillAlpha = 0.04f;
constexpr float kRecordingFillAlpha = 0.12f;
constexpr float kIdleBorderAlpha = 0.12f;
constexpr double kIdleBorderWidth = 1;
constexpr double kRecordingBorderWidth = 1.5;
constexpr int kPromptPadding = 6;

QColor mix(const QColor& from, const QColor& to, double t)
{
    const auto lerp = [t](float a, float b) { return a + static_cast<float>(t) * (b - a); };
    return QColor::fromRgbF(lerp(from.redF(), to.redF()), lerp(from.greenF(), to.greenF()),
                            lerp(from.blueF(), to.blueF()), lerp(from.alphaF(), to.alphaF()));
}

} // namespace

RecorderFace::RecorderFace(QWidget* parent)
    : QAbstractButton(parent)
    , m_caps(new KeyCaps(this))
    , m_prompt(new QLabel(QStringLiteral("Press a shortcut…"), this))
    , m_none(new QLabel(QStringLiteral("None"), this))
{
    m_none->setForegroundRole(QPalette::PlaceholderText);
    m_none->hide();
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setToolTip(QStringLiteral("Click to record a new shortcut"));
    setAccessibleDescription(QStringLiteral("Press to record a new shortcut"));
    QFont promptFont = m_prompt->font();
    promptFont.setWeight(QFont::Medium);
    m_prompt->setFont(promptFont);
    m_prompt->setContentsMargins(kPromptPadding, 0, kPromptPadding, 0);
    m_prompt->setForegroundRole(QPalette::Highlight);
    m_prompt->hide();
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    row->setSpacing(kPadding);
    row->addStretch();
    row->addWidget(m_caps);
    row->addWidget(m_prompt);
    row->addWidget(m_none);
    row->addStretch();

    m_change.setDuration(kChangeMs);
    m_change.setEasingCurve(QEasingCurve::OutQuad);
    connect(&m_change, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_progress = value.toDouble();
        update();
    });
}

void RecorderFace::setKeys(const QStringList& keys)
{
    m_caps->setKeys(keys);
    m_caps->setVisible(!keys.isEmpty() && !m_recording);
    m_none->setVisible(keys.isEmpty() && !m_recording);
    setAccessibleName(QStringLiteral("Shortcut: ") +
                      (keys.isEmpty() ? QStringLiteral("none") : keys.join(u'+')));
    updateGeometry();
}

void RecorderFace::setRecording(bool recording)
{
    if (recording == m_recording)
        return;
    m_recording = recording;
    const bool none = m_caps->keys().isEmpty();
    m_caps->setVisible(!recording && !none);
    m_none->setVisible(!recording && none);
    m_prompt->setVisible(recording);
    setToolTip(recording ? QStringLiteral("Press Esc to cancel")
                         : QStringLiteral("Click to record a new shortcut"));
    setAccessibleDescription(recording ? QStringLiteral("Recording: press the new shortcut, or "
                                                        "Esc to cancel")
                                       : QStringLiteral("Press to record a new shortcut"));
    m_change.stop();
    m_change.setStartValue(m_progress);
    m_change.setEndValue(recording ? 1.0 : 0.0);
    m_change.start();
    updateGeometry();
}

QSize RecorderFace::sizeHint() const
{
    const QSize content = layout()->sizeHint();
    return {std::max(kMinWidth, content.width()), std::max(kMinHeight, content.height())};
}

void RecorderFace::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor text = palette().color(QPalette::WindowText);
    const QColor accent = palette().color(QPalette::Highlight);
    const double width = kIdleBorderWidth + m_progress * (kRecordingBorderWidth - kIdleBorderWidth);
    const double inset = width / 2;
    QPainterPath field;
    field.addRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), kRadius, kRadius);
    painter.fillPath(field, mix(GlassSurface::withAlpha(text, kIdleFillAlpha),
                                GlassSurface::withAlpha(accent, kRecordingFillAlpha), m_progress));
    painter.setPen(
        QPen(mix(GlassSurface::withAlpha(text, kIdleBorderAlpha), accent, m_progress), width));
    painter.drawPath(field);
    if (hasFocus() && !m_recording) {
        painter.setPen(QPen(accent, kIdleBorderWidth, Qt::DotLine));
        painter.drawPath(field);
    }
}

} // namespace quelto
