#pragma once
// The opening demo window and its controls, in the order they are created.

#include <span>

#include "platform/control_spec.h"

namespace layout {

extern const platform::WindowSpec DemoformWindow;
extern const std::span<const platform::ControlSpec> DemoformControls;

// The logo strokes are Line1(1) to Line1(LogoStrokes).
inline constexpr int LogoStrokes = 19;

}  // namespace layout
