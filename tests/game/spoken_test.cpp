// The sentences a screen reader speaks of the moves and of the result.

#include <gtest/gtest.h>

#include "game/spoken.h"

namespace {

using game::MoveReport;

TEST(SpokenTest, AMoveIsOneSentenceWithItsCapturesItsArrivalItsValueAndAChangedScore) {
    MoveReport quiet{.side = 1, .piece = 6, .direction = game::MoveDown, .to = {6, 3}};
    EXPECT_EQ(game::MoveSentence(quiet, 2, 0), "ZAM's piece 7 moves down to column 7, row 4. Next move 2.")
        << "columns and rows counted from 1; a score that did not change is not repeated";

    MoveReport capture{
        .side = 0, .piece = 2, .direction = game::MoveUp, .to = {2, 8}, .captured = {4}, .captures = 1};
    EXPECT_EQ(
        game::MoveSentence(capture, 2, 7),
        "Your piece 3 moves up to column 3, row 9, and captures ZAM's piece 5. Next move 2. Your score 7.");

    MoveReport home{.side = 1,
                    .piece = 15,
                    .direction = game::MoveLeft,
                    .to = {0, 13},
                    .captured = {0},
                    .captures = 1,
                    .far_row = true};
    EXPECT_EQ(game::MoveSentence(home, 1, 6),
              "ZAM's piece 16 moves left to column 1, row 14, and captures your piece 1, then reaches your "
              "home row "
              "for 5 points and leaves the board. Move value 1. ZAM's score 6.");
    home.captures = 0;
    home.side = 0;
    EXPECT_EQ(game::MoveSentence(home, 1, 5), "Your piece 16 moves left to column 1, row 14, and reaches "
                                              "ZAM's home row for 5 points and leaves the "
                                              "board. Move value 1. Your score 5.");

    EXPECT_EQ(game::ResultSentence(game::PlayerSide, 30, 30), "You Win. Your score 30, ZAM's score 30.");
    EXPECT_EQ(game::ResultSentence(game::ComputerSide, 29, 30), "You Lose. Your score 29, ZAM's score 30.");
}

}  // namespace
