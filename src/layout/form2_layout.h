#pragma once
// The title window and its controls, in the order they are created.

#include <span>

#include "platform/control_spec.h"

namespace layout {

extern const platform::WindowSpec Form2Window;
extern const std::span<const platform::ControlSpec> Form2Controls;

}  // namespace layout
