// Whole games inside the real turn loop, worked out from the rules beforehand.
//
// Every inner cell is dealt a 4 and the home rows hold 1, so a piece travels its
// column in steps of 1, 4, 4, 4: the player's rows 13, 12, 8, 4, 0 and the
// computer's rows 0, 1, 5, 9, 13 never meet except on the home rows. Every random
// draw of the computer's turn names the one piece the scenario wants moved, so
// all three stages agree on moving it down.

#include <algorithm>
#include <gtest/gtest.h>

#include "fixtures.h"
#include "game_harness.h"
#include "globals/globals.h"

namespace {

using testing_support::GameHarness;

class WholeGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        globals::ComputerTries = 10;
        globals::MidiFile = "zam.mid";  // as the title window leaves it
    }

    // Deal: 192 numbers giving 4; then every draw names `computer_piece`.
    double Script(std::size_t draw) const { return draw < 192 ? 0.8 : (computer_piece + 0.5) / 16.0; }

    // One round: the player moves `piece` up (by key or by button), and the
    // computer is told which of its pieces to move next.
    void PlayerUp(int piece, int next_computer_piece, bool by_button) {
        harness.Then(GameHarness::ClickPiece(piece));
        harness.Then([this, next_computer_piece](game::Form1&) { computer_piece = next_computer_piece; });
        harness.Then(by_button ? GameHarness::ClickDirection(game::MoveUp) : GameHarness::Key(Qt::Key_Up));
    }

    // Plays the game to its end and presses OK at the end animation's first frame.
    // The music keeper must know the game tune and run from the first pump on, and
    // be stopped when the game is over; every game deals a board of its own.
    void PlayToTheEnd() {
        std::vector<std::string> first_pump;
        harness.watch = [&](game::Form1& f) {
            if (first_pump.empty())
                first_pump = {globals::MidiFile, std::to_string(f.Timer1().Interval())};
            if (f.Command1().Visible()) {
                EXPECT_EQ(f.Timer1().Interval(), 0) << "the music keeper is stopped before the end";
            }
        };
        harness.Then(GameHarness::ClickOk());
        form.Show();
        harness.watch = nullptr;
        EXPECT_TRUE(harness.script_done());
        EXPECT_FALSE(form.Visible()) << "the window hides itself after OK";
        EXPECT_EQ(harness.end.ends, 0);
        EXPECT_EQ(first_pump, (std::vector<std::string>{"zaming.mid", "2000"}));
        EXPECT_EQ(random.seeds(), 1) << "seeded once, before the deal";
    }

    // Every move's value display pauses 42 times 20 ms; the player's arrivals pause a second more.
    void ExpectMovesPaused(int moves, int arrivals_of_the_player) {
        EXPECT_EQ(std::count(sleep.pauses.begin(), sleep.pauses.end(), 20), 42 * moves);
        EXPECT_EQ(std::count(sleep.pauses.begin(), sleep.pauses.end(), 1000), arrivals_of_the_player);
        EXPECT_EQ(sleep.pauses.size(), static_cast<std::size_t>(42 * moves + arrivals_of_the_player));
    }

    int computer_piece = 0;
    testing_support::ScriptedRandom random{[this](std::size_t draw) { return Script(draw); }};
    testing_support::RecordedSleep sleep;
    testing_support::RecordedSounds sounds;
    game::Form1 form;
    GameHarness harness{form};
};

// The player sends every piece to row 0 in turn while the computer marches its
// pieces down the same columns a step behind; the player's sixteenth arrival
// leaves him without pieces before the computer's last move.
TEST_F(WholeGameTest, PlayerRunsOutOfPiecesAndStillWinsOnPoints) {
    std::vector<std::string> effects;
    for (int k = 0; k < 64; ++k) {
        PlayerUp(k / 4, k / 4, k % 2 == 0);
        effects.push_back("zam1.wav");
        if (k % 4 == 3)
            effects.push_back("zam2.wav");
        if (k == 63)
            break;  // the game is over before the computer moves again
        effects.push_back("zam3.wav");
        if (k % 4 == 3)
            effects.push_back("zam2.wav");
    }
    PlayToTheEnd();

    EXPECT_EQ(form.PlayerPieces, 0);
    EXPECT_EQ(form.ComputerPieces, 1);
    EXPECT_EQ(form.Score(0), 80) << "16 arrivals";
    EXPECT_EQ(form.Score(1), 76) << "15 arrivals and one survivor at the end";
    EXPECT_EQ(form.PieceY(15, 1), 9) << "the survivor keeps its row";
    EXPECT_EQ(form.lblScore(1).Caption(), "Score : 80");
    EXPECT_EQ(form.lblScore(3).Caption(), "Score : 76");
    EXPECT_EQ(form.lblWinorLose().Caption(), "You Win.");
    EXPECT_EQ(sounds.effects, effects);
    ExpectMovesPaused(64 + 63, 16);
    for (int n = 0; n < 16; ++n) {
        EXPECT_TRUE(form.Image1(n).Visible()) << "after one frame every player's piece dances";
        EXPECT_FALSE(form.Image1(16 + n).Visible());
    }
}

// The player shuffles one piece along row 12 while the computer brings all its
// pieces home, capturing the player's pieces waiting there.
TEST_F(WholeGameTest, ComputerRunsOutOfPiecesAndWinsOnPoints) {
    std::vector<std::string> effects;
    for (int k = 0; k < 64; ++k) {
        int p = k / 4;
        harness.Then(GameHarness::ClickPiece(0));
        harness.Then([this, p](game::Form1&) { computer_piece = p; });
        if (k == 0)
            harness.Then(GameHarness::Key(Qt::Key_Up));
        else if (k % 2 == 1)
            harness.Then(GameHarness::Key(Qt::Key_Right, Qt::ShiftModifier));
        else
            harness.Then(GameHarness::ClickDirection(game::MoveLeft));
        effects.push_back("zam1.wav");
        effects.push_back("zam3.wav");
        if (k % 4 == 3) {
            if (p > 0)
                effects.push_back("zam4.wav");  // the player's piece p still stands at home
            effects.push_back("zam2.wav");
        }
    }
    PlayToTheEnd();

    EXPECT_EQ(form.ComputerPieces, 0);
    EXPECT_EQ(form.PlayerPieces, 1);
    EXPECT_EQ(form.Score(1), 16 * 5 + 15);
    EXPECT_EQ(form.Score(0), 1) << "the one survivor's point";
    EXPECT_EQ(form.PieceX(0, 0), -1) << "survivors leave the board at the end";
    EXPECT_EQ(form.PieceY(0, 0), 12) << "but keep their row";
    EXPECT_EQ(form.lblWinorLose().Caption(), "You Lose.");
    EXPECT_EQ(form.lblScore(1).Caption(), "Score : 1");
    EXPECT_EQ(form.lblScore(3).Caption(), "Score : 95");
    EXPECT_EQ(sounds.effects, effects);
    ExpectMovesPaused(128, 0);
    // One frame moved each of the computer's pieces; the player's stay hidden.
    for (int n = 0; n < 16; ++n) {
        EXPECT_TRUE(form.Image1(16 + n).Visible()) << n;
        EXPECT_FALSE(form.Image1(n).Visible());
    }
}

// Both sides send a piece home at a time from opposite ends of the board, each
// capturing the other's piece still standing on its home row: six points a move,
// until the last pair leaves together and the scores are level.
TEST_F(WholeGameTest, LevelScoresAreThePlayersWin) {
    std::vector<std::string> effects;
    for (int k = 0; k < 32; ++k) {
        PlayerUp(k / 4, 15 - k / 4, k % 3 == 0);
        effects.push_back("zam1.wav");
        if (k % 4 == 3) {
            effects.push_back("zam4.wav");
            effects.push_back("zam2.wav");
        }
        effects.push_back("zam3.wav");
        if (k % 4 == 3) {
            effects.push_back("zam4.wav");
            effects.push_back("zam2.wav");
        }
    }
    PlayToTheEnd();

    EXPECT_EQ(form.PlayerPieces, 0);
    EXPECT_EQ(form.ComputerPieces, 0);
    EXPECT_EQ(form.Score(0), 48);
    EXPECT_EQ(form.Score(1), 48);
    EXPECT_EQ(form.lblWinorLose().Caption(), "You Win.");
    EXPECT_TRUE(form.lblWinorLose().Visible());
    EXPECT_TRUE(form.Command1().Visible());
    EXPECT_EQ(sounds.effects, effects);
    ExpectMovesPaused(64, 8);
    EXPECT_TRUE(form.Image1(1).Visible()) << "the winner's piece 1 moves first";
    EXPECT_EQ(std::count(sounds.tunes.begin(), sounds.tunes.end(), "endzam.mid"), 1);
}

}  // namespace
