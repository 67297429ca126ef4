// Main's sequence of screens: the demo once, then title and game by turns, with the
// difficulty and the music switch carried between them.

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "screens_harness.h"

namespace {

using Script = screens_testing::ScreensHarness;
using Log = std::vector<std::string>;

class ScreenSequenceTest : public ::testing::Test {
protected:
    screens_testing::FreshGlobals globals;
    Script run;
};

TEST_F(ScreenSequenceTest, DemoOnceThenTitleAndGameByTurnsWithTheChoiceMadeAfreshEachTime) {
    run.OnTitle({Script::Start, Script::Hard, Script::Start, Script::Start});
    screens::RunScreens(run.demo, run.title, run.game, 3);

    EXPECT_EQ(run.log,
              (Log{"demo", "title (Easy)", "game 10", "title (Easy)", "game 30", "title (Easy)", "game 10"}));
    EXPECT_EQ(run.demo.DemoTick, 24) << "the whole animation, once";
    EXPECT_FALSE(run.demo.Loaded() || run.title.Loaded() || run.game.Loaded());
    EXPECT_EQ(run.ends, 0) << "the program's own unloading of the windows does not end it";
    EXPECT_EQ(run.random.seeds(), 3) << "each game seeds the random numbers afresh";
    // Each title starts its tune; Start leaves it playing until the game's set-up closes it;
    // the music keeper's first tick plays the game tune and the end of the game its fanfare.
    EXPECT_EQ(run.sounds.tunes, (Log{"zam.mid", "zaming.mid", "endzam.mid", "zam.mid", "zaming.mid",
                                     "endzam.mid", "zam.mid", "zaming.mid", "endzam.mid"}));
    ASSERT_GE(run.sounds.commands.size(), 4u);
    EXPECT_EQ(run.sounds.commands[3], "close Midi");
}

TEST_F(ScreenSequenceTest, MusicIconRestartsTheTitleTuneAndSilenceLastsThroughGameAndTitle) {
    run.OnTitle({Script::Music, Script::Music, Script::Start, Script::Music, Script::Start, Script::Start});
    auto& commands = run.sounds.commands;
    screens::ShowDemo(run.demo);

    screens::ShowTitleThenGame(run.title, run.game);
    ASSERT_GE(commands.size(), 9u);
    const std::string open = commands[1];
    EXPECT_NE(open.find("/zam.mid\" type sequencer alias Midi"), std::string::npos) << open;
    // The load, off, on (stopped and started from its beginning), the game's set-up.
    Log first{"close Midi", open, "play Midi", "close Midi", "close Midi",
              "close Midi", open, "play Midi", "close Midi"};
    EXPECT_EQ(Log(commands.begin(), commands.begin() + 9), first);
    EXPECT_EQ(globals::MusicOff, platform::False);

    commands.clear();
    screens::ShowTitleThenGame(run.title, run.game);
    screens::ShowTitleThenGame(run.title, run.game);
    EXPECT_EQ(globals::MusicOff, platform::True);
    // The title tune until the click; then only each game's set-up and its end close the
    // device: neither the music keeper, nor the fanfare, nor the third title starts anything.
    EXPECT_EQ(commands, (Log{"close Midi", open, "play Midi", "close Midi", "close Midi", "close Midi",
                             "close Midi", "close Midi"}));
}

TEST_F(ScreenSequenceTest, TitleCloseBoxEndsTheProgramBeforeAnyGameWithTheMusicStopped) {
    run.OnTitle({Script::Hard, Script::CloseBox});
    EXPECT_THROW(screens::RunScreens(run.demo, run.title, run.game, 1), screens_testing::ProgramEnded);
    EXPECT_EQ(run.log, (Log{"demo", "title (Easy)", "end"}));
    EXPECT_EQ(run.sounds.commands.back(), "close Midi");
}

TEST_F(ScreenSequenceTest, ClosingTheDemoGoesOnToTheTitle) {
    run.close_demo_at_tick = 3;
    run.OnTitle({Script::Start});
    screens::RunScreens(run.demo, run.title, run.game, 1);
    EXPECT_EQ(run.log, (Log{"demo", "title (Easy)", "game 10"}));
    EXPECT_EQ(run.demo.DemoTick, 3) << "the animation stops with its window";
    EXPECT_EQ(run.ends, 0);
}

}  // namespace
