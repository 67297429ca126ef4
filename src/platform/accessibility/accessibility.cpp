#include "platform/accessibility/accessibility.h"

#include <QAccessibleWidget>
#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/accessibility/windowless.h"
#include "platform/window/forms.h"

namespace platform {
namespace {

// The interface of a control a window paints, made when first asked for, and kept for the
// whole run: the next load of the form finds the control of the same name through it. Qt
// deletes it when the application closes. None for a control with nothing to tell.
QAccessibleInterface* Windowless(const Form& form, const Control& control) {
    static std::map<std::tuple<const Form*, std::string, int>, QAccessibleInterface*> made;
    if (control.AccessibleName().isEmpty() && !dynamic_cast<const Label*>(&control))
        return nullptr;
    QAccessibleInterface*& made_for = made[{&form, control.Name(), control.Index()}];
    if (!made_for) {
        made_for = new WindowlessAccessible(form, control.Name(), control.Index());
        QAccessible::registerAccessibleInterface(made_for);
    }
    return made_for;
}

// A screen reader finds the window's controls among its children in the order they were
// created: a widget's own interface, or for a control the window paints, one of its own.
class AccessibleFormWindow : public QAccessibleWidget {
public:
    AccessibleFormWindow(QWidget* window, const Form& form) : QAccessibleWidget(window), form_(form) {}
    int childCount() const override { return static_cast<int>(Children().size()); }
    QAccessibleInterface* child(int index) const override {
        const auto children = Children();
        return index >= 0 && index < static_cast<int>(children.size()) ? children[index] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto children = Children();
        const auto found = std::find(children.begin(), children.end(), child);
        return found == children.end() ? -1 : static_cast<int>(found - children.begin());
    }
    // Widgets lie above the controls the window paints; of each, the last created on top.
    QAccessibleInterface* childAt(int x, int y) const override {
        const auto children = Children();
        for (bool windowless : {false, true}) {
            for (auto it = children.rbegin(); it != children.rend(); ++it) {
                const bool own = (*it)->object() == nullptr;
                if (own == windowless && !(*it)->state().invisible && (*it)->rect().contains(x, y))
                    return *it;
            }
        }
        return nullptr;
    }

private:
    std::vector<QAccessibleInterface*> Children() const {
        std::vector<QAccessibleInterface*> children;
        for (auto it = form_.Controls().rbegin(); it != form_.Controls().rend(); ++it) {
            const Control& control = **it;
            QAccessibleInterface* child = nullptr;
            if (control.Widget())
                child = QAccessible::queryAccessibleInterface(control.Widget());
            else if (control.Windowless())
                child = Windowless(form_, control);
            if (child)
                children.push_back(child);
        }
        return children;
    }
    const Form& form_;
};

QAccessibleInterface* AccessibleForm(const QString& class_name, QObject* object) {
    auto* window = class_name == QLatin1String("QWidget") ? qobject_cast<QWidget*>(object) : nullptr;
    const Form* form = window ? Form::Of(window) : nullptr;
    return form ? new AccessibleFormWindow(window, *form) : nullptr;
}

// A switch pressed or released is told at once; a screen reader speaks it.
void Changed(const Control& control, ControlChange change) {
    if (change != ControlChange::State || !control.Windowless())
        return;
    const Form* form = Form::Of(control.Surface());
    if (QAccessibleInterface* accessible = form ? Windowless(*form, control) : nullptr) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(accessible, changed);
        QAccessible::updateAccessibility(&event);
    }
}

}  // namespace

void EnableAccessibility() {
    QAccessible::installFactory(AccessibleForm);
    control_changed = Changed;
}

}  // namespace platform
