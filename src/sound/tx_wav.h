#pragma once
// TX_WAV: the short sound effects of the game. They play whether the music is on or off.

#include <string>

namespace sound {

// Starts the wave file (a bare name in the current directory) and returns at once,
// cutting off the effect still playing. A file that cannot be played is silently skipped.
void PlayWav(const std::string& fileName);

// An effect is likely soon (the player has chosen a piece): it will sound without the delay of opening
// the sound output.
void ExpectWav();

}  // namespace sound
