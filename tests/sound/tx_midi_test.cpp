// The music player's conversation with the sequencer, call by call, as each moment of the game makes it.

#include <filesystem>
#include <gtest/gtest.h>

#include "fixtures.h"
#include "globals/globals.h"
#include "sound/tx_midi.h"

namespace {

using Commands = std::vector<std::string>;

std::string Open(const std::string& file) {
    return "open \"" + std::filesystem::current_path().string() + "/" + file + "\" type sequencer alias Midi";
}

class TxMidiTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        globals::MusicOff = platform::False;
        globals::MidiFile.clear();
    }

    // The commands one moment of the game sends, with their reply buffer sizes.
    Commands Sent(const std::function<void()>& moment) {
        sounds.commands.clear();
        sounds.reply_lengths.clear();
        moment();
        for (std::size_t i = 0; i < sounds.commands.size(); ++i)
            EXPECT_EQ(sounds.reply_lengths[i], sounds.commands[i] == "close Midi" ? 1 : 512)
                << sounds.commands[i];
        return sounds.commands;
    }

    // The title screen's music toggle.
    static void Toggle() {
        globals::MusicOff = static_cast<platform::Boolean>(~globals::MusicOff);
        sound::StopMidi();
        if (globals::MusicOff == 0)
            sound::PlayMidi("zam.mid");
    }

    testing_support::RecordedSounds sounds;
};

TEST_F(TxMidiTest, EachMomentOfTheGameSendsItsCommandsInOrder) {
    // The title screen loads.
    EXPECT_EQ(Sent([] { sound::PlayMidi("zam.mid"); }),
              (Commands{"close Midi", Open("zam.mid"), "play Midi"}));

    // The music toggle, off and on again: on restarts the title tune from its beginning.
    EXPECT_EQ(Sent(Toggle), (Commands{"close Midi"}));
    EXPECT_EQ(Sent(Toggle), (Commands{"close Midi", "close Midi", Open("zam.mid"), "play Midi"}));

    // A game is set up: the title music stops.
    {
        testing_support::ScriptedRandom random([](std::size_t) { return 0.5; });
        testing_support::SetUpOnlyForm1 form;
        EXPECT_EQ(Sent([&] { form.Show(); }), (Commands{"close Midi"}));
        form.Unload();
    }

    // The music keeper's ticks: a stopped tune starts again, a playing one is left alone.
    globals::MidiFile = "zaming.mid";
    sounds.playing = false;
    EXPECT_EQ(Sent(sound::KeepMidiPlaying),
              (Commands{"Status Midi mode", "close Midi", Open("zaming.mid"), "play Midi"}));
    sounds.playing = true;
    EXPECT_EQ(Sent(sound::KeepMidiPlaying), (Commands{"Status Midi mode"}));

    // The game ends: the game tune stops, then the fanfare plays once.
    EXPECT_EQ(Sent(sound::StopMidi), (Commands{"close Midi"}));
    EXPECT_EQ(Sent([] { sound::PlayMidi("endzam.mid"); }),
              (Commands{"close Midi", Open("endzam.mid"), "play Midi"}));
}

TEST_F(TxMidiTest, MusicOffStartsNothingAndLeavesPlayingMusicAloneButStopStillCloses) {
    sound::PlayMidi("zam.mid");
    globals::MidiFile = "zaming.mid";
    sounds.playing = false;
    globals::MusicOff = platform::True;
    EXPECT_EQ(Sent([] { sound::PlayMidi("endzam.mid"); }), Commands{});
    EXPECT_EQ(Sent(sound::KeepMidiPlaying), Commands{});
    globals::MusicOff = 1;  // any bit set counts as off
    EXPECT_EQ(Sent([] { sound::PlayMidi("endzam.mid"); }), Commands{});
    EXPECT_EQ(Sent(sound::StopMidi), (Commands{"close Midi"}));
}

TEST(TxMidiOnTheSequencer, MidiIsPlayingRightAfterStopMidiIsFalse) {
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path(ZAM_MEDIA_DIR);
    sound::PlayMidi("endzam.mid");
    EXPECT_EQ(sound::MidiIsPlaying(), platform::True);
    sound::StopMidi();
    EXPECT_EQ(sound::MidiIsPlaying(), platform::False);
    std::filesystem::current_path(here);
}

TEST_F(TxMidiTest, PlayingMeansAReplyBeginningWithP) {
    std::string reply;
    platform::Replace<std::function<int(const std::string&, char*, int)>> device(
        platform::Sequencer().send_string, [&](const std::string&, char* buffer, int) {
            std::copy(reply.begin(), reply.end(), buffer);
            return 0;
        });
    for (std::string answer : {"playing", "Paused", "p"})
        EXPECT_EQ((reply = answer, sound::MidiIsPlaying()), platform::True) << answer;
    for (std::string answer : {"stopped", "", " playing"})
        EXPECT_EQ((reply = answer, sound::MidiIsPlaying()), platform::False) << '"' << answer << '"';
}

TEST_F(TxMidiTest, InTheRootDirectoryThePathHoldsTwoSeparators) {
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path("/");
    sound::PlayMidi("zam.mid");
    std::filesystem::current_path(here);
    ASSERT_EQ(sounds.commands.size(), 3u);
    EXPECT_EQ(sounds.commands[1], "open \"//zam.mid\" type sequencer alias Midi");
}

}  // namespace
