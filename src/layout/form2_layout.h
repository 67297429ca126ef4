#pragma once
// The title window and its controls, in the order they are created.

#include <array>

#include "platform/control_spec.h"

namespace layout {

extern const platform::WindowSpec Form2Window;
extern const std::array<platform::ControlSpec, 6> Form2Controls;

}  // namespace layout
