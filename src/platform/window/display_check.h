#pragma once
// Whether the windows can be shown at all. Qt aborts without a display, with advice
// about reinstalling that helps nobody, so the program asks first.

#include <memory>
#include <string>

class QApplication;

namespace platform {

// Settings of the window system that must be made before the application object exists.
void PrepareWindowSystem();

// The application object on a window system the game can paint on; none, after one line
// on stderr that says why, when no window could be shown.
std::unique_ptr<QApplication> OpenWindowSystem(int& argc, char** argv);

// Why no display can be opened for the platform Qt will use; empty when one can, or
// when Qt is told to draw somewhere that needs none (QT_QPA_PLATFORM=offscreen).
std::string NoDisplayReason();

}  // namespace platform
