#include "ui/Accessible.h"

#include "ui/Buttons.h"
#include "ui/Controls.h"

#include <QAccessibleWidget>

namespace {

// The press action, for the controls whose own interface does not offer it.
class PressableWidget : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction())
            press();
        else
            QAccessibleWidget::doAction(action);
    }

protected:
    virtual void press() = 0;
    QString nameOr(const QString& text) const {
        const QString name = widget()->accessibleName();
        return name.isEmpty() ? text : name;
    }
};

class AccessibleChoice : public PressableWidget {
public:
    explicit AccessibleChoice(ChoiceButton* button)
        : PressableWidget(button, qobject_cast<TabButton*>(button) ? QAccessible::PageTab
                                                                   : QAccessible::RadioButton) {}

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? nameOr(button()->text()) : PressableWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State state = PressableWidget::state();
        state.selectable = true;
        state.checkable = true;
        state.selected = button()->isSelected();
        state.checked = button()->isSelected();
        return state;
    }

protected:
    void press() override { button()->click(); }

private:
    ChoiceButton* button() const { return static_cast<ChoiceButton*>(widget()); }
};

class AccessibleLabel : public PressableWidget {
public:
    explicit AccessibleLabel(ElidedLabel* label) : PressableWidget(label) {}

    // A label becomes a link once there is something to open.
    QAccessible::Role role() const override {
        return label()->isClickable() ? QAccessible::Button : QAccessible::StaticText;
    }

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? nameOr(label()->text()) : PressableWidget::text(t);
    }
    QStringList actionNames() const override {
        return label()->isClickable() ? PressableWidget::actionNames()
                                      : QAccessibleWidget::actionNames();
    }

protected:
    void press() override {
        if (label()->isClickable())
            emit label()->clicked();
    }

private:
    ElidedLabel* label() const { return static_cast<ElidedLabel*>(widget()); }
};

// A section header that opens and closes what is below it, and says which it is.
class AccessibleDisclosure : public PressableWidget {
public:
    explicit AccessibleDisclosure(DisclosureHeader* header)
        : PressableWidget(header, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? nameOr(header()->text()) : PressableWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State state = PressableWidget::state();
        state.expandable = true;
        state.expanded = header()->isExpanded();
        state.collapsed = !header()->isExpanded();
        return state;
    }

protected:
    void press() override { header()->click(); }

private:
    DisclosureHeader* header() const { return static_cast<DisclosureHeader*>(widget()); }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String("ChoiceButton"))
        return new AccessibleChoice(static_cast<ChoiceButton*>(object));
    if (className == QLatin1String("DisclosureHeader"))
        return new AccessibleDisclosure(static_cast<DisclosureHeader*>(object));
    if (className == QLatin1String("ElidedLabel"))
        return new AccessibleLabel(static_cast<ElidedLabel*>(object));
    return nullptr;
}

} // namespace

void installAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}
