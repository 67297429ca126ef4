// Listening to the music and the effects as the game plays them, on SDL's disk driver.

#include <SDL.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

#include "globals/globals.h"
#include "platform/midi_bytes.h"
#include "platform/sound/waveplayer.h"
#include "sound/listening/disk_audio.h"
#include "sound/tx_midi.h"
#include "sound/tx_wav.h"

namespace {

namespace fs = std::filesystem;
using testing_support::DiskAudio;
using Clock = std::chrono::steady_clock;

// Plenty above the silence of the disk driver, which renders exact zeros.
constexpr double AudibleDb = -35;
constexpr double SilentDb = -90;

void Wait(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}
double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class Listening : public ::testing::Test {
protected:
    void SetUp() override {
        home = fs::current_path();
        dir = fs::temp_directory_path() / ("zam-listening-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        fs::current_path(ZAM_MEDIA_DIR);
        globals::MusicOff = platform::False;
    }
    void TearDown() override {
        sound::StopMidi();
        platform::PlaySound(nullptr);
        fs::current_path(home);
        fs::remove_all(dir);
    }

    fs::path home;
    fs::path dir;
};

TEST_F(Listening, EveryTuneRendersMusic) {
    for (const char* tune : {"zam.mid", "zaming.mid", "endzam.mid"}) {
        const auto mark = DiskAudio::Frames();
        sound::PlayMidi(tune);
        EXPECT_EQ(sound::MidiIsPlaying(), platform::True) << tune;
        const auto samples = DiskAudio::Read(mark, DiskAudio::FramesOf(1.5));
        sound::StopMidi();
        const double rms = DiskAudio::RmsDb(samples);
        std::printf("%-12s first 1.5 s: RMS %6.1f dBFS, peak %6.1f dBFS\n", tune, rms,
                    DiskAudio::PeakDb(samples));
        EXPECT_GT(rms, AudibleDb) << tune;
    }
}

TEST_F(Listening, EveryEffectRendersAndTheQuietOneStaysQuiet) {
    const struct {
        const char* file;
        double seconds;
    } effects[] = {{"zam1.wav", 0.22}, {"zam3.wav", 0.26},   {"zam4.wav", 0.38},
                   {"zam2.wav", 0.95}, {"TXDEMO.WAV", 1.70}, {"Dummy.wav", 0.03}};
    globals::MusicOff = platform::True;  // effects do not care
    for (auto [file, seconds] : effects) {
        const auto mark = DiskAudio::Frames();
        sound::PlayWav(file);
        // A buffer of slack on either side of the sound.
        const auto samples = DiskAudio::Read(mark, DiskAudio::FramesOf(seconds + 0.05));
        const double rms = DiskAudio::RmsDb(samples);
        const double peak = DiskAudio::PeakDb(samples);
        std::printf("%-12s RMS %6.1f dBFS, peak %6.1f dBFS\n", file, rms, peak);
        if (std::string(file) == "Dummy.wav") {
            EXPECT_LT(peak, -40) << "a click meant to be all but inaudible";
            EXPECT_GT(peak, -70) << "yet there";
        } else {
            EXPECT_GT(rms, AudibleDb) << file;
            EXPECT_GT(peak, -8) << file;
        }
    }
    globals::MusicOff = platform::False;
}

TEST_F(Listening, ASecondEffectCutsOffTheFirstAndPlaysFromItsStart) {
    // The premise: the demo's sound is loud all through the window looked at below.
    SDL_AudioSpec spec;
    Uint8* wave = nullptr;
    Uint32 length = 0;
    ASSERT_TRUE(SDL_LoadWAV("TXDEMO.WAV", &spec, &wave, &length));
    std::vector<std::int16_t> original(reinterpret_cast<std::int16_t*>(wave),
                                       reinterpret_cast<std::int16_t*>(wave) + length / 2);
    SDL_FreeWAV(wave);
    const auto at = [&](double s) { return original.begin() + static_cast<std::ptrdiff_t>(s * spec.freq); };
    ASSERT_GT(DiskAudio::RmsDb({at(0.5), at(1.4)}), AudibleDb);

    sound::PlayWav("TXDEMO.WAV");
    Wait(0.15);
    const auto mark = DiskAudio::Frames();
    sound::PlayWav("zam1.wav");
    const auto samples = DiskAudio::Read(mark, DiskAudio::FramesOf(1.25));
    const auto window = [&](double from, double to) {
        return std::vector<std::int16_t>(samples.begin() + 2 * DiskAudio::FramesOf(from),
                                         samples.begin() + 2 * DiskAudio::FramesOf(to));
    };
    EXPECT_GT(DiskAudio::RmsDb(window(0, 0.2)), AudibleDb) << "the move sounds";
    // zam1.wav lasts 0.22 s; after it, and a buffer or two of latency, nothing is left of the demo's sound.
    EXPECT_LT(DiskAudio::RmsDb(window(0.35, 1.25)), SilentDb);
}

TEST_F(Listening, TheStatusTurnsStoppedAtTheTunesEndAndTheKeeperStartsItAgain) {
    testing_support::WriteFile(dir / "short.mid", testing_support::ShortTune(2));  // one second
    fs::current_path(dir);
    globals::MidiFile = "short.mid";

    const auto mark = DiskAudio::Frames();
    const auto start = Clock::now();
    sound::PlayMidi("short.mid");
    while (sound::MidiIsPlaying() && SecondsSince(start) < 8)
        Wait(0.005);
    const double stopped = SecondsSince(start);
    std::printf("a 1.000 s tune reports stopped after %.3f s\n", stopped);
    // The disk driver runs a little slower than a sound card; FluidSynth's own end comes seconds later.
    EXPECT_GT(stopped, 0.95);
    EXPECT_LT(stopped, 1.6);
    EXPECT_GT(DiskAudio::RmsDb(DiskAudio::Read(mark, DiskAudio::FramesOf(0.9))), AudibleDb);

    const auto again = DiskAudio::Frames();
    sound::KeepMidiPlaying();
    EXPECT_EQ(sound::MidiIsPlaying(), platform::True);
    EXPECT_GT(DiskAudio::RmsDb(DiskAudio::Read(again, DiskAudio::FramesOf(0.5))), AudibleDb);
    globals::MidiFile.clear();
}

TEST_F(Listening, FilesThatCannotPlayGiveSilenceAtOnce) {
    using testing_support::Bytes;
    Bytes garbage(5000);
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
    const Bytes tune = testing_support::ReadFile("zam.mid");
    const Bytes effect = testing_support::ReadFile("zam2.wav");
    for (const char* extension : {".mid", ".wav"}) {
        const Bytes& whole = std::string(extension) == ".mid" ? tune : effect;
        testing_support::WriteFile(dir / ("empty" + std::string(extension)), {});
        testing_support::WriteFile(dir / ("garbage" + std::string(extension)), garbage);
        // Half a tune; a wave's header cut off in the middle.
        testing_support::WriteFile(
            dir / ("cut" + std::string(extension)),
            Bytes(whole.begin(), whole.begin() + (whole == tune ? whole.size() / 2 : 30)));
    }

    for (const std::string kind : {"missing", "empty", "garbage", "cut"}) {
        // Something loud to be cut off first.
        sound::PlayMidi("zam.mid");
        sound::PlayWav("TXDEMO.WAV");
        fs::current_path(dir);
        const auto start = Clock::now();
        const auto mark = DiskAudio::Frames();
        sound::PlayMidi(kind + ".mid");
        sound::PlayWav(kind + ".wav");
        // Bounds with room for a busy machine: the benchmarks measure the real times.
        EXPECT_LT(SecondsSince(start), 0.25) << kind;
        // Half a tune passes the look at its header and is refused once it has been read.
        while (sound::MidiIsPlaying() && SecondsSince(start) < 1)
            Wait(0.005);
        EXPECT_LT(SecondsSince(start), 0.5) << kind;
        fs::current_path(ZAM_MEDIA_DIR);
        EXPECT_LT(
            DiskAudio::RmsDb(DiskAudio::Read(mark + DiskAudio::FramesOf(0.1), DiskAudio::FramesOf(0.3))),
            SilentDb)
            << kind;
    }
}

}  // namespace
