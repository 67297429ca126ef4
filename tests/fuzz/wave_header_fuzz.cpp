// libFuzzer target: the wave checks, and SDL_mixer loading whatever they let through.
// A file the whole-file check accepts must load (or be refused by SDL) without a crash or an overrun.

#include <SDL.h>
#include <SDL_mixer.h>
#include <cstdint>
#include <cstdlib>

#include "media/media_gate.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SDL_Init(SDL_INIT_AUDIO);
    // The device the game opens: 44100 Hz, 16-bit stereo, so SDL converts every wave to it.
    return Mix_OpenAudioDevice(44100, AUDIO_S16SYS, 2, 1024, nullptr, 0) == 0 ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const bool header = media::WaveHeaderFault({data, size}).empty();
    const bool whole = media::WaveFileFault({data, size}).empty();
    if (whole && !header)
        std::abort();  // a whole file that passes has a header that passes
    if (!whole)
        return 0;
    if (Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(data, static_cast<int>(size)), 1))
        Mix_FreeChunk(chunk);
    return 0;
}
