#include "sound/tx_wav.h"

#include "platform/sound/waveplayer.h"

namespace sound {

void PlayWav(const std::string& fileName) {
    // The result is of no interest: the game goes on exactly as if the sound had played.
    platform::PlaySound(fileName.c_str());
}

}  // namespace sound
