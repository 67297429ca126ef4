#include "platform/window/qt_keys.h"

namespace platform {

int KeyCodeOf(int qt_key) {
    switch (qt_key) {
    case Qt::Key_Left:
        return KeyLeft;
    case Qt::Key_Up:
        return KeyUp;
    case Qt::Key_Right:
        return KeyRight;
    case Qt::Key_Down:
        return KeyDown;
    case Qt::Key_Shift:
        return KeyShift;
    case Qt::Key_Control:
        return KeyControl;
    case Qt::Key_Alt:
        return KeyAlt;
    default:
        return 0;
    }
}

int ShiftStateOf(Qt::KeyboardModifiers modifiers) {
    int state = 0;
    if (modifiers & Qt::ShiftModifier)
        state |= ShiftMask;
    if (modifiers & Qt::ControlModifier)
        state |= CtrlMask;
    if (modifiers & Qt::AltModifier)
        state |= AltMask;
    return state;
}

}  // namespace platform
