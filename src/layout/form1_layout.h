#pragma once
// The game window and its controls, in the order they are created.

#include <array>

#include "platform/control_spec.h"

namespace layout {

extern const platform::WindowSpec Form1Window;
extern const std::array<platform::ControlSpec, 48> Form1Controls;

}  // namespace layout
