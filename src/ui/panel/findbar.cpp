// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel/findbar.h"

#include "ui/accessibility/focusringstyle.h"
#include "ui/editor/editortheme.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace quelto {

namespace {

QToolButton* flatButton(const QString& text, const QString& tip)
{
    auto* button = new QToolButton;
    button->setText(text);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    FocusRing::apply(button);
    return button;
}

} // namespace

FindBar::FindBar(QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 6, 10, 6);
    column->setSpacing(4);
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    m_field = new QLineEdit;
    m_field->setObjectName(QStringLiteral("findField"));
    m_field->setPlaceholderText(QStringLiteral("Find"));
    m_field->setAccessibleName(QStringLiteral("Find"));
    m_field->setClearButtonEnabled(true);
    // Qt's clear button has no words of its own: a screen reader would say only "button".
    if (auto* clear = m_field->findChild<QAction*>(QStringLiteral("_q_qlineeditclearaction")))
        clear->setText(QStringLiteral("Clear"));
    m_field->installEventFilter(this);
    row->addWidget(m_field, 1);
    m_count = new QLabel;
    QPalette quiet = m_count->palette();
    quiet.setColor(QPalette::WindowText, EditorTheme::secondary(palette()));
    m_count->setPalette(quiet);
    row->addWidget(m_count);
    QToolButton* previous = flatButton(QStringLiteral("‹"), QStringLiteral("Previous match"));
    QToolButton* next = flatButton(QStringLiteral("›"), QStringLiteral("Next match"));
    QToolButton* close = flatButton(QStringLiteral("✕"), QStringLiteral("Close"));
    m_buttons = {previous, next, close};
    for (QWidget* button : std::as_const(m_buttons))
        row->addWidget(button);
    column->addLayout(row);
    m_results = new QListWidget;
    m_results->setFocusPolicy(Qt::TabFocus);
    m_results->setAccessibleName(QStringLiteral("Matches in all tabs"));
    m_results->setUniformItemSizes(true);
    m_results->setMaximumHeight(kListRows * m_results->fontMetrics().height() * 3 / 2);
    m_results->hide();
    column->addWidget(m_results);

    connect(m_field, &QLineEdit::textChanged, this, &FindBar::queryChanged);
    connect(previous, &QToolButton::clicked, this, &FindBar::previousRequested);
    connect(next, &QToolButton::clicked, this, &FindBar::nextRequested);
    connect(close, &QToolButton::clicked, this, &FindBar::closeRequested);
    connect(m_results, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { emit resultChosen(m_results->row(item)); });
    connect(m_results, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { emit resultChosen(m_results->row(item)); });
}

QList<QWidget*> FindBar::focusOrder() const
{
    return QList<QWidget*>{m_field} << m_buttons << m_results;
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_field || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool listing = m_results->isVisible() && m_results->count() > 0;
    switch (key->key()) {
    case Qt::Key_Escape:
        emit closeRequested();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (listing && m_results->currentRow() >= 0)
            emit resultChosen(m_results->currentRow());
        else if (key->modifiers() & Qt::ShiftModifier)
            emit previousRequested();
        else
            emit nextRequested();
        return true;
    case Qt::Key_Down:
    case Qt::Key_Up:
        if (!listing)
            break;
        m_results->setCurrentRow(
            std::clamp(m_results->currentRow() + (key->key() == Qt::Key_Down ? 1 : -1), 0,
                       m_results->count() - 1));
        return true;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quelto
