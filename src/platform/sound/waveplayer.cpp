#include "platform/sound/waveplayer.h"

#include "platform/sound/audio_device.h"

namespace platform {

WavePlayerCalls& WavePlayer() {
    static WavePlayerCalls calls{
        [](const char* file_name) { audio::Post(audio::PlayEffect{file_name ? file_name : ""}); },
        [] { audio::Post(audio::Wake{}); }};
    return calls;
}

void PlaySound(const char* file_name) {
    WavePlayer().play_sound(file_name);
}

void ExpectSound() {
    if (WavePlayer().expect_sound)
        WavePlayer().expect_sound();
}

}  // namespace platform
