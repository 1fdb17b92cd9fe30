// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/settingsform.h"

#include "ui/accessibility/focusringstyle.h"

#include "ui/editor/editortheme.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace quelto {

namespace {

constexpr double kGroupRadius = 8;
constexpr int kRowPadding = 10;
constexpr int kRowGap = 12;
constexpr float kSeparatorAlpha = 0.1f;
constexpr float kGroupBorderAlpha = 0.08f;
constexpr double kSmallerText = 0.9;
constexpr int kDarkLightness = 128;
constexpr int kDarkCardLighter = 125;

// The group's surface: the base colour (white) on light windows. Dark palettes often
// give fields the same base colour as such a surface would have, so there the group
// is a step lighter than the window instead and check boxes and spin boxes stay visible.
QColor cardColour(const QPalette& palette)
{
    const QColor window = palette.color(QPalette::Window);
    return window.lightness() < kDarkLightness ? window.lighter(kDarkCardLighter)
                                               : palette.color(QPalette::Base);
}

// A rounded group on the card colour, with hairlines between its rows.
class FormGroup : public QWidget {
public:
    explicit FormGroup(QWidget* parent)
        : QWidget(parent)
    {
        auto* rows = new QVBoxLayout(this);
        rows->setContentsMargins(0, 0, 0, 0);
        rows->setSpacing(0);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor line = palette().color(QPalette::WindowText);
        line.setAlphaF(kGroupBorderAlpha);
        QPainterPath group;
        group.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kGroupRadius,
                             kGroupRadius);
        painter.fillPath(group, cardColour(palette()));
        painter.setPen(line);
        painter.drawPath(group);
        line.setAlphaF(kSeparatorAlpha);
        painter.setPen(line);
        const auto* rows = layout();
        for (int i = 1; i < rows->count(); ++i) {
            const int y = rows->itemAt(i)->geometry().top();
            painter.drawLine(QPointF(kRowPadding, y), QPointF(width() - kRowPadding, y));
        }
    }
};

// Smaller text in the secondary colour of whatever palette the window has now, so it
// follows a switch between light and dark while the window is open.
class SecondaryLabel : public QLabel {
public:
    SecondaryLabel(const QString& text, QWidget* parent)
        : QLabel(text, parent)
    {
        setWordWrap(true);
        QFont smaller = font();
        smaller.setPointSizeF(smaller.pointSizeF() * kSmallerText);
        setFont(smaller);
        applySecondary();
    }

protected:
    void changeEvent(QEvent* event) override
    {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)
            applySecondary();
    }

private:
    void applySecondary()
    {
        // From the parent's palette: this label's own holds the colour set last.
        QPalette quiet = parentWidget() ? parentWidget()->palette() : QApplication::palette();
        const QColor colour = EditorTheme::secondary(quiet);
        if (palette().color(QPalette::WindowText) == colour)
            return;
        quiet.setColor(QPalette::WindowText, colour);
        setPalette(quiet);
    }
};
} // namespace

SettingsForm::SettingsForm(QWidget* parent)
    : QWidget(parent)
    , m_sections(new QVBoxLayout(this))
{
    m_sections->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    m_sections->setSpacing(0);
    m_sections->addStretch();
}

void SettingsForm::addSection(const QString& title)
{
    const int end = m_sections->count() - 1; // before the closing stretch
    if (end > 0)
        m_sections->insertSpacing(end, kSectionGap);
    if (!title.isEmpty()) {
        auto* heading = new QLabel(title, this);
        QFont bold = heading->font();
        bold.setWeight(QFont::DemiBold);
        heading->setFont(bold);
        heading->setContentsMargins(kRowPadding, 0, 0, kRowPadding / 2);
        m_sections->insertWidget(m_sections->count() - 1, heading);
    }
    m_group = new FormGroup(this);
    m_sections->insertWidget(m_sections->count() - 1, m_group);
}

QWidget* SettingsForm::addToGroup(QWidget* row)
{
    if (!m_group)
        addSection({});
    m_group->layout()->addWidget(row);
    return row;
}

QWidget* SettingsForm::addRow(const QString& title, const QString& description, QWidget* control)
{
    auto* row = new QWidget(m_group);
    auto* columns = new QHBoxLayout(row);
    columns->setContentsMargins(kRowPadding, kRowPadding, kRowPadding, kRowPadding);
    columns->setSpacing(kRowGap);
    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    QLabel* heading = title.isEmpty() ? nullptr : new QLabel(title, row);
    if (heading)
        text->addWidget(heading);
    if (!description.isEmpty()) {
        auto* below = new SecondaryLabel(description, row);
        below->setObjectName(kDescription);
        text->addWidget(below);
    }
    const bool controlOnly = !heading && description.isEmpty();
    if (controlOnly)
        delete text;
    else
        columns->addLayout(text, 1);
    if (control) {
        control->setParent(row);
        if (heading) {
            // A value shown as text is named by its text; the heading labels it.
            if (!qobject_cast<QLabel*>(control))
                control->setAccessibleName(title);
            heading->setBuddy(control);
        }
        if (!description.trimmed().isEmpty()) // a blank one only keeps the row's height
            control->setAccessibleDescription(description);
        FocusRing::apply(control);
        columns->addWidget(control, 0,
                           (controlOnly ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    }
    if (controlOnly)
        columns->addStretch(1);
    return addToGroup(row);
}

QCheckBox* SettingsForm::addToggle(const QString& title, const QString& description)
{
    auto* toggle = new QCheckBox;
    addRow(title, description, toggle);
    return toggle;
}

} // namespace quelto
