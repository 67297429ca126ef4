// Games without a window: the same rules as the game window, reproducible from a seed.

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

TEST(SelfPlay, GamesEndOnTheRulesAndRepeatFromTheSameSeed) {
    std::vector<game::SelfPlayResult> first, second;
    for (auto* results : {&first, &second}) {
        SeededRandom random(7);
        for (int g = 0; g < 20; ++g)
            results->push_back(game::PlaySelfGame(g % 2 ? 30 : 10));
    }
    for (std::size_t g = 0; g < first.size(); ++g) {
        const auto& r = first[g];
        EXPECT_EQ(r.player_score, second[g].player_score);
        EXPECT_EQ(r.computer_score, second[g].computer_score);
        EXPECT_EQ(r.turns, second[g].turns);
        EXPECT_EQ(r.winner, r.computer_score > r.player_score ? game::ComputerSide : game::PlayerSide);
        // Every point is a capture, an arrival (5) or a survivor; 32 pieces in all.
        EXPECT_LE(r.player_score + r.computer_score, 32 * 5);
        EXPECT_GE(r.player_score + r.computer_score, r.captures);
        EXPECT_GT(r.turns, 16) << "no side can lose 16 pieces in fewer moves";
    }
}

TEST(SelfPlay, TheScriptedPlayerTakesTheMoveThatScoresMost) {
    SeededRandom random(3);
    game::GameState s;
    game::SilentView view;
    game::NewGame(s, view);
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
