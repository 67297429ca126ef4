#pragma once
// Qt's keys and modifiers in the game's own codes.

#include <QKeyEvent>
#include <utility>

#include "platform/keys.h"

namespace platform {

// The game's key code for a key press: the arrows and the modifier keys; 0 for every
// other key, which the game never looks at.
inline int KeyCodeOf(const QKeyEvent& event) {
    static constexpr std::pair<int, int> Codes[] = {
        {Qt::Key_Left, KeyLeft}, {Qt::Key_Up, KeyUp},       {Qt::Key_Right, KeyRight},
        {Qt::Key_Down, KeyDown}, {Qt::Key_Shift, KeyShift}, {Qt::Key_Control, KeyControl},
        {Qt::Key_Alt, KeyAlt},
    };
    for (const auto& [key, code] : Codes)
        if (key == event.key())
            return code;
    return 0;
}

// The game's shift state for a key press.
inline int ShiftStateOf(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    return (modifiers & Qt::ShiftModifier ? ShiftMask : 0) |
           (modifiers & Qt::ControlModifier ? CtrlMask : 0) | (modifiers & Qt::AltModifier ? AltMask : 0);
}

}  // namespace platform
