#pragma once
// The game window and its controls, in the order they are created.

#include <span>

#include "platform/control_spec.h"

namespace layout {

extern const platform::WindowSpec Form1Window;
extern const std::span<const platform::ControlSpec> Form1Controls;

}  // namespace layout
