// The sound fonts cut down to the presets the tunes choose: the presets found in a tune's bytes, the cut
// font's content, and the sound of a tune played from it.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <vector>

#include "platform/midi_bytes.h"
#include "platform/sound/sf2_subset.h"
#include "platform/sound/sound_font.h"
#include "platform/sound/synthesizer.h"

namespace {

using namespace platform::audio;
using testing_support::Bytes;

constexpr const char* TimGM6mb = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr const char* FluidR3 = "/usr/share/sounds/sf2/FluidR3_GM.sf2";

Bytes FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Presets Of(std::initializer_list<std::pair<int, int>> presets) {
    Presets set = StartingPresets();
    for (auto [bank, program] : presets)
        set.set(Preset(bank, program));
    return set;
}

// A synthesizer set up as the game's, reading through the served files; no font yet.
Synthesizer NewSynthesizer() {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", 44100);
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    Synthesizer synth(new_fluid_synth(settings));
    fluid_synth_add_sfloader(synth.get(), NewServingLoader(settings));
    return synth;
}

// Every preset of every font loaded, as often as it is there.
std::vector<std::size_t> PresetsIn(fluid_synth_t* synth) {
    std::vector<std::size_t> found;
    for (int i = 0; i < fluid_synth_sfcount(synth); ++i) {
        fluid_sfont_t* font = fluid_synth_get_sfont(synth, i);
        fluid_sfont_iteration_start(font);
        while (fluid_preset_t* preset = fluid_sfont_iteration_next(font))
            found.push_back(Preset(fluid_preset_get_banknum(preset), fluid_preset_get_num(preset)));
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<float> Render(fluid_synth_t* synth, const std::string& tune, int seconds) {
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_add(player, tune.c_str());
    fluid_player_play(player);
    std::vector<float> samples(2 * 1024 * (44100 * static_cast<std::size_t>(seconds) / 1024));
    for (std::size_t at = 0; at < samples.size(); at += 2 * 1024)
        fluid_synth_write_float(synth, 1024, samples.data() + at, 0, 2, samples.data() + at, 1, 2);
    fluid_player_stop(player);
    delete_fluid_player(player);
    return samples;
}

TEST(SoundFont, ATunesPresetsAreThoseItsProgramChangesAndBankSelectsChoose) {
    using testing_support::MidiEvent;
    // Running status carries a program change on; the bytes inside a meta event or a system exclusive
    // message are no events; a bank chosen in one track counts for the channel in every track.
    const Bytes tune = testing_support::MidiFile(
        {testing_support::Track({{0, {0xB0, 0, 5}},
                                 {0, {0xC0, 40}},
                                 {0, {0xC1, 10}},
                                 {0, {11}},
                                 {0, {0xFF, 0x01, 3, 0xC2, 0x7F, 0x7F}},
                                 {0, {0xF0, 3, 0xC3, 0x50, 0xF7}},
                                 {0, {0xC9, 25}},
                                 {0, testing_support::EndOfTrack()}}),
         testing_support::Track({{0, {0xB1, 0, 8}}, {0, testing_support::EndOfTrack()}})});
    // Each melodic program is looked for in bank 0 as well, where FluidSynth falls back; channel 10 plays
    // the drum kits.
    EXPECT_EQ(TunePresets(tune),
              Of({{5, 40}, {0, 40}, {0, 10}, {0, 11}, {8, 10}, {8, 11}, {128, 25}, {0, 25}}));
    // The game's tunes: three instruments each, and the standard kit.
    EXPECT_EQ(TunePresets(FileBytes(ZAM_MEDIA_DIR "/zam.mid")), Of({{0, 80}, {0, 4}, {0, 38}}));
    EXPECT_EQ(TunePresets(FileBytes(ZAM_MEDIA_DIR "/zaming.mid")), Of({{0, 11}, {0, 48}, {0, 33}}));
    EXPECT_EQ(TunePresets(FileBytes(ZAM_MEDIA_DIR "/endzam.mid")), Of({{0, 56}, {0, 61}, {0, 58}}));
}

TEST(SoundFont, TruncatedAndGarbledTunesAreReadWithinTheirBytes) {
    const Bytes tune = FileBytes(ZAM_MEDIA_DIR "/zam.mid");
    // Every cut of the tune, each in a buffer of its own size, so that the sanitizer sees a read past it.
    for (std::size_t length = 0; length <= tune.size(); ++length) {
        const Bytes cut(tune.begin(), tune.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_TRUE((TunePresets(cut) & StartingPresets()) == StartingPresets());
    }
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        Bytes garbled = tune;
        for (int flips = 0; flips < 1 + round % 16; ++flips)
            garbled[random() % garbled.size()] = static_cast<std::uint8_t>(random());
        garbled.resize(random() % (garbled.size() + 1));
        TunePresets(garbled);
    }
}

std::vector<std::string> InstalledFonts() {
    std::vector<std::string> fonts;
    for (const char* font : {TimGM6mb, FluidR3})
        if (std::filesystem::exists(font))
            fonts.push_back(font);
    return fonts;
}

std::vector<std::size_t> Among(const std::vector<std::size_t>& presets, const Presets& wanted) {
    std::vector<std::size_t> kept;
    std::copy_if(presets.begin(), presets.end(), std::back_inserter(kept),
                 [&](auto p) { return wanted.test(p); });
    return kept;
}

TEST(SoundFont, ACutFontHoldsExactlyTheWantedPresetsEachOnce) {
    if (InstalledFonts().empty())
        GTEST_SKIP() << "no General MIDI sound font is installed";
    for (const std::string& font : InstalledFonts()) {
        SCOPED_TRACE(font);
        Synthesizer whole = NewSynthesizer();
        ASSERT_NE(fluid_synth_sfload(whole.get(), font.c_str(), 1), FLUID_FAILED);
        const auto all = PresetsIn(whole.get());
        FontStack stack({font});
        Synthesizer cut = NewSynthesizer();
        EXPECT_EQ(stack.Load(cut.get(), StartingPresets()), 1);
        EXPECT_EQ(PresetsIn(cut.get()), Among(all, StartingPresets()));
        // A bank the font lacks, a drum kit it may lack, presets asked for again: only those missing are
        // read.
        const Presets wanted = Of({{0, 80}, {0, 4}, {0, 38}, {8, 4}, {128, 25}, {128, 127}, {0, 127}});
        EXPECT_EQ(stack.Load(cut.get(), wanted), 1);
        EXPECT_EQ(PresetsIn(cut.get()), Among(all, wanted));
        EXPECT_EQ(stack.Load(cut.get(), Of({{0, 80}})), 0);
        EXPECT_EQ(PresetsIn(cut.get()), Among(all, wanted));
        EXPECT_GT(all.size(), 100u);
        cut.reset();  // before the stack, whose files FluidSynth reads
    }
}

TEST(SoundFont, ATuneSoundsTheSameFromTheCutFontAsFromTheWholeOne) {
    if (InstalledFonts().empty())
        GTEST_SKIP() << "no General MIDI sound font is installed";
    for (const std::string& font : InstalledFonts()) {
        SCOPED_TRACE(font);
        setenv("SDL_SOUNDFONTS", font.c_str(), 1);
        Synthesizer cut = LoadSynthesizer([](const char*) {}).get();
        unsetenv("SDL_SOUNDFONTS");
        ASSERT_TRUE(cut);
        // The whole font on a synthesizer of the same settings.
        fluid_synth_t* whole = new_fluid_synth(fluid_synth_get_settings(cut.get()));
        ASSERT_NE(fluid_synth_sfload(whole, font.c_str(), 1), FLUID_FAILED);
        for (const char* name : {"/zam.mid", "/zaming.mid", "/endzam.mid"}) {
            SCOPED_TRACE(name);
            const std::string tune = std::string(ZAM_MEDIA_DIR) + name;
            LoadPresets(cut.get(), FileBytes(tune));
            const auto heard = Render(cut.get(), tune, 15), expected = Render(whole, tune, 15);
            double power = 0, worst = 0;
            for (std::size_t i = 0; i < expected.size(); ++i) {
                power += expected[i] * expected[i];
                worst = std::max(worst, std::abs(static_cast<double>(heard[i] - expected[i])));
            }
            EXPECT_GT(power / expected.size(), 1e-4);  // the tune is heard
            EXPECT_EQ(worst, 0);
        }
        delete_fluid_synth(whole);
    }
}

}  // namespace
