// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/accessibility/accessiblewidget.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWidget>

namespace quelto::Accessible {

namespace {

const char* const kRole = "quelto.accessibleRole";
const char* const kHidden = "quelto.accessibleHidden";
const char* const kSelected = "quelto.accessibleSelected";
const char* const kChecked = "quelto.accessibleChecked";
const char* const kAnnouncer = "quelto.announcer";

// Holds a widget's Press action as its child.
class PressAction final : public QObject {
public:
    PressAction(QWidget* widget, std::function<void()> press)
        : QObject(widget)
        , run(std::move(press))
    {
        setObjectName(QStringLiteral("quelto.press"));
    }
    std::function<void()> run;
};

PressAction* pressActionOf(QObject* object)
{
    return object->findChild<PressAction*>(QStringLiteral("quelto.press"),
                                           Qt::FindDirectChildrenOnly);
}

// A widget with a role, states and action set on it, whose hidden children are left out.
class DescribedWidget final : public QAccessibleWidget {
public:
    explicit DescribedWidget(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::Role(widget->property(kRole).toInt()))
    {}

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        if (const QVariant selected = widget()->property(kSelected); selected.isValid()) {
            state.selectable = true;
            state.selected = selected.toBool();
        }
        if (const QVariant checked = widget()->property(kChecked); checked.isValid()) {
            state.checkable = true;
            state.checked = checked.toBool();
        }
        return state;
    }

    int childCount() const override { return int(shownChildren().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> children = shownChildren();
        return index >= 0 && index < children.size()
                   ? QAccessible::queryAccessibleInterface(children[index])
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? int(shownChildren().indexOf(qobject_cast<QWidget*>(child->object()))) : -1;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (pressActionOf(widget()))
            names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& name) override
    {
        if (PressAction* press = pressActionOf(widget()); press && name == pressAction())
            press->run();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    QList<QWidget*> shownChildren() const
    {
        QList<QWidget*> shown;
        for (QObject* object : widget()->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child && !child->isWindow() && !child->property(kHidden).toBool())
                shown.append(child);
        }
        return shown;
    }
};

QAccessibleInterface* describedWidgets(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && widget->property(kRole).isValid() ? new DescribedWidget(widget) : nullptr;
}

void installFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(describedWidgets);
        return true;
    }();
    Q_UNUSED(installed);
}

// Qt's bridge to the desktop reports a selection event as the selected state, and a
// state change event only for some states (checked among them).
void reportState(QWidget* widget, const char* name, bool value, QAccessibleEvent&& event)
{
    const QVariant before = widget->property(name);
    widget->setProperty(name, value);
    if (before.isValid() && before.toBool() != value)
        QAccessible::updateAccessibility(&event);
}

} // namespace

void setRole(QWidget* widget, QAccessible::Role role)
{
    widget->setProperty(kRole, int(role));
    installFactory();
}

void hide(QWidget* widget)
{
    widget->setProperty(kHidden, true);
}

void setSelected(QWidget* widget, bool selected)
{
    reportState(widget, kSelected, selected, QAccessibleEvent(widget, QAccessible::Selection));
}

void setChecked(QWidget* widget, bool checked)
{
    QAccessible::State changed;
    changed.checked = true;
    reportState(widget, kChecked, checked, QAccessibleStateChangeEvent(widget, changed));
}

void setPressAction(QWidget* widget, std::function<void()> press)
{
    delete pressActionOf(widget);
    new PressAction(widget, std::move(press));
}

void announce(QWidget* window, const QString& message)
{
    if (!window || message.isEmpty())
        return;
    // An empty notification inside the window, shown again for each message: showing
    // is what screen readers speak notifications on.
    auto* announcer = window->findChild<QWidget*>(QString::fromLatin1(kAnnouncer));
    if (!announcer) {
        announcer = new QWidget(window);
        announcer->setObjectName(QString::fromLatin1(kAnnouncer));
        announcer->setAttribute(Qt::WA_TransparentForMouseEvents);
        announcer->setFixedSize(0, 0);
        setRole(announcer, QAccessible::Notification);
    }
    announcer->hide();
    announcer->setAccessibleName(message);
    announcer->show();
}

} // namespace quelto::Accessible
