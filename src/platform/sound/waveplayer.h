#pragma once
// The wave player the effects use: each plays on the effects' own mixer channel, so a new one cuts off the
// one still playing and never the music.

#include <functional>

namespace platform {

struct WavePlayerCalls {
    // Starts the wave file (relative to the current directory) and returns at once: the worker reads,
    // refuses or plays it, always cutting off the effect still playing; a null name only does that.
    std::function<void(const char* file_name)> play_sound;
    // Opens the device ahead of an effect that is likely soon, so that the effect sounds at once: a sound
    // server takes tens of milliseconds to open a stream, and the device closes after a second of silence.
    std::function<void()> expect_sound;
};

// The implementation in use; it starts out as the real one. Tests replace it to record the effects.
WavePlayerCalls& WavePlayer();

void PlaySound(const char* file_name);
void ExpectSound();

}  // namespace platform
