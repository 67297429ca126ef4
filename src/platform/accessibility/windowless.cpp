#include "platform/accessibility/windowless.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "platform/window/forms.h"

namespace platform {

const Control* WindowlessAccessible::Live() const {
    return form_.FindControl(name_, index_);
}

QString WindowlessAccessible::Caption() const {
    const auto* label = dynamic_cast<const Label*>(Live());
    return label ? QString::fromStdString(label->Caption()) : QString();
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
    const QString caption = Caption();
    switch (kind) {
    case QAccessible::Name:
        // The label's own name comes first, so that two equal captions ("Score : 0") stay apart;
        // a hidden label tells no caption, as none is seen.
        if (control->AccessibleName().isEmpty() || caption.isEmpty() || !control->Visible())
            return control->AccessibleName().isEmpty() ? caption : control->AccessibleName();
        return control->AccessibleName() + QStringLiteral(": ") + caption;
    case QAccessible::Description:
        return where_.isEmpty() ? control->AccessibleDescription() : where_;
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
    const auto* image = dynamic_cast<const Image*>(control);
    if (dynamic_cast<const Label*>(control))
        return QAccessible::StaticText;
    if (image && image->Toggle())
        return QAccessible::CheckBox;
    if (image && !control->AccessibleName().isEmpty())
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
    state.selectable = chosen_;
    state.selected = chosen_;
    return state;
}

void* WindowlessAccessible::interface_cast(QAccessible::InterfaceType type) {
    const Control* control = Live();
    if (type == QAccessible::ActionInterface && dynamic_cast<const Image*>(control) &&
        !control->AccessibleName().isEmpty())
        return static_cast<QAccessibleActionInterface*>(this);
    if (type == QAccessible::TextInterface && dynamic_cast<const Label*>(control))
        return static_cast<QAccessibleTextInterface*>(this);
    return nullptr;
}

QStringList WindowlessAccessible::actionNames() const {
    const auto* image = dynamic_cast<const Image*>(Live());
    if (!image || !image->on_click)
        return {};
    return {image->Toggle() ? toggleAction() : pressAction()};
}

void WindowlessAccessible::doAction(const QString& action) {
    if (!actionNames().contains(action))
        return;
    // The screen reader waits for the answer: the click itself runs at the next pump, as a
    // mouse click would, and finds its control afresh, shown and clickable.
    QTimer::singleShot(0, QCoreApplication::instance(), [&form = form_, name = name_, index = index_] {
        auto* image = dynamic_cast<Image*>(form.FindControl(name, index));
        if (image && image->Visible() && image->on_click)
            image->on_click();
    });
}

QString WindowlessAccessible::attributes(int, int* start, int* end) const {
    *start = 0;
    *end = characterCount();
    return {};
}

}  // namespace platform
