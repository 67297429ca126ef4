// The computer's choice of a move (no window) and the carrying out of it.

#include <deque>
#include <gtest/gtest.h>

#include "fixtures.h"
#include "game/computer_choice.h"
#include "globals/globals.h"

namespace game {
// Failed comparisons name the move.
void PrintTo(const ComputerMove& move, std::ostream* out) {
    *out << "piece " << move.piece << " direction " << move.direction;
}
}  // namespace game

namespace {

using game::ComputerMove;
using game::GameState;

// A board of 1s with every piece off it; tests place what they need.
GameState EmptyBoard() {
    GameState s;
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 14; ++y)
            s.MoveValues(x, y) = 1;
    for (int n = 0; n < 16; ++n)
        for (int side : {0, 1})
            s.PieceX(n, side) = s.PieceY(n, side) = -1;
    return s;
}

void Put(GameState& s, int piece, int side, int x, int y, int value) {
    s.PieceX(piece, side) = static_cast<game::Integer>(x);
    s.PieceY(piece, side) = static_cast<game::Integer>(y);
    s.MoveValues(x, y) = static_cast<game::Integer>(value);
}

// Draws that name pieces: piece n is drawn by (n + 0.5) / 16; a plain number is used as it is.
double Piece(int n) {
    return (n + 0.5) / 16;
}

class Draws {
public:
    explicit Draws(std::deque<double> numbers)
        : numbers_(std::move(numbers)), random_([this](std::size_t) {
              double r = numbers_.empty() ? 0.99 : numbers_.front();
              if (!numbers_.empty())
                  numbers_.pop_front();
              return r;
          }) {}
    std::size_t left() const { return numbers_.size(); }

private:
    std::deque<double> numbers_;
    testing_support::ScriptedRandom random_;
};

TEST(ComputerChoice, TheLastCaptureFoundWins) {
    GameState s = EmptyBoard();
    Put(s, 0, 1, 5, 5, 2);
    Put(s, 0, 0, 3, 5, 1);  // left of it
    Put(s, 1, 0, 5, 7, 1);  // below it
    Put(s, 2, 0, 5, 3, 1);  // above it
    {
        // One piece left: every draw finds it; of left, up and down, down is tested last.
        std::deque<double> numbers(10, Piece(0));
        numbers.push_back(0.9);  // the coin of the home-row advance
        Draws draws(numbers);
        EXPECT_EQ(game::ChooseComputerMove(s, 10), (ComputerMove{0, game::MoveDown}));
        EXPECT_EQ(draws.left(), 0u) << "all ten tries and the coin are drawn even after a capture";
    }
    s.PieceX(1, 0) = s.PieceY(1, 0) = -1;
    {
        std::deque<double> numbers(10, Piece(0));
        numbers.push_back(0.1);  // a coin for the advance, but a capture is already chosen
        Draws draws(numbers);
        EXPECT_EQ(game::ChooseComputerMove(s, 10), (ComputerMove{0, game::MoveUp})) << "up beats left";
        EXPECT_EQ(draws.left(), 0u);
    }
    // Across draws a later capture beats an earlier one, and dead pieces are drawn again.
    Put(s, 7, 1, 10, 8, 3);
    Put(s, 3, 0, 13, 8, 1);  // right of piece 7
    {
        Draws draws({Piece(7), Piece(4), Piece(0), Piece(7), Piece(7), Piece(7), Piece(7), Piece(7), Piece(7),
                     Piece(7), Piece(0), 0.9});
        EXPECT_EQ(game::ChooseComputerMove(s, 10), (ComputerMove{0, game::MoveUp}));
    }
    {
        Draws draws({Piece(0), Piece(0), Piece(0), Piece(0), Piece(0), Piece(0), Piece(0), Piece(0), Piece(0),
                     Piece(7), 0.9});
        EXPECT_EQ(game::ChooseComputerMove(s, 10), (ComputerMove{7, game::MoveRight}));
    }
}

TEST(ComputerChoice, HomeRowAdvanceMovesOnlyRowsZeroAndOneDownAndNeverOntoItsOwn) {
    GameState s = EmptyBoard();
    Put(s, 4, 1, 4, 1, 2);
    Put(s, 5, 1, 4, 3, 1);  // blocks piece 4's way down
    Put(s, 6, 1, 6, 0, 1);
    Put(s, 7, 1, 11, 1, 1);  // row 1, free to go down
    Put(s, 8, 1, 9, 2, 1);   // row 2: too far forward for this stage
    Put(s, 0, 0, 9, 3, 1);   // a player's piece below piece 8: not captured by this stage
    auto advance = [&](std::initializer_list<int> drawn) {
        std::deque<double> numbers(10, Piece(4));  // no capture for piece 4
        numbers.push_back(0.3);                    // the coin falls for the advance
        for (int n : drawn)
            numbers.push_back(Piece(n));
        Draws draws(numbers);
        ComputerMove move = game::ChooseComputerMove(s, 10);
        EXPECT_EQ(draws.left(), 0u) << "eight tries, no forward-piece stage";
        return move;
    };
    // The last free piece drawn on row 0 or 1 goes: a blocked one or one on row 2 never.
    EXPECT_EQ(advance({8, 4, 6, 4, 8, 4, 5, 4}), (ComputerMove{6, game::MoveDown}));
    EXPECT_EQ(advance({8, 4, 6, 4, 8, 4, 5, 7}), (ComputerMove{7, game::MoveDown})) << "row 1 advances too";
}

TEST(ComputerChoice, ForwardAdvanceTriesDownThenOneSideByColumn) {
    GameState s = EmptyBoard();
    Put(s, 0, 1, 12, 5, 4);
    Put(s, 1, 1, 12, 9, 1);  // under piece 0's way down
    Put(s, 2, 1, 2, 5, 4);
    Put(s, 3, 1, 2, 9, 1);
    Put(s, 4, 1, 0, 1, 1);  // further back: never the best of a pass with piece 0 in it
    auto choose = [&](std::deque<double> stage3) {
        std::deque<double> numbers(10, Piece(4));  // piece 4 can capture nothing
        numbers.push_back(0.9);                    // no home-row advance
        numbers.insert(numbers.end(), stage3.begin(), stage3.end());
        Draws draws(numbers);
        return game::ChooseComputerMove(s, 10);
    };
    // Piece 0 on column 12: right would pass column 15, so left; piece 2 on column 2 goes right.
    // Of pieces on the same row the one drawn first stays best.
    EXPECT_EQ(choose({Piece(4), Piece(0), Piece(2), Piece(4), Piece(4)}), (ComputerMove{0, game::MoveLeft}));
    EXPECT_EQ(choose({Piece(2), Piece(0), Piece(4), Piece(4), Piece(4)}), (ComputerMove{2, game::MoveRight}));
    // Left blocked by its own piece: that pass chooses nothing and a new pass draws afresh.
    Put(s, 5, 1, 8, 5, 1);
    EXPECT_EQ(choose({Piece(0), Piece(0), Piece(0), Piece(0), Piece(0), Piece(1), Piece(4), Piece(4),
                      Piece(4), Piece(4)}),
              (ComputerMove{1, game::MoveDown}));
    // Hard draws fifteen pieces a pass: the most forward of them all goes, though drawn last.
    {
        std::deque<double> numbers(30, Piece(4));
        numbers.push_back(0.9);
        numbers.insert(numbers.end(), 14, Piece(4));
        numbers.push_back(Piece(2));
        Draws draws(numbers);
        EXPECT_EQ(game::ChooseComputerMove(s, 30), (ComputerMove{2, game::MoveRight}));
        EXPECT_EQ(draws.left(), 0u);
    }
    // A player's piece on the target counts as free: the move will capture it.
    s.PieceX(5, 1) = s.PieceY(5, 1) = -1;
    Put(s, 0, 0, 8, 5, 1);
    EXPECT_EQ(choose({Piece(0), Piece(0), Piece(0), Piece(0), Piece(0)}), (ComputerMove{0, game::MoveLeft}));
}

class ComputerTurnTest : public ::testing::Test {
protected:
    void SetUp() override {
        globals::ComputerTries = 10;
        form.Show();
        testing_support::FillMoveValues(form, 1);
        form.Phase = 2;
    }
    void TearDown() override { form.Unload(); }

    testing_support::RecordedSleep sleep;
    testing_support::RecordedSounds sounds;
    testing_support::RecordedEnd end;
    testing_support::SetUpOnlyForm1 form;
};

TEST_F(ComputerTurnTest, DownPastRowThirteenStopsThereCapturesAndGoesHome) {
    for (int n = 0; n < 16; ++n) {
        if (n != 7)
            form.TakeOffForTest(n, 1);
    }
    form.PieceY(7, 1) = 11;
    form.MoveValues(7, 11) = 4;  // its way down points at row 15
    std::deque<double> numbers(10, Piece(7));
    numbers.push_back(0.9);
    for (int i = 0; i < 5; ++i)
        numbers.push_back(Piece(7));
    Draws draws(numbers);
    game::ZAMPhase(form, globals::ComputerTries, form);
    EXPECT_EQ(sounds.effects, (std::vector<std::string>{"zam3.wav", "zam4.wav", "zam2.wav"}));
    EXPECT_EQ(form.PieceX(7, 0), -1) << "the player's piece on row 13 was captured";
    EXPECT_FALSE(form.Image1(7).Visible());
    EXPECT_EQ(form.PieceX(7, 1), -1);
    EXPECT_FALSE(form.Image1(23).Visible());
    EXPECT_EQ(form.Score(1), 6);
    EXPECT_EQ(form.PlayerPieces, 15);
    EXPECT_EQ(form.ComputerPieces, 0);
    EXPECT_EQ(form.lblScore(3).Caption(), "Score : 6");
    EXPECT_EQ(form.Phase, 0) << "the turn ends as always; the loop then ends the game";
    EXPECT_EQ(sleep.pauses.size(), 42u) << "seen arriving during the value display";
}

TEST_F(ComputerTurnTest, AnOrdinaryTurnRewritesTheLabelAndHandsBack) {
    std::deque<double> numbers(10, Piece(3));
    numbers.push_back(0.1);  // the home-row advance
    numbers.insert(numbers.end(), 8, Piece(3));
    Draws draws(numbers);
    form.lblScore(3).SetCaption("");
    game::ZAMPhase(form, globals::ComputerTries, form);
    EXPECT_EQ(form.PieceY(3, 1), 1);
    EXPECT_EQ(form.Image1(19).Top(), 400);
    EXPECT_EQ(form.Score(1), 0);
    EXPECT_EQ(form.lblScore(3).Caption(), "Score : 0");
    EXPECT_EQ(sounds.effects, std::vector<std::string>{"zam3.wav"});
    EXPECT_EQ(form.Phase, 0);
}

}  // namespace
