#pragma once
// The program's entry and the globals that cross windows.

#include <string>

#include "platform/types.h"

namespace screens {

// Random attempts of the computer's search for a capture: 10 on Easy, 30 on Hard.
inline platform::Integer ComputerTries = 0;
// True (-1) while the music is switched off.
inline platform::Boolean MusicOff = platform::False;
// The tune that the game's music keeper restarts.
inline std::string MidiFile;

// Runs the program's windows; it ends only when a window's close handler ends the program.
void Main();

}  // namespace screens
