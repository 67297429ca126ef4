#include "platform/sound/waveplayer.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <string>

#include "media/media_gate.h"
#include "platform/sound/audio_device.h"

namespace platform {
namespace {

// On the sound thread: the effect sounding now. Each effect is read afresh, so a file
// changed on disk plays as it is now; it is small and read from the page cache.
Mix_Chunk* sounding = nullptr;

void ReleaseEffect() {
    Mix_HaltChannel(audio::EffectChannel);
    Mix_FreeChunk(sounding);
    sounding = nullptr;
}

void Halt() {
    if (audio::IsOpen())
        ReleaseEffect();
}

// On the sound thread.
void Start(const std::string& path) {
    Halt();
    auto bytes = media::Read(path, media::Kind::Effect);
    if (!bytes || !audio::Ready())
        return;
    SDL_RWops* source = SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size()));
    Mix_Chunk* chunk = source ? Mix_LoadWAV_RW(source, 1) : nullptr;
    if (!chunk) {
        media::Refuse(path, SDL_GetError());
        return;
    }
    Halt();
    sounding = chunk;
    Mix_PlayChannel(audio::EffectChannel, chunk, 0);
}

struct Registered {
    Registered() { audio::BeforeClose(ReleaseEffect); }
};

bool RealPlaySound(const char* file_name, int) {
    static Registered registered;
    const std::string path = file_name ? file_name : "";
    std::string fault = file_name ? media::Check(path, media::Kind::Effect) : "";
    if (!fault.empty())
        media::Refuse(path, fault);
    if (!file_name || !fault.empty()) {
        // Even a file that cannot play cuts off the effect before it.
        audio::Post(Halt);
        return !file_name;
    }
    audio::Post([path] { Start(path); });
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
