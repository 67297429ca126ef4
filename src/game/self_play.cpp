#include "game/self_play.h"

#include "game/rules.h"
#include "platform/kernel.h"

namespace game {
namespace {

// Counts the captures by the sound they make; shows nothing.
class CountingView : public SilentView {
public:
    void PlayWav(const char* file_name) override { captures += file_name[0] == 'z' && file_name[3] == '4'; }
    int captures = 0;
};

// A long game ends anyway: a safety net, never reached in practice.
constexpr int MaxTurns = 100000;

}  // namespace

Integer ScriptedPlayerChoice(GameState& state) {
    int best_value = -1000;
    Integer best_piece = -1;
    Integer best_direction = MoveUp;
    for (Integer n = 0; n < PiecesPerSide; ++n) {
        if (!state.OnBoard(n, PlayerSide))
            continue;
        for (Integer d = MoveUp; d <= MoveLeft; ++d) {
            GameState trial = state;
            trial.Selected = n;
            SilentView silent;
            if (!MoveYourChr(trial, d, silent))
                continue;
            int gained = trial.Score(PlayerSide) - state.Score(PlayerSide);
            int row = trial.OnBoard(n, PlayerSide) ? trial.PieceY(n, PlayerSide) : 0;
            // Points first, then progress towards row 0, then a little randomness.
            int value = 100 * gained + (state.PieceY(n, PlayerSide) - row) * 4 + platform::RandomBelow(4);
            if (value > best_value) {
                best_value = value;
                best_piece = n;
                best_direction = d;
            }
        }
    }
    state.Selected = best_piece;
    return best_direction;
}

SelfPlayResult PlaySelfGame(Integer tries) {
    GameState state;
    CountingView view;
    Init(state, view);
    SelfPlayResult result;
    while (!GameOver(state) && result.turns < MaxTurns) {
        Integer direction = ScriptedPlayerChoice(state);
        if (!MoveYourChr(state, direction, view))
            break;  // no legal move: cannot happen while the player has a piece
        ++result.turns;
        if (GameOver(state))
            break;
        ZAMPhase(state, tries, view);
        ++result.turns;
    }
    ScoreSurvivors(state, view);
    result.player_score = state.Score(PlayerSide);
    result.computer_score = state.Score(ComputerSide);
    result.winner = Winner(state);
    result.captures = view.captures;
    return result;
}

}  // namespace game
