// The end of a game: survivors, result, the end animation, OK, and closing the
// window in the middle of it all.

#include <gtest/gtest.h>

#include "fixtures.h"
#include "game_harness.h"
#include "globals/globals.h"
#include "screen_reader.h"

namespace {

using testing_support::GameHarness;

class GameEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.Show();
        form.Phase = -1;
    }
    void TearDown() override { form.Unload(); }

    // Pass j of the animation draws column j and row j % 14 for its piece, then the label's jitter.
    double Script(std::size_t draw) {
        if (draw < 192)
            return 0.5;
        std::size_t pass = (draw - 192) / 3 + 1;
        switch ((draw - 192) % 3) {
        case 0:
            return (pass % 16 + 0.5) / 16;
        case 1:
            return (pass % 14 + 0.5) / 14;
        default:
            return pass % 2 ? 0.0 : 0.9999;
        }
    }

    testing_support::ScriptedRandom random{[this](std::size_t draw) { return Script(draw); }};
    testing_support::RecordedSleep sleep;
    testing_support::RecordedSounds sounds;
    testing_support::SetUpOnlyForm1 form;
    GameHarness harness{form};
};

TEST_F(GameEndTest, SurvivorsScoreTheHigherScoreWinsAndTheWinnersPiecesDanceInTurn) {
    // The player has lost every piece; five of the computer's are left.
    for (int n = 0; n < 16; ++n) {
        form.TakeOffForTest(n, 0);
        if (n >= 5)
            form.TakeOffForTest(n, 1);
    }
    form.Score(0) = 12;
    form.Score(1) = 8;
    // The animation waits for the next frame after each frame's worth of passes: one pump.
    std::vector<int> tops;
    int jumped_by_the_first_frame = 0;
    harness.watch = [&](game::Form1& f) {
        tops.push_back(f.lblWinorLose().Top());
        if (tops.size() == 1) {
            for (int n = 0; n < 16; ++n)
                jumped_by_the_first_frame += f.Image1(16 + n).Visible();
        }
    };
    harness.Then([](game::Form1&) {});
    harness.Then(GameHarness::ClickOk());
    form.GameEnd();

    EXPECT_EQ(form.Score(0), 12) << "only the side with pieces left gains";
    EXPECT_EQ(form.Score(1), 13);
    EXPECT_EQ(form.lblScore(1).Caption(), "Score : 12");
    EXPECT_EQ(form.lblScore(3).Caption(), "Score : 13");
    EXPECT_EQ(form.lblWinorLose().Caption(), "You Lose.");
    EXPECT_TRUE(form.lblWinorLose().Visible());
    EXPECT_TRUE(form.Command1().Visible());
    EXPECT_EQ(sounds.tunes, std::vector<std::string>{"endzam.mid"});
    for (int n = 0; n < 16; ++n) {
        EXPECT_EQ(form.PieceX(n, 1), -1) << "the board is empty";
        EXPECT_FALSE(form.Image1(n).Visible()) << "the loser's pieces stay hidden";
    }
    EXPECT_EQ(form.PieceY(2, 1), 0) << "rows are left as they were";
    EXPECT_EQ(form.ComputerPieces, 5) << "and so are the counters";

    // Two frames of sixteen passes, OK seen at the second frame's wait: pieces 1, 2, ..., 15
    // and then 0 in each, every one of them on the cell of its latest pass.
    EXPECT_EQ(jumped_by_the_first_frame, 16)
        << "on every frame each of the winner's pieces has jumped, lost or not";
    EXPECT_EQ(random.draws(), 192u + 32 * 3) << "no pass after OK";
    for (int pass = 17; pass <= 32; ++pass) {
        int k = pass % 16;
        EXPECT_TRUE(form.Image1(16 + k).Visible());
        EXPECT_EQ(form.Image1(16 + k).Left(), 400 * (pass % 16) + 105) << k;
        EXPECT_EQ(form.Image1(16 + k).Top(), 400 * (pass % 14)) << k;
    }
    ASSERT_EQ(tops.size(), 2u);
    EXPECT_EQ(tops[0], 2499) << "the 16th pass jitters it to the bottom of its range";
    EXPECT_EQ(tops[1], 2499);
    EXPECT_GE(form.lblWinorLose().Top(), 2400);
    EXPECT_EQ(form.EndLoop, platform::False);
}

TEST_F(GameEndTest, LevelScoresAnimateThePlayersPiecesAndOkEndsTheAnimationWithItsFrame) {
    testing_support::ScreenReaderOn screen_reader;
    for (int n = 0; n < 16; ++n)
        form.TakeOffForTest(n, 1);
    form.Score(0) = 10;  // 16 survivors make it 26
    form.Score(1) = 26;
    QWidget* focused_at_ok = nullptr;
    harness.Then([&](game::Form1& f) {
        focused_at_ok = f.Window()->focusWidget();
        GameHarness::ClickOk()(f);
    });
    form.GameEnd();
    EXPECT_EQ(form.Score(0), 26);
    EXPECT_EQ(form.lblWinorLose().Caption(), "You Win.");
    EXPECT_EQ(focused_at_ok, form.Command1().Widget()) << "Space or Return presses OK";
    EXPECT_EQ(testing_support::LastAnnounced(form.Window()), "You Win. Your score 26, ZAM's score 26.");
    EXPECT_EQ(testing_support::ChildNamed(form.Window(), "Result: You Win.")->textInterface()->text(0, 8),
              "You Win.");
    EXPECT_EQ(random.draws(), 192u + 16 * 3) << "one frame, the one whose wait saw OK";
    EXPECT_EQ(harness.pumps(), 1);
    EXPECT_EQ(form.Image1(1).Left(), 400 * 1 + 105);
    for (int n = 0; n < 16; ++n) {
        EXPECT_TRUE(form.Image1(n).Visible());
        EXPECT_FALSE(form.Image1(16 + n).Visible());
    }
}

// The game window's close box ends the program wherever the game is; the program's
// own unloading after a game does not.
class ClosingTest : public ::testing::Test {
protected:
    void SetUp() override { globals::ComputerTries = 10; }

    testing_support::ScriptedRandom random{[](std::size_t) { return 0.5; }};
    testing_support::RecordedSleep sleep;
    testing_support::RecordedSounds sounds;
    game::Form1 form;
    GameHarness harness{form};
};

TEST_F(ClosingTest, CloseWhileWaitingForThePlayerEndsTheProgramAndStopsTheMusic) {
    harness.Then(GameHarness::ClickPiece(3));
    harness.Then(GameHarness::CloseWindow());
    EXPECT_THROW(form.Show(), testing_support::ProgramEnded);
    EXPECT_EQ(harness.end.ends, 1);
    ASSERT_FALSE(sounds.commands.empty());
    EXPECT_EQ(sounds.commands.back(), "close Midi");
    EXPECT_FALSE(form.Loaded());
}

TEST_F(ClosingTest, CloseDuringTheEndAnimationEndsTheProgram) {
    // A game that is over at once: the player has no pieces left.
    harness.watch = [](game::Form1& f) {
        if (f.Phase == 0) {
            for (int n = 0; n < 16; ++n)
                f.PieceX(n, 0) = f.PieceY(n, 0) = -1;
            f.PlayerPieces = 0;
            f.Phase = 2;
        }
    };
    harness.Then([](game::Form1&) {});
    harness.Then([](game::Form1& f) { EXPECT_TRUE(f.Command1().Visible()) << "in the end animation"; });
    harness.Then(GameHarness::CloseWindow());
    EXPECT_THROW(form.Show(), testing_support::ProgramEnded);
    EXPECT_EQ(harness.end.ends, 1);
    EXPECT_EQ(sounds.commands.back(), "close Midi");
}

TEST_F(ClosingTest, TheProgramsOwnUnloadAfterAGameDoesNotEndIt) {
    harness.watch = [](game::Form1& f) {
        if (f.Phase == 0) {
            f.ComputerPieces = 0;
            f.Phase = 2;
        }
    };
    harness.Then([](game::Form1&) {});
    harness.Then(GameHarness::ClickOk());
    form.Show();
    EXPECT_FALSE(form.Visible());
    form.Unload();
    EXPECT_EQ(harness.end.ends, 0);
    EXPECT_FALSE(form.Loaded());
}

}  // namespace
