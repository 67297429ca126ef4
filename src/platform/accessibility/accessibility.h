#pragma once
// What a screen reader is told of the windows: each form window lists its controls as
// its children, the widgets with their own interfaces and the controls it paints with
// ones of their own (windowless.h). The window runtime knows nothing of this; it only
// says when a control's text or state changes.

namespace platform {

// Puts the forms' interfaces in place; once, after the application object exists.
void EnableAccessibility();

}  // namespace platform
