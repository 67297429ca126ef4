#pragma once
// Whether the windows can be shown at all. Qt aborts without a display, with advice
// about reinstalling that helps nobody, so the program asks first.

#include <string>

namespace platform {

// Why no display can be opened for the platform Qt will use; empty when one can, or
// when Qt is told to draw somewhere that needs none (QT_QPA_PLATFORM=offscreen).
std::string NoDisplayReason();

}  // namespace platform
