#include "platform/waveplayer.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <map>
#include <string>

#include "platform/audio_device.h"

namespace platform {
namespace {

struct Effect {
    Mix_Chunk* chunk = nullptr;
    audio::FileStamp stamp;  // a file changed on disk is loaded afresh
};

void ReleaseEffects();

std::map<std::string, Effect>& Effects() {
    static auto* effects = [] {
        audio::BeforeClose(ReleaseEffects);
        return new std::map<std::string, Effect>;  // never destroyed: the audio thread may outlive statics
    }();
    return *effects;
}

void ReleaseEffects() {
    for (auto& [path, effect] : Effects())
        Mix_FreeChunk(effect.chunk);
    Effects().clear();
}

// The effect loaded from the file, kept for the next time; null when it cannot be played.
Mix_Chunk* Load(const std::string& path) {
    auto stamp = audio::StampOf(path);
    if (!stamp || stamp->size == 0)
        return nullptr;
    auto& effects = Effects();
    if (auto kept = effects.find(path); kept != effects.end()) {
        if (kept->second.stamp == *stamp)
            return kept->second.chunk;
        Mix_FreeChunk(kept->second.chunk);
        effects.erase(kept);
    }
    if (!audio::Ready())
        return nullptr;
    Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
    if (chunk != nullptr)
        effects[path] = Effect{chunk, *stamp};
    return chunk;
}

void WaitUntilSilent(const Mix_Chunk* chunk) {
    // Bounded by the sound's own length, so a stalled device cannot hold the program.
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    const int bytes_per_second = frequency * channels * SDL_AUDIO_BITSIZE(format) / 8;
    const Uint64 limit =
        SDL_GetTicks64() + 1000 + (bytes_per_second > 0 ? 1000ull * chunk->alen / bytes_per_second : 0);
    while (Mix_Playing(audio::EffectChannel) && SDL_GetTicks64() < limit)
        SDL_Delay(5);
}

bool RealPlaySound(const char* file_name, int flags) {
    if (audio::IsOpen())
        Mix_HaltChannel(audio::EffectChannel);
    if (file_name == nullptr)
        return true;
    Mix_Chunk* chunk = Load(file_name);
    if (chunk == nullptr || Mix_PlayChannel(audio::EffectChannel, chunk, 0) < 0)
        return false;
    if ((flags & SoundAsync) == 0)
        WaitUntilSilent(chunk);
    return true;
}

}  // namespace

WavePlayerCalls& WavePlayer() {
    static WavePlayerCalls calls{RealPlaySound};
    return calls;
}

bool PlaySound(const char* file_name, int flags) {
    return WavePlayer().play_sound(file_name, flags);
}

}  // namespace platform
