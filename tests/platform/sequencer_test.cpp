// The sequencer commands over SDL2_mixer, on the silent test driver: what they
// understand, what they answer, and what they refuse.

#include <chrono>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

#include "platform/midi_bytes.h"
#include "platform/sound/sequencer.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_support;

class SequencerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("zam-sequencer-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        platform::SendString("close Midi", nullptr, 0);
        fs::remove_all(dir);
    }

    // Sends a command with a reply buffer that starts out dirty.
    int Send(const std::string& command) {
        std::memset(reply, 'x', sizeof reply);
        return platform::SendString(command, reply, 512);
    }
    static std::string OpenCommand(const fs::path& file) {
        return "open \"" + file.string() + "\" type sequencer alias Midi";
    }

    fs::path dir;
    const fs::path tune = fs::path(ZAM_MEDIA_DIR) / "endzam.mid";
    char reply[512];
};

TEST_F(SequencerTest, OpensPlaysReportsAndClosesUnderItsAliasInAnyCase) {
    EXPECT_NE(Send("Status Midi mode"), 0) << "nothing open yet";
    EXPECT_STREQ(reply, "");

    ASSERT_EQ(Send(OpenCommand(tune)), 0);
    EXPECT_STREQ(reply, "") << "open gives no reply";
    EXPECT_EQ(Send("Status Midi mode"), 0);
    EXPECT_STREQ(reply, "stopped") << "open, not yet played";
    EXPECT_EQ(Send("play Midi"), 0);
    EXPECT_EQ(Send("STATUS midi MODE"), 0);
    EXPECT_STREQ(reply, "playing");
    EXPECT_NE(Send("status Other mode"), 0);
    EXPECT_NE(Send(OpenCommand(tune)), 0) << "one tune at a time";
    EXPECT_EQ(Send("Status Midi mode"), 0);
    EXPECT_STREQ(reply, "playing") << "a refused open leaves the playing tune alone";

    EXPECT_EQ(Send("Close MIDI"), 0);
    EXPECT_NE(Send("Status Midi mode"), 0) << "closed right away";
    EXPECT_STREQ(reply, "");
    EXPECT_NE(Send("close Midi"), 0) << "closing twice is refused, harmlessly";
    EXPECT_NE(Send("play Midi"), 0);

    // A doubled separator does no harm, and blanks in a quoted path are part of it.
    const fs::path spaced = dir / "a tune.mid";
    fs::copy_file(tune, spaced);
    EXPECT_EQ(Send("OPEN \"" + dir.string() + "//a tune.mid\" TYPE Sequencer ALIAS Midi"), 0);
    EXPECT_EQ(Send("play Midi"), 0);
    EXPECT_EQ(Send("close Midi"), 0);
    // The path runs to the last quote before " type ": quotes, and even " type ", inside it are its own.
    const fs::path quoted = dir / "the \"best\" type of\" folder";
    fs::create_directories(quoted);
    fs::copy_file(tune, quoted / "zam.mid");
    ASSERT_EQ(Send(OpenCommand(quoted / "zam.mid")), 0);
    EXPECT_EQ(Send("play Midi"), 0);
    EXPECT_EQ(Send("Status Midi mode"), 0);
    EXPECT_STREQ(reply, "playing");
    EXPECT_EQ(Send("close Midi"), 0);
}

TEST_F(SequencerTest, AnythingButTheFourCommandsIsAnError) {
    for (const std::string& command :
         {std::string(), std::string("   "), std::string("stop Midi"), std::string("pause Midi"),
          std::string("play"), std::string("play Midi from 0"), std::string("status Midi"),
          std::string("status Midi length"), std::string("close"), OpenCommand(tune) + " wait",
          "open \"" + tune.string() + "\" type waveaudio alias Midi",
          "open \"" + tune.string() + "\" type sequencer",
          "open \"" + tune.string() + "\" alias Midi alias Midi",
          "open \"" + tune.string() + " type sequencer alias Midi"}) {
        EXPECT_NE(Send(command), 0) << command;
        EXPECT_STREQ(reply, "") << command;
    }
    EXPECT_NE(Send("Status Midi mode"), 0) << "no refused open left a tune behind";
}

TEST_F(SequencerTest, RepliesStayInsideTheirBuffer) {
    ASSERT_EQ(Send(OpenCommand(tune)), 0);
    using Result = std::pair<int, std::string>;
    const auto send = [](const char* command, int length) {
        char buffer[8];
        std::memset(buffer, '#', sizeof buffer);
        const int error = platform::SendString(command, buffer, length);
        return Result{error, std::string(buffer, sizeof buffer)};
    };
    const int too_small = 1;
    EXPECT_EQ(send("Status Midi mode", 8), Result(0, std::string("stopped\0", 8)));
    EXPECT_EQ(send("Status Midi mode", 4), Result(too_small, std::string("sto\0####", 8)));
    EXPECT_EQ(send("Status Midi mode", 1), Result(too_small, std::string("\0#######", 8)));
    EXPECT_EQ(send("Status Midi mode", -5), Result(too_small, "########"));
    EXPECT_EQ(platform::SendString("Status Midi mode", nullptr, 0), too_small);
    EXPECT_EQ(send("close Midi", 1), Result(0, std::string("\0#######", 8)));
}

// Plays the file and tells how long its status stayed "playing", up to two seconds.
double SecondsPlaying(const fs::path& file) {
    const std::string open = "open \"" + file.string() + "\" type sequencer alias Midi";
    EXPECT_EQ(platform::SendString(open, nullptr, 0), 0) << "any path opens; the worker reads it";
    EXPECT_EQ(platform::SendString("play Midi", nullptr, 0), 0);
    const auto start = std::chrono::steady_clock::now();
    char reply[16] = "playing";
    while (std::string(reply) == "playing" &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(2)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        platform::SendString("Status Midi mode", reply, sizeof reply);
    }
    platform::SendString("close Midi", nullptr, 0);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(SequencerTest, AFileThatCannotPlayStopsAtOnceAndAChangedFileIsReadAfresh) {
    fs::create_directories(dir / "folder.mid");
    WriteFile(dir / "broken.mid", Bytes(60, 0x4D));
    for (const char* name : {"missing.mid", "folder.mid", "broken.mid"})
        EXPECT_LT(SecondsPlaying(dir / name), 0.5) << name;

    const fs::path changing = dir / "changing.mid";
    WriteFile(changing, ShortTune(8));  // four seconds
    EXPECT_GT(SecondsPlaying(changing), 1.9);
    WriteFile(changing, Bytes(60, 0x4D));
    EXPECT_LT(SecondsPlaying(changing), 0.5) << "not the tune kept from before";
}

}  // namespace
