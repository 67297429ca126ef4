#pragma once
// The globals that cross windows: the title window sets them, the game and its
// music read them. They live below every other folder but platform/, so that each
// folder may include them.

#include <string>

#include "platform/types.h"

namespace globals {

// Random attempts of the computer's search for a capture: 10 on Easy, 30 on Hard.
inline platform::Integer ComputerTries = 0;
// True (-1) while the music is switched off.
inline platform::Boolean MusicOff = platform::False;
// The tune that the game's music keeper restarts.
inline std::string MidiFile;

}  // namespace globals
