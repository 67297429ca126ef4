// The scripted player of the games without a window (the golden games play them whole).

#include <functional>
#include <gtest/gtest.h>
#include <random>

#include "fixtures.h"
#include "game/rules.h"
#include "game/self_play.h"

namespace {

class SeededRandom {
public:
    explicit SeededRandom(unsigned seed)
        : generator_(seed), rnd_(platform::Kernel().rnd, [this] {
              return static_cast<double>(generator_() >> 11) * 0x1.0p-53;
          }) {}

private:
    std::mt19937_64 generator_;
    platform::Replace<std::function<double()>> rnd_;
};

TEST(SelfPlay, TheScriptedPlayerTakesTheMoveThatScoresMost) {
    SeededRandom random(3);
    game::GameState s;
    game::SilentView view;
    game::Init(s, view);
    s.MoveValues.Fill(2);
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
