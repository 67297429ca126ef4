#include "sound/tx_wav.h"

#include "media/media_folder.h"
#include "platform/sound/waveplayer.h"

namespace sound {

void PlayWav(const std::string& fileName) {
    // The effect is found by its bare name in the current directory: the media folder,
    // entered again should it have been taken away and put back.
    media::ReturnToMediaFolder();
    // The result is of no interest: the game goes on exactly as if the sound had played.
    platform::PlaySound(fileName.c_str());
}

void ExpectWav() {
    platform::ExpectSound();
}

}  // namespace sound
