#include "platform/accessibility/windowless.h"

#include <QWidget>
#include <QWindow>

#include "platform/window/forms.h"

namespace platform {

const Control* WindowlessAccessible::Live() const {
    return form_.FindControl(name_, index_);
}

QWindow* WindowlessAccessible::window() const {
    return form_.Window() ? form_.Window()->windowHandle() : nullptr;
}

QAccessibleInterface* WindowlessAccessible::parent() const {
    return form_.Window() ? QAccessible::queryAccessibleInterface(form_.Window()) : nullptr;
}

QString WindowlessAccessible::text(QAccessible::Text kind) const {
    const Control* control = Live();
    if (!control)
        return {};
    const auto* label = dynamic_cast<const Label*>(control);
    const QString caption = label ? QString::fromStdString(label->Caption()) : QString();
    switch (kind) {
    case QAccessible::Name:
        return control->AccessibleName().isEmpty() ? caption : control->AccessibleName();
    case QAccessible::Description:
        return control->AccessibleDescription();
    case QAccessible::Value:
        return caption;
    default:
        return {};
    }
}

QRect WindowlessAccessible::rect() const {
    const Control* control = Live();
    QWidget* window = form_.Window();
    if (!control || !window->isVisible() || !control->Visible())
        return {};
    const QRect box = control->PixelRect();
    return QRect(window->mapToGlobal(box.topLeft()), box.size());
}

QAccessible::Role WindowlessAccessible::role() const {
    const Control* control = Live();
    if (dynamic_cast<const Label*>(control))
        return QAccessible::StaticText;
    if (control && dynamic_cast<const Image*>(control) && !control->AccessibleName().isEmpty())
        return QAccessible::Button;
    return QAccessible::Graphic;
}

QAccessible::State WindowlessAccessible::state() const {
    const Control* control = Live();
    QAccessible::State state;
    state.invisible = !control || !form_.Window()->isVisible() || !control->Visible();
    if (const auto* image = dynamic_cast<const Image*>(control); image && image->Toggle()) {
        state.checkable = true;
        state.checked = *image->Toggle();
    }
    return state;
}

}  // namespace platform
