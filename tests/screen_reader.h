#pragma once
// A screen reader's view of a window, as Qt's bridge would hand it over: the children by
// name, the sentences announced, and the actions it can take in place of a click.

#include <QAccessible>
#include <QStringList>
#include <QWidget>

#include "platform/window/events.h"

namespace testing_support {

// A screen reader is listening while this lives: the program tells it what happens.
class ScreenReaderOn {
public:
    ScreenReaderOn() { QAccessible::setActive(true); }
    ~ScreenReaderOn() { QAccessible::setActive(false); }
};

inline QAccessibleInterface* ChildNamed(QWidget* window, const QString& name) {
    QAccessibleInterface* parent = QAccessible::queryAccessibleInterface(window);
    for (int i = 0; parent && i < parent->childCount(); ++i) {
        if (parent->child(i)->text(QAccessible::Name) == name)
            return parent->child(i);
    }
    return nullptr;
}

// The sentences still shown as notifications on the window, the newest last.
inline QStringList Announced(QWidget* window) {
    QStringList told;
    QAccessibleInterface* parent = QAccessible::queryAccessibleInterface(window);
    for (int i = 0; parent && i < parent->childCount(); ++i) {
        if (parent->child(i)->role() == QAccessible::Notification)
            told << parent->child(i)->text(QAccessible::Name);
    }
    return told;
}

inline QString LastAnnounced(QWidget* window) {
    const QStringList told = Announced(window);
    return told.isEmpty() ? QString() : told.back();
}

// Takes the control's one action, as a screen reader would, and lets the program handle it.
inline void Act(QAccessibleInterface* control) {
    QAccessibleActionInterface* actions = control ? control->actionInterface() : nullptr;
    if (!actions || actions->actionNames().isEmpty())
        return;
    actions->doAction(actions->actionNames().front());
    platform::ProcessPendingEvents();
}

}  // namespace testing_support
