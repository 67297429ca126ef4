// The sound fonts cut down to the presets the tunes choose: the presets found in a tune's bytes, the cut
// font's content, and the sound of a tune played from it.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <unistd.h>
#include <vector>

#include "platform/midi_bytes.h"
#include "platform/sound/sf2_subset.h"
#include "platform/sound/sound_font.h"
#include "platform/sound/synthesizer.h"

namespace {

using namespace platform::audio;
using testing_support::Bytes;
using testing_support::ReadFile;
using testing_support::WriteFile;

constexpr const char* TimGM6mb = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr const char* FluidR3 = "/usr/share/sounds/sf2/FluidR3_GM.sf2";

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
    EXPECT_EQ(TunePresets(ReadFile(ZAM_MEDIA_DIR "/zam.mid")), Of({{0, 80}, {0, 4}, {0, 38}}));
    EXPECT_EQ(TunePresets(ReadFile(ZAM_MEDIA_DIR "/zaming.mid")), Of({{0, 11}, {0, 48}, {0, 33}}));
    EXPECT_EQ(TunePresets(ReadFile(ZAM_MEDIA_DIR "/endzam.mid")), Of({{0, 56}, {0, 61}, {0, 58}}));
}

TEST(SoundFont, TruncatedAndGarbledTunesAreReadWithinTheirBytes) {
    const Bytes tune = ReadFile(ZAM_MEDIA_DIR "/zam.mid");
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
        // Stopped, as at the program's end, it reads no font.
        EXPECT_EQ(stack.Load(cut.get(), Of({{0, 1}}), [] { return true; }), 0);
        EXPECT_EQ(PresetsIn(cut.get()), Among(all, wanted));
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
            LoadPresets(cut.get(), ReadFile(tune));
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

ReadAt Reader(const Bytes& bytes) {
    return [&bytes](std::uint64_t at, std::span<std::uint8_t> out) {
        if (at > bytes.size() || out.size() > bytes.size() - at)
            return false;
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), out.size(), out.begin());
        return true;
    };
}

void PutLittle(Bytes& bytes, std::size_t at, std::size_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> 8 * i);
}

// The font's INFO list, the first 64 kB of its samples and the preset data given: small enough to write
// many times.
Bytes SmallFont(const Bytes& font, const Bytes& pdta) {
    const std::size_t info = 8 + (font[16] | font[17] << 8 | font[18] << 16), samples = 65536;
    Bytes small(font.begin(), font.begin() + 12 + static_cast<std::ptrdiff_t>(info));
    for (const char* tag : {"LIST", "....", "sdta", "smpl", "...."})
        small.insert(small.end(), tag, tag + 4);
    PutLittle(small, small.size() - 16, 12 + samples);
    PutLittle(small, small.size() - 4, samples);
    const auto from = font.begin() + 12 + static_cast<std::ptrdiff_t>(info) + 20;
    small.insert(small.end(), from, from + samples);
    small.insert(small.end(), pdta.begin(), pdta.end());
    PutLittle(small, 4, small.size() - 8);
    return small;
}

// A directory of its own for the fonts a test writes.
struct FontDir {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("zam_font_test_" + std::to_string(getpid()));
    FontDir() { std::filesystem::create_directories(path); }
    ~FontDir() { std::filesystem::remove_all(path); }
};

TEST(SoundFont, AFontLaidOutOtherwiseIsReadWhole) {
    if (!std::filesystem::exists(TimGM6mb))
        GTEST_SKIP() << "timgm6mb-soundfont is not installed";
    const Bytes font = ReadFile(TimGM6mb);
    const auto layout = FindLayout(Reader(font), font.size());
    ASSERT_TRUE(layout);
    // Cut short anywhere in its list headers, or with a chunk after the preset data: no layout to cut.
    for (std::size_t length : {std::size_t{0}, std::size_t{11}, std::size_t{23},
                               std::size_t{layout->pdta_at + 11}, font.size() - 1}) {
        const Bytes cut(font.begin(), font.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_FALSE(FindLayout(Reader(cut), cut.size())) << length;
    }
    Bytes longer = font;
    for (const char* tag : {"JUNK", "\4\0\0\0", "junk"})
        longer.insert(longer.end(), tag, tag + 4);
    PutLittle(longer, 4, longer.size() - 8);
    EXPECT_FALSE(FindLayout(Reader(longer), longer.size()));
    FontDir dir;
    WriteFile(dir.path / "longer.sf2", longer);
    FontStack stack({(dir.path / "longer.sf2").string()});
    Synthesizer synth = NewSynthesizer();
    EXPECT_EQ(stack.Load(synth.get(), StartingPresets()), 1);
    EXPECT_EQ(PresetsIn(synth.get()).size(), 136u);  // every preset of TimGM6mb
    synth.reset();
}

TEST(SoundFont, ABrokenFontIsNeverReadOutsideItsBytes) {
    if (!std::filesystem::exists(TimGM6mb))
        GTEST_SKIP() << "timgm6mb-soundfont is not installed";
    const Bytes font = ReadFile(TimGM6mb);
    const auto layout = FindLayout(Reader(font), font.size());
    ASSERT_TRUE(layout);
    // Garbled preset data is cut within its bytes or refused, and FluidSynth takes or refuses the cut, and
    // plays what it took.
    const Bytes pdta(font.begin() + static_cast<std::ptrdiff_t>(layout->pdta_at), font.end());
    FontDir dir;
    std::mt19937 random(11);
    for (int round = 0; round < 150; ++round) {
        Bytes garbled = pdta;
        for (int flips = 0; flips < 1 + round % 8; ++flips)
            garbled[random() % garbled.size()] = static_cast<std::uint8_t>(random());
        if (round % 3 == 0) {
            garbled.resize(random() % garbled.size());
            if (garbled.size() >= 8)
                PutLittle(garbled, 4, garbled.size() - 8);
        }
        const auto subset = SubsetPdta(garbled, Presets().set());
        // A font that cannot be cut is FluidSynth's to read whole, which leaks what it read of some it
        // refuses.
        if (!subset)
            continue;
        EXPECT_LE(subset->pdta.size(), pdta.size());
        WriteFile(dir.path / "garbled.sf2", SmallFont(font, garbled));
        FontStack stack({(dir.path / "garbled.sf2").string()});
        Synthesizer synth = NewSynthesizer();
        stack.Load(synth.get(), Presets().set());
        for (int channel = 0; channel < 16; ++channel) {
            fluid_synth_program_change(synth.get(), channel, channel * 8);
            fluid_synth_noteon(synth.get(), channel, 60, 100);
        }
        std::vector<float> samples(2 * 4096);
        fluid_synth_write_float(synth.get(), 4096, samples.data(), 0, 2, samples.data(), 1, 2);
    }
}

}  // namespace
