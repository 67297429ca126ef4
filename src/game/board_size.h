#pragma once
// The board and the two sides, defined once.

namespace game {

inline constexpr int Columns = 16;  // x = 0..15, left to right
inline constexpr int Rows = 14;     // y = 0..13, top to bottom
inline constexpr int PiecesPerSide = 16;

inline constexpr int PlayerSide = 0;    // starts on the bottom row
inline constexpr int ComputerSide = 1;  // starts on the top row
inline constexpr int PlayerHomeRow = Rows - 1;
inline constexpr int ComputerHomeRow = 0;

// Cell (x, y) spans CellLeft(x)..CellLeft(x) + CellSize across and CellTop(y)..CellTop(y) + CellSize down, in
// twips.
inline constexpr int CellSize = 400;
inline constexpr int BoardLeft = 100;
inline constexpr int BoardTop = 200;
constexpr int CellLeft(int x) {
    return BoardLeft + CellSize * x;
}
constexpr int CellTop(int y) {
    return BoardTop + CellSize * y;
}

// A piece's picture stands on its cell's lower grid line, a little right of the cell's left
// line, and reaches into the cell above; the selection marker stands at the same height.
inline constexpr int PieceInset = 5;
inline constexpr int PieceRise = 200;
inline constexpr int MarkerInset = 30;
constexpr int PieceLeft(int x) {
    return CellLeft(x) + PieceInset;
}
constexpr int PieceTop(int y) {
    return CellTop(y) - PieceRise;
}

}  // namespace game
