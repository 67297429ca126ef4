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

// The values of Phase: whose turn it is, and how far it has gone.
inline constexpr Integer PhaseChoosePiece = 0;  // the player is to choose one of his pieces
inline constexpr Integer PhasePieceChosen = 1;  // a piece is chosen; its direction is awaited
inline constexpr Integer PhaseComputer = 2;     // the computer's turn is due
inline constexpr Integer PhaseGameOver = -1;    // a side has no pieces left

// Kcheck's answers: who stands on a cell.
inline constexpr Integer CellEmpty = 0;
inline constexpr Integer CellPlayer = 1;
inline constexpr Integer CellComputer = 2;

// Locate's Mode for the selection marker (a piece's Mode is its side), and the Param
// that shows it; any other Param hides it.
inline constexpr Integer MarkerMode = 2;
inline constexpr Integer ShowMarker = -1;
inline constexpr Integer HideMarker = 0;

struct GameState {
    // Move value of each cell, 1..4; column 16 and row 14 are declared but stay 0.
    platform::Array2D<Integer, 0, Columns, 0, Rows> MoveValues;
    // Column and row of piece n of side s, -1 once it has left the board.
    // Piece numbers -4..20 and side 2 are declared but never used.
    platform::Array2D<Integer, -4, 20, 0, 2> PieceX;
    platform::Array2D<Integer, -4, 20, 0, 2> PieceY;
    platform::Array1D<Integer, 0, 2> Score;
    Integer Phase = PhaseChoosePiece;
    Integer Selected = 0;
    Integer PlayerPieces = 0;
    Integer ComputerPieces = 0;
    Boolean EndLoop = platform::False;

    // What stands on cell (X, Y), on or off the board: CellEmpty, CellPlayer or CellComputer.
    Integer Kcheck(Integer X, Integer Y) const;

    bool OnBoard(int piece, int side) const { return PieceX(piece, side) >= 0; }
};

// Directions, also the indexes of the direction buttons.
inline constexpr Integer MoveUp = 0;
inline constexpr Integer MoveRight = 1;
inline constexpr Integer MoveDown = 2;
inline constexpr Integer MoveLeft = 3;

}  // namespace game
