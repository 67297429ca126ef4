#pragma once
// The state of one game, as declared, and the question every move asks of it:
// who stands on a cell. It needs no window, so the computer's choice of a move
// can be made, tested and measured without one.

#include "game/board_size.h"
#include "platform/bounded_array.h"
#include "platform/types.h"

namespace game {

using platform::Boolean;
using platform::Integer;

struct GameState {
    // Move value of each cell, 1..4; column 16 and row 14 are declared but stay 0.
    platform::Array2D<Integer, 0, Columns, 0, Rows> MoveValues;
    // Column and row of piece n of side s, -1 once it has left the board.
    // Piece numbers -4..20 and side 2 are declared but never used.
    platform::Array2D<Integer, -4, 20, 0, 2> PieceX;
    platform::Array2D<Integer, -4, 20, 0, 2> PieceY;
    platform::Array1D<Integer, 0, 2> Score;
    Integer Phase = 0;  // 0 choose a piece, 1 piece chosen, 2 computer's turn, -1 game over
    Integer Selected = 0;
    Integer PlayerPieces = 0;
    Integer ComputerPieces = 0;
    Boolean EndLoop = platform::False;

    // What stands on cell (X, Y), on or off the board: 0 nothing, 1 a player's
    // piece, 2 a computer's piece.
    Integer Kcheck(Integer X, Integer Y) const;

    bool OnBoard(int piece, int side) const { return PieceX(piece, side) >= 0; }
};

// Directions, also the indexes of the direction buttons.
inline constexpr Integer MoveUp = 0;
inline constexpr Integer MoveRight = 1;
inline constexpr Integer MoveDown = 2;
inline constexpr Integer MoveLeft = 3;

}  // namespace game
