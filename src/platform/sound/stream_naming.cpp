#include "platform/sound/stream_naming.h"

#include <SDL.h>
#include <cstdlib>
#include <dlfcn.h>

namespace platform::audio {
namespace {

// libasound speaks on stderr of every card it cannot open, at every try; a line of ours says it once.
void AlsaSaysNothing(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void NameStream() {
    setenv("PULSE_PROP_application.icon_name", "io.github.zamgame.zam", 0);
    setenv("PULSE_PROP_media.role", "game", 0);
    setenv("PIPEWIRE_PROPS", "{ application.icon-name = io.github.zamgame.zam }", 0);
}

void PrepareOutput() {
    // SDL would otherwise take Ctrl+C and termination for events that only an SDL event loop reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_APP_NAME, "ZAM");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Music and effects");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, "game");
    static void* alsa = dlopen("libasound.so.2", RTLD_NOW);  // kept loaded, and its handler with it
    using Set = int (*)(decltype(&AlsaSaysNothing));
    if (auto set = alsa ? reinterpret_cast<Set>(dlsym(alsa, "snd_lib_error_set_handler")) : nullptr)
        set(AlsaSaysNothing);
}

}  // namespace platform::audio
