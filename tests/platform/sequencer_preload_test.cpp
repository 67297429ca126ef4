// Tunes loaded ahead on a thread of their own: an "open" while the loader is at work,
// and closing the device under it, must neither hang nor lose a tune, and files that
// cannot play must be refused exactly as without the loader.

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/audio_device.h"
#include "platform/midi_bytes.h"
#include "platform/sequencer.h"

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
    static int Open(const std::string& path) { return Send("open \"" + path + "\" type sequencer alias Midi"); }

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

TEST_F(SequencerPreloadTest, AnOpenWhileTheLoaderIsAtWorkGetsItsTuneAndRefusalsStayTheSame) {
    std::vector<std::string> ahead = tunes;
    ahead.push_back((dir / "broken.mid").string());
    ahead.push_back((dir / "missing.mid").string());
    platform::PreloadTunes(ahead);
    // At once: the loader is most likely still busy with the first tunes.
    PlaysThrough(tunes[2]);
    PlaysThrough(tunes[0]);
    EXPECT_EQ(Open((dir / "broken.mid").string()), platform::SequencerUnreadableFile);
    EXPECT_EQ(Open((dir / "missing.mid").string()), platform::SequencerFileNotFound);
    EXPECT_NE(Status(), "playing");
    for (const std::string& tune : tunes)
        PlaysThrough(tune);
}

TEST_F(SequencerPreloadTest, ClosingTheDeviceUnderTheLoaderEndsItAndEveryTuneOpensAfterwards) {
    platform::PreloadTunes(tunes);
    platform::audio::Close();
    for (const std::string& tune : tunes)
        PlaysThrough(tune);
    // A second loading after the close works like the first.
    platform::PreloadTunes(tunes);
    for (const std::string& tune : tunes)
        PlaysThrough(tune);
}

TEST_F(SequencerPreloadTest, ATuneChangedOnDiskAfterItWasLoadedAheadIsReadAfresh) {
    platform::PreloadTunes({tunes[1]});
    PlaysThrough(tunes[1]);
    WriteFile(tunes[1], Bytes(60, 0x4D));
    EXPECT_EQ(Open(tunes[1]), platform::SequencerUnreadableFile) << "not the tune loaded ahead";
}

}  // namespace
