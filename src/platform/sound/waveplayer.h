#pragma once
// The wave player the effects use. Every effect plays on one mixer channel of its
// own, so a new effect cuts off the one still playing; the music is not touched.

#include <functional>

namespace platform {

// Flag bits of PlaySound, as the callers pass them. The player does both whatever
// the flags: every call returns at once, and nothing stands in for a file that
// cannot be played.
inline constexpr int SoundAsync = 1;      // return at once while the sound plays on
inline constexpr int SoundNoDefault = 2;  // no stand-in sound for a file that cannot be played

struct WavePlayerCalls {
    // Starts the wave file (a path, relative to the current directory) and tells
    // whether it passed the media gate. It always cuts off the effect still playing
    // first, even when the new file cannot be played; a null name only does that.
    // It returns at once: the file is read and played on the sound thread.
    std::function<bool(const char* file_name, int flags)> play_sound;
};

// The implementation in use; it starts out as the real one. Tests replace it to record the effects.
WavePlayerCalls& WavePlayer();

bool PlaySound(const char* file_name, int flags);

}  // namespace platform
