#pragma once
// Qt's keys and modifiers in the game's own codes.

#include <Qt>

#include "platform/keys.h"

namespace platform {

// The game's key code for a Qt key: the arrows and the modifier keys; 0 for every
// other key, which the game never looks at.
int KeyCodeOf(int qt_key);
// The game's shift state for Qt's modifiers.
int ShiftStateOf(Qt::KeyboardModifiers modifiers);

}  // namespace platform
