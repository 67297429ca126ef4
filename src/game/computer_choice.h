#pragma once
// The computer's choice of a move: pure, no window, drawing only from the random generator.

#include "game/game_state.h"

namespace game {

struct ComputerMove {
    Integer piece = -1;  // -1: no move chosen
    Integer direction = MoveDown;
    bool operator==(const ComputerMove&) const = default;
};

// Chooses the computer's move in three stages: the last capture found among
// `tries` drawn pieces; else, on a coin toss, a random advance from the home
// rows; else an advance of the most forward of tries / 2 drawn pieces.
// Needs at least one computer piece on the board; without one it chooses nothing.
ComputerMove ChooseComputerMove(const GameState& state, Integer tries);

// The cell a move of the computer's piece lands on; a down move past row 13 stops on row 13.
struct Cell {
    Integer x;
    Integer y;
};
Cell ComputerTarget(const GameState& state, const ComputerMove& move);

}  // namespace game
