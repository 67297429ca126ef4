#include "platform/window/accessible.h"

#include "platform/window/controls.h"

namespace platform {

QWindow* WindowlessAccessible::window() const {
    return window_ ? window_->window()->windowHandle() : nullptr;
}

QAccessibleInterface* WindowlessAccessible::parent() const {
    return window_ ? QAccessible::queryAccessibleInterface(window_.data()) : nullptr;
}

QString WindowlessAccessible::text(QAccessible::Text kind) const {
    const auto* label = dynamic_cast<const Label*>(&control_);
    const QString caption = label ? QString::fromStdString(label->Caption()) : QString();
    switch (kind) {
    case QAccessible::Name:
        return control_.AccessibleName().isEmpty() ? caption : control_.AccessibleName();
    case QAccessible::Description:
        return control_.AccessibleDescription();
    case QAccessible::Value:
        return caption;
    default:
        return {};
    }
}

QRect WindowlessAccessible::rect() const {
    if (!window_ || !window_->isVisible() || !control_.Visible())
        return {};
    const QRect box = control_.PixelRect();
    return QRect(window_->mapToGlobal(box.topLeft()), box.size());
}

QAccessible::Role WindowlessAccessible::role() const {
    if (dynamic_cast<const Label*>(&control_))
        return QAccessible::StaticText;
    if (dynamic_cast<const Image*>(&control_))
        return control_.AccessibleName().isEmpty() ? QAccessible::Graphic : QAccessible::Button;
    return QAccessible::Graphic;
}

QAccessible::State WindowlessAccessible::state() const {
    QAccessible::State state;
    state.invisible = !window_ || !window_->isVisible() || !control_.Visible();
    if (const auto* image = dynamic_cast<const Image*>(&control_); image && image->Toggle()) {
        state.checkable = true;
        state.checked = *image->Toggle();
    }
    return state;
}

}  // namespace platform
