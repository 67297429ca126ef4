#pragma once
// Games played without a window: the same rules and the same computer as the
// game window, against a simple scripted player. For seeing what a change to the
// computer's play does to the game, and for measuring it.

#include <cstdint>

#include "game/game_state.h"

namespace game {

struct SelfPlayResult {
    int player_score = 0;
    int computer_score = 0;
    int winner = PlayerSide;
    int turns = 0;     // moves of both sides
    int captures = 0;  // pieces captured by both sides
};

// The scripted player's choice for this turn: the move that scores most (a capture,
// an arrival on row 0), else the one that gets furthest up the board, ties broken
// by the random generator. Sets Selected and returns the direction; there is always
// a legal move while the player has a piece on the board.
Integer ScriptedPlayerChoice(GameState& state);

// Plays one whole game with the computer making `tries` attempts per capture
// search. Draws from platform::Rnd(); the caller seeds it.
SelfPlayResult PlaySelfGame(Integer tries);

}  // namespace game
