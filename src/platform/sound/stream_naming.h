#pragma once
// How the game's sound shows on the desktop: the stream in the desktop's mixer is named for the game,
// with its icon and the role "game", and a missing output is said in one line of ours, not ALSA's.

namespace platform::audio {

// Puts the stream's icon and role where the sound libraries read them, the environment: before any
// other thread starts.
void NameStream();

// SDL's part of the name, and a silent error handler for libasound: before each opening of the device.
void PrepareOutput();

}  // namespace platform::audio
