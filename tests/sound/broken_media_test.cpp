// Broken media: every tune and effect missing, empty, cut short or random bytes,
// and the whole media folder missing. The demo, the title and whole games play on
// with the real sound calls (on the silent driver): no crash, no stall, silence
// where a file is bad and sound where it is good.

#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "game/fuzz_play.h"
#include "globals/globals.h"
#include "platform/keys.h"
#include "platform/midi_bytes.h"
#include "platform/sound/audio_device.h"
#include "platform/sound/sequencer.h"
#include "platform/sound/waveplayer.h"
#include "screens/demoform.h"
#include "screens/form2.h"
#include "seam.h"
#include "sound/tx_midi.h"
#include "sound/tx_wav.h"

namespace {

namespace fs = std::filesystem;
using testing_support::Bytes;
using Clock = std::chrono::steady_clock;

const std::vector<std::string> Tunes{"zam.mid", "zaming.mid", "endzam.mid"};
const std::vector<std::string> Effects{"zam1.wav", "zam2.wav",   "zam3.wav",
                                       "zam4.wav", "TXDEMO.WAV", "Dummy.wav"};

enum class Breakage { Missing, Empty, CutInHalf, CutInHeader, RandomBytes, HeaderThenRandomBytes };

std::string Name(Breakage b) {
    switch (b) {
    case Breakage::Missing:
        return "missing";
    case Breakage::Empty:
        return "empty";
    case Breakage::CutInHalf:
        return "cut in half";
    case Breakage::CutInHeader:
        return "cut in its header";
    case Breakage::RandomBytes:
        return "random bytes";
    case Breakage::HeaderThenRandomBytes:
        return "a true header, then random bytes";
    }
    return "?";
}

Bytes Random(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(rng());
    return bytes;
}

// Writes the media file `name` into `folder`, whole or broken.
void Put(const fs::path& folder, const std::string& name, std::optional<Breakage> breakage) {
    const Bytes whole = testing_support::ReadFile(fs::path(ZAM_MEDIA_DIR) / name);
    if (!breakage) {
        testing_support::WriteFile(folder / name, whole);
        return;
    }
    const bool tune = name.ends_with(".mid");
    // A tune's header chunk is 14 bytes and its first track's header 8 more; a wave's RIFF and fmt
    // headers 36.
    const std::size_t header = tune ? 22 : 36;
    switch (*breakage) {
    case Breakage::Missing:
        return;
    case Breakage::Empty:
        testing_support::WriteFile(folder / name, {});
        return;
    case Breakage::CutInHalf:
        testing_support::WriteFile(folder / name, Bytes(whole.begin(), whole.begin() + whole.size() / 2));
        return;
    case Breakage::CutInHeader:
        testing_support::WriteFile(folder / name, Bytes(whole.begin(), whole.begin() + header / 2));
        return;
    case Breakage::RandomBytes:
        testing_support::WriteFile(folder / name, Random(whole.size(), static_cast<unsigned>(whole.size())));
        return;
    case Breakage::HeaderThenRandomBytes: {
        Bytes bytes(whole.begin(), whole.begin() + header);
        Bytes rest = Random(whole.size() - header, static_cast<unsigned>(header));
        bytes.insert(bytes.end(), rest.begin(), rest.end());
        testing_support::WriteFile(folder / name, bytes);
        return;
    }
    }
}

// Times every effect and sequencer command, and passes them on to the real ones.
class TimedSounds {
public:
    double longest_ms = 0;
    std::string longest;
    int calls = 0;

private:
    void Took(const std::string& what, Clock::time_point start) {
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        ++calls;
        if (ms > longest_ms)
            longest_ms = ms, longest = what;
    }

    std::function<void(const char*)> real_effects_ = platform::WavePlayer().play_sound;
    std::function<int(const std::string&, char*, int)> real_sequencer_ = platform::Sequencer().send_string;
    platform::Replace<std::function<void(const char*)>> effects_{platform::WavePlayer().play_sound,
                                                                 [this](const char* file) {
                                                                     const auto start = Clock::now();
                                                                     real_effects_(file);
                                                                     Took(file ? file : "(none)", start);
                                                                 }};
    platform::Replace<std::function<int(const std::string&, char*, int)>> sequencer_{
        platform::Sequencer().send_string, [this](const std::string& command, char* reply, int length) {
            const auto start = Clock::now();
            const int error = real_sequencer_(command, reply, length);
            Took(command, start);
            return error;
        }};
};

class BrokenMediaTest : public ::testing::Test {
protected:
    void SetUp() override {
        home = fs::current_path();
        folder = fs::temp_directory_path() / ("zam-broken-media-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        globals::MusicOff = platform::False;
    }
    void TearDown() override {
        sound::StopMidi();
        platform::PlaySound(nullptr);
        fs::current_path(home);
        fs::remove_all(folder);
        globals::MidiFile.clear();
    }

    // The demo with its sound and the key that silences it, the title with its tune
    // switched off and on, and one whole fuzzed game with its tunes and effects.
    void PlayEverything(const std::string& what) {
        TimedSounds timed;
        {
            screens::Demoform demo;
            demo.Show();
            for (int tick = 0; tick < 24; ++tick) {
                demo.Timer1_Timer();
                if (tick == 5)
                    demo.Form_KeyDown(platform::KeyShift, platform::ShiftMask);
            }
            EXPECT_FALSE(demo.Visible()) << what << ": the demo runs to its end";
            demo.Unload();
        }
        {
            screens::Form2 title;
            title.Show();
            title.Image1_Click();
            title.Image1_Click();
            title.Unload();
        }
        game::Form1 form;
        testing_support::FuzzedPlay fuzz(11, form);
        globals::MidiFile = "zaming.mid";
        sound::KeepMidiPlaying();
        fuzz.PlayGame();
        platform::ProcessPendingEvents();
        for (const auto& fault : fuzz.faults())
            ADD_FAILURE() << what << ": " << fault;
        EXPECT_EQ(fuzz.figures().player_wins + fuzz.figures().computer_wins, 1)
            << what << ": the game was played out";
        EXPECT_GT(timed.calls, 100) << what;
        // Loading a tune takes up to a tenth of a second; a stall would take seconds.
        EXPECT_LT(timed.longest_ms, 500) << what << ": " << timed.longest;
    }

    // Whether the wave player refused the file: it names it on stderr (once a run, so each
    // case uses a path of its own) when the worker, done with it before Close, has read it.
    static bool Refused(const fs::path& file) {
        testing::internal::CaptureStderr();
        platform::PlaySound(file.c_str());
        platform::audio::Close();
        return testing::internal::GetCapturedStderr().find("no sound from " + file.string() + ":") !=
               std::string::npos;
    }

    // Whether the tune's status turned "stopped" within half a second: it was read and refused.
    static bool StoppedSoon(const std::string& tune) {
        sound::PlayMidi(tune);
        const auto start = Clock::now();
        while (sound::MidiIsPlaying() && Clock::now() - start < std::chrono::milliseconds(500))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return !sound::MidiIsPlaying();
    }

    fs::path home;
    fs::path folder;
};

TEST_F(BrokenMediaTest, EveryFileBrokenTheSameWayStillPlaysWholeGamesSilently) {
    for (Breakage breakage : {Breakage::Missing, Breakage::Empty, Breakage::CutInHalf, Breakage::CutInHeader,
                              Breakage::RandomBytes, Breakage::HeaderThenRandomBytes}) {
        const fs::path here = folder / Name(breakage);
        fs::create_directories(here);
        for (const auto& name : Tunes)
            Put(here, name, breakage);
        for (const auto& name : Effects)
            Put(here, name, breakage);
        fs::current_path(here);
        PlayEverything("every file " + Name(breakage));
        if (breakage != Breakage::HeaderThenRandomBytes && breakage != Breakage::CutInHalf) {
            // Nothing in these files can be taken for sound.
            for (const auto& name : Effects)
                EXPECT_TRUE(Refused(here / name)) << name << " " << Name(breakage);
            for (const auto& name : Tunes)
                EXPECT_TRUE(StoppedSoon(name)) << name << " " << Name(breakage);
        }
        fs::current_path(home);
    }
}

TEST_F(BrokenMediaTest, NoMediaFolderAtAllStillPlaysWholeGames) {
    fs::current_path(folder);
    fs::remove_all(folder);  // the current directory itself is gone
    PlayEverything("no media folder");
}

TEST_F(BrokenMediaTest, EachBrokenFileIsSilentAtOnceWhileTheGoodOnesStillSound) {
    for (const auto& broken : [] {
             auto all = Tunes;
             all.insert(all.end(), Effects.begin(), Effects.end());
             return all;
         }()) {
        const bool tune = broken.ends_with(".mid");
        // A good file of the same kind, to hear that the rest still plays.
        const std::string good = tune ? (broken == "zam.mid" ? "endzam.mid" : "zam.mid")
                                      : (broken == "zam2.wav" ? "zam3.wav" : "zam2.wav");
        for (Breakage breakage :
             {Breakage::Missing, Breakage::Empty, Breakage::CutInHeader, Breakage::RandomBytes}) {
            const std::string what = broken + " " + Name(breakage);
            const fs::path here = folder / (broken + " " + Name(breakage));
            fs::create_directories(here);
            for (const auto& name : Tunes)
                Put(here, name, name == broken ? std::optional(breakage) : std::nullopt);
            for (const auto& name : Effects)
                Put(here, name, name == broken ? std::optional(breakage) : std::nullopt);
            fs::current_path(here);
            const auto start = Clock::now();
            if (tune) {
                EXPECT_TRUE(StoppedSoon(broken)) << what;
                sound::PlayMidi(good);
                EXPECT_EQ(sound::MidiIsPlaying(), platform::True) << what << ": " << good << " still plays";
                sound::StopMidi();
            } else {
                EXPECT_FALSE(Refused(here / good)) << what << ": " << good;
                EXPECT_TRUE(Refused(here / broken)) << what;
                platform::PlaySound(nullptr);
            }
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            EXPECT_LT(ms, 500) << what;
            fs::current_path(home);
        }
    }
}

}  // namespace
