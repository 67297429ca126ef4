// The synthesizer is made on a thread of its own: an "open" while it is being made, a
// "close" before it is ready, and closing the device under it must neither hang nor lose
// a tune, and files that cannot play must be refused at once.

#include <SDL_mixer.h>
#include <chrono>
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
    EXPECT_EQ(Open((dir / "broken.mid").string()), platform::SequencerUnreadableFile);
    EXPECT_EQ(Open((dir / "missing.mid").string()), platform::SequencerFileNotFound);
    EXPECT_NE(Status(), "playing");
    // Opened and closed again and again before any is ready, each tune after another.
    for (int round = 0; round < 3; ++round)
        for (const std::string& tune : tunes)
            PlaysThrough(tune);
    // The last one plays for real once loaded, and reports its own end.
    ASSERT_EQ(Open(tunes[3]), 0);
    ASSERT_EQ(Send("play Midi"), 0);
    const auto started = std::chrono::steady_clock::now();
    while (Status() == "playing" && std::chrono::steady_clock::now() - started < std::chrono::seconds(10))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(Status(), "stopped") << "the tune of two and a half seconds never ended";
    EXPECT_GT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2000));
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
    WriteFile(tunes[1], Bytes(60, 0x4D));
    EXPECT_EQ(Open(tunes[1]), platform::SequencerUnreadableFile) << "not the tune played before";
}

TEST_F(SequencerPreloadTest, ASoundFontThatCannotBeReadLeavesTheMusicSilentAndNothingElse) {
    const std::string kept = Mix_GetSoundFonts() ? Mix_GetSoundFonts() : "";
    WriteFile(dir / "broken.sf2", Bytes(4096, 0x5A));
    platform::audio::Close();
    Mix_SetSoundFonts((dir / "broken.sf2").string().c_str());
    ASSERT_EQ(Open(tunes[0]), 0) << "the file itself is fine";
    EXPECT_EQ(Send("play Midi"), 0);
    // Silent once the synthesizer has given up, which takes no time with such a font.
    const auto started = std::chrono::steady_clock::now();
    while (Status() == "playing" && std::chrono::steady_clock::now() - started < std::chrono::seconds(5))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(Status(), "stopped");
    EXPECT_EQ(Send("close Midi"), 0);
    EXPECT_EQ(Open(tunes[1]), platform::SequencerNoDevice) << "refused at once from now on";
    // With the device opened afresh and a good font, the music is back.
    platform::audio::Close();
    Mix_SetSoundFonts(kept.empty() ? nullptr : kept.c_str());
    PlaysThrough(tunes[2]);
}

}  // namespace
