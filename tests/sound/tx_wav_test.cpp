// The effects player hands each effect to the wave player as it is named.

#include <gtest/gtest.h>

#include "fixtures.h"
#include "globals/globals.h"
#include "sound/tx_wav.h"

namespace {

TEST(TxWav, EffectsGoOutAsNamedWhateverTheMusicSwitch) {
    testing_support::RecordedSounds sounds;
    sound::PlayWav("zam3.wav");
    globals::MusicOff = platform::True;
    sound::PlayWav("zam4.wav");
    globals::MusicOff = platform::False;
    EXPECT_EQ(sounds.effects, (std::vector<std::string>{"zam3.wav", "zam4.wav"}));
}

}  // namespace
