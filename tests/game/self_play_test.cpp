// The scripted player of the games without a window (the golden games play them whole).

#include <gtest/gtest.h>

#include "fixtures.h"
#include "game/rules.h"
#include "game/self_play.h"

namespace {

TEST(SelfPlay, TheScriptedPlayerTakesTheMoveThatScoresMost) {
    platform::Seed(3);
    game::GameState s;
    game::SilentView view;
    game::Init(s, view);
    testing_support::FillMoveValues(s, 2);
    s.PieceX(9, 1) = 5;  // a capture two cells right of piece 3 ...
    s.PieceY(9, 1) = 6;
    s.PieceX(3, 0) = 3;
    s.PieceY(3, 0) = 6;
    s.PieceX(12, 0) = 12;  // ... and an arrival with a capture on row 0: six points
    s.PieceY(12, 0) = 2;
    game::Integer direction = game::ScriptedPlayerChoice(s);
    EXPECT_EQ(s.Selected, 12);
    EXPECT_EQ(direction, game::MoveUp);
}

}  // namespace
