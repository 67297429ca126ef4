#pragma once
// What a screen reader is told of the windows: each form window lists its controls as
// its children, the widgets with their own interfaces and the controls it paints with
// ones of their own (windowless.h). The window runtime knows nothing of this; it only
// says when a control's text or state changes. The game tells what the pictures show.

#include <string>

namespace platform {

class Control;
class Form;

// Puts the forms' interfaces in place; once, after the application object exists.
void EnableAccessibility();

// Says a sentence at once without moving the keyboard focus: a notification with the
// sentence as its name appears on the form's window. The last few stay there to be read.
void Announce(const Form& form, const std::string& sentence);

// Where a control the window paints stands ("column 3, row 13"), told in place of its description.
void Describe(const Control& control, const std::string& where);

// The one control of a form a screen reader is told is chosen (selected); none when null.
void Choose(const Form& form, const Control* chosen);

// A pause of the calling thread during which a screen reader's questions are answered and
// nothing else is handled: no input, no timer. Stands in for the pump's plain pause.
void SleepAnswering(int milliseconds);

}  // namespace platform
