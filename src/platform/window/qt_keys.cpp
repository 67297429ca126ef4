#include "platform/window/qt_keys.h"

#include <utility>

namespace platform {

int KeyCodeOf(int qt_key) {
    static constexpr std::pair<int, int> Codes[] = {
        {Qt::Key_Left, KeyLeft}, {Qt::Key_Up, KeyUp},       {Qt::Key_Right, KeyRight},
        {Qt::Key_Down, KeyDown}, {Qt::Key_Shift, KeyShift}, {Qt::Key_Control, KeyControl},
        {Qt::Key_Alt, KeyAlt},
    };
    for (const auto& [key, code] : Codes)
        if (key == qt_key)
            return code;
    return 0;
}

int ShiftStateOf(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? ShiftMask : 0) |
           (modifiers & Qt::ControlModifier ? CtrlMask : 0) | (modifiers & Qt::AltModifier ? AltMask : 0);
}

}  // namespace platform
