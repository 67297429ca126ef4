// The synthesizer's sound fonts and the loudness it plays at, rendered offline.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

#include "platform/sound/synthesizer.h"

namespace {

using platform::audio::SoundFonts;

constexpr const char* TimGM6mb = "/usr/share/sounds/sf2/TimGM6mb.sf2";

struct Heard {
    double rms_db;
    int peak;
};

// The first 20 s of the title tune with the synthesizer's gain multiplied: a louder or quieter font.
Heard Render(double louder) {
    auto synth = platform::audio::LoadSynthesizer([](const char*) {}).get();
    EXPECT_TRUE(synth);
    std::ifstream file(ZAM_MEDIA_DIR "/zam.mid", std::ios::binary);
    const std::vector<std::uint8_t> tune(std::istreambuf_iterator<char>(file), {});
    platform::audio::LoadPresets(synth.get(), tune);
    fluid_synth_set_gain(synth.get(), static_cast<float>(fluid_synth_get_gain(synth.get()) * louder));
    fluid_player_t* player = new_fluid_player(synth.get());
    fluid_player_add(player, ZAM_MEDIA_DIR "/zam.mid");
    fluid_player_play(player);
    platform::audio::Loudness loudness;
    loudness.Restart();
    std::vector<std::int16_t> block(2 * 2048);
    double sum = 0;
    int peak = 0;
    const int blocks = 20 * 44100 / 2048;
    for (int i = 0; i < blocks; ++i) {
        loudness.Render(synth.get(), block.data(), 2048);
        for (std::int16_t sample : block) {
            sum += static_cast<double>(sample) * sample;
            peak = std::max(peak, std::abs(static_cast<int>(sample)));
        }
    }
    delete_fluid_player(player);
    return {10 * std::log10(sum / (blocks * 2 * 2048.0) / 32768 / 32768), peak};
}

TEST(Synthesizer, SoundFontsComeFromTheVariableElseTimGM6mbBeforeTheSystemsDefault) {
    setenv("SDL_SOUNDFONTS", "/a.sf2;/b.sf2:/c.sf2", 1);
    EXPECT_EQ(SoundFonts(), (std::vector<std::string>{"/a.sf2", "/b.sf2", "/c.sf2"}));
    unsetenv("SDL_SOUNDFONTS");
    if (!std::filesystem::exists(TimGM6mb))
        GTEST_SKIP() << "timgm6mb-soundfont is not installed";
    // Whatever default-GM points at (FluidR3 once fluid-soundfont-gm is there), the manual's font comes
    // first.
    EXPECT_EQ(SoundFonts(), std::vector<std::string>{TimGM6mb});
}

TEST(Synthesizer, AnyFontPlaysAtTheSameLoudnessAndNeverAtFullScale) {
    if (!std::filesystem::exists(TimGM6mb))
        GTEST_SKIP() << "timgm6mb-soundfont is not installed";
    setenv("SDL_SOUNDFONTS", TimGM6mb, 1);
    const Heard usual = Render(1), loud = Render(4);
    unsetenv("SDL_SOUNDFONTS");
    // The title tune stands at about -18 dBFS with TimGM6mb.
    EXPECT_NEAR(usual.rms_db, -18.5, 2);
    EXPECT_LT(usual.peak, 30000);
    // A font 12 dB louder comes out as loud, and its peaks are held below full scale.
    EXPECT_NEAR(loud.rms_db, usual.rms_db, 3);
    EXPECT_LT(loud.peak, 30000);
}

}  // namespace
