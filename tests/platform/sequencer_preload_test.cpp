// The synthesizer is made on a thread of its own: an "open" while it is being made, a
// "close" before it is ready, and closing the device under it must neither hang nor lose
// a tune, and files that cannot play must be refused at once.

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/midi_bytes.h"
#include "platform/sound/audio_device.h"
#include "platform/sound/sequencer.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_support;

class SequencerPreloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("zam-preload-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        for (int i = 0; i < 4; ++i) {
            tunes.push_back((dir / ("tune" + std::to_string(i) + ".mid")).string());
            WriteFile(tunes.back(), ShortTune(2 + i));
        }
        WriteFile(dir / "broken.mid", Bytes(60, 0x4D));
    }
    void TearDown() override {
        platform::SendString("close Midi", nullptr, 0);
        // Waits for the loader, so that it never outlives the files.
        platform::audio::Close();
        fs::remove_all(dir);
    }

    static int Send(const std::string& command) { return platform::SendString(command, nullptr, 0); }
    static std::string Status() {
        char reply[64] = {};
        platform::SendString("Status Midi mode", reply, sizeof reply);
        return reply;
    }
    static int Open(const std::string& path) {
        return Send("open \"" + path + "\" type sequencer alias Midi");
    }

    // How long the status of the open tune stays "playing", up to `limit` seconds.
    static double SecondsPlaying(double limit) {
        const auto started = std::chrono::steady_clock::now();
        const auto since = [&] {
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        };
        while (Status() == "playing" && since() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return since();
    }

    // Opens, plays and closes a tune, telling what went wrong if anything did.
    static void PlaysThrough(const std::string& path) {
        ASSERT_EQ(Open(path), 0) << path;
        EXPECT_EQ(Send("play Midi"), 0) << path;
        EXPECT_EQ(Status(), "playing") << path;
        EXPECT_EQ(Send("close Midi"), 0) << path;
    }

    fs::path dir;
    std::vector<std::string> tunes;
};

TEST_F(SequencerPreloadTest, OpensAndClosesWhileTheSynthesizerIsMadeNeverLoseATuneAndRefusalsStayTheSame) {
    platform::PrepareSynthesizer();
    // At once: the synthesizer is most likely still reading its sound font.
    PlaysThrough(tunes[2]);
    PlaysThrough(tunes[0]);
    for (const char* refused : {"broken.mid", "missing.mid"}) {
        ASSERT_EQ(Open((dir / refused).string()), 0);
        ASSERT_EQ(Send("play Midi"), 0);
        EXPECT_LT(SecondsPlaying(1), 0.5) << refused << ", while the synthesizer is made";
        EXPECT_EQ(Send("close Midi"), 0);
    }
    // Opened and closed again and again before any is ready, each tune after another.
    for (int round = 0; round < 3; ++round)
        for (const std::string& tune : tunes)
            PlaysThrough(tune);
    // The last one plays for real once loaded, and reports its own end.
    ASSERT_EQ(Open(tunes[3]), 0);
    ASSERT_EQ(Send("play Midi"), 0);
    const double played = SecondsPlaying(10);
    EXPECT_EQ(Status(), "stopped") << "the tune of two and a half seconds never ended";
    EXPECT_GT(played, 2.0);
}

TEST_F(SequencerPreloadTest, ClosingTheDeviceWhileTheSynthesizerIsMadeEndsItAndEveryTuneOpensAfterwards) {
    platform::PrepareSynthesizer();
    platform::audio::Close();
    for (const std::string& tune : tunes)
        PlaysThrough(tune);
    ASSERT_EQ(Open(tunes[1]), 0);
    ASSERT_EQ(Send("play Midi"), 0);
    platform::audio::Close();
    EXPECT_NE(Status(), "playing") << "the tune outlived the device";
    // A second synthesizer after the close works like the first.
    platform::PrepareSynthesizer();
    for (const std::string& tune : tunes)
        PlaysThrough(tune);
}

TEST_F(SequencerPreloadTest, ATuneChangedOnDiskIsReadAfresh) {
    PlaysThrough(tunes[1]);
    platform::audio::Close();  // once the worker has read the tune
    WriteFile(tunes[1], Bytes(60, 0x4D));
    ASSERT_EQ(Open(tunes[1]), 0);
    ASSERT_EQ(Send("play Midi"), 0);
    EXPECT_LT(SecondsPlaying(2), 0.5) << "not the tune played before";
}

TEST_F(SequencerPreloadTest, ASoundFontThatCannotBeReadLeavesTheMusicSilentAndNothingElse) {
    const char* named = std::getenv("SDL_SOUNDFONTS");
    const std::string kept = named ? named : "";
    WriteFile(dir / "broken.sf2", Bytes(4096, 0x5A));
    platform::audio::Close();
    setenv("SDL_SOUNDFONTS", (dir / "broken.sf2").c_str(), 1);
    ASSERT_EQ(Open(tunes[0]), 0) << "the file itself is fine";
    EXPECT_EQ(Send("play Midi"), 0);
    // Silent once the synthesizer has given up, which takes no time with such a font.
    SecondsPlaying(5);
    EXPECT_EQ(Status(), "stopped");
    EXPECT_EQ(Send("close Midi"), 0);
    EXPECT_NE(Open(tunes[1]), 0) << "refused at once from now on";
    // With the device opened afresh and a good font, the music is back.
    platform::audio::Close();
    if (named)
        setenv("SDL_SOUNDFONTS", kept.c_str(), 1);
    else
        unsetenv("SDL_SOUNDFONTS");
    PlaysThrough(tunes[2]);
}

}  // namespace
