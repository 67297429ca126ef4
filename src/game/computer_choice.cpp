#include "game/computer_choice.h"

#include <algorithm>

#include "platform/kernel.h"

namespace game {
namespace {

// Draws piece numbers until one is still on the board.
Integer DrawLivingPiece(const GameState& s) {
    for (;;) {
        auto r = static_cast<Integer>(platform::RandomBelow(PiecesPerSide));
        if (s.PieceX(r, ComputerSide) >= 0)
            return r;
    }
}

bool AnyPieceLeft(const GameState& s) {
    for (int n = 0; n < PiecesPerSide; ++n) {
        if (s.OnBoard(n, ComputerSide))
            return true;
    }
    return false;
}

// Stage 1: every try and every direction is tested, and each capture found
// replaces the one before, so the last capture found is the one made.
void SearchCapture(const GameState& s, Integer tries, ComputerMove& move) {
    for (int t = 0; t < tries; ++t) {
        Integer r = DrawLivingPiece(s);
        Integer x = s.PieceX(r, ComputerSide);
        Integer y = s.PieceY(r, ComputerSide);
        Integer v = s.MoveValues(x, y);
        if (s.Kcheck(x - v, y) == CellPlayer)
            move = {r, MoveLeft};
        if (s.Kcheck(x + v, y) == CellPlayer)
            move = {r, MoveRight};
        if (s.Kcheck(x, y - v) == CellPlayer)
            move = {r, MoveUp};
        if (s.Kcheck(x, y + v) == CellPlayer)
            move = {r, MoveDown};
    }
}

// Stage 2: the coin is tossed every turn, even after a capture was found.
void AdvanceFromHomeRows(const GameState& s, ComputerMove& move) {
    double coin = platform::Rnd();
    if (coin >= 0.5 || move.piece >= 0)
        return;
    for (int t = 0; t < 8; ++t) {
        Integer r = DrawLivingPiece(s);
        Integer x = s.PieceX(r, ComputerSide);
        Integer y = s.PieceY(r, ComputerSide);
        if (y < 2 && s.Kcheck(x, y + s.MoveValues(x, y)) != CellComputer)
            move = {r, MoveDown};
    }
}

// Stage 3: the most forward of the drawn pieces goes down, or else sideways;
// passes repeat with fresh draws until a move is found.
void AdvanceForwardPiece(const GameState& s, Integer tries, ComputerMove& move) {
    // Half the tries per pass; at least one draw, so that a pass always examines a piece.
    const int draws = std::max(1, tries / 2);
    while (move.piece < 0) {
        Integer best = -1;
        Integer best_row = -1;
        for (int t = 0; t < draws; ++t) {
            Integer r = DrawLivingPiece(s);
            if (s.PieceY(r, ComputerSide) > best_row) {
                best = r;
                best_row = s.PieceY(r, ComputerSide);
            }
        }
        Integer x = s.PieceX(best, ComputerSide);
        Integer y = best_row;
        Integer v = s.MoveValues(x, y);
        // A target below row 13 is free: the piece will stop on row 13.
        if (s.Kcheck(x, y + v) != CellComputer) {
            move = {best, MoveDown};
        } else if (x + v <= Columns - 1) {
            if (s.Kcheck(x + v, y) != CellComputer)
                move = {best, MoveRight};
        } else if (x >= v) {
            if (s.Kcheck(x - v, y) != CellComputer)
                move = {best, MoveLeft};
        }
    }
}

}  // namespace

ComputerMove ChooseComputerMove(const GameState& state, Integer tries) {
    ComputerMove move;
    if (!AnyPieceLeft(state))
        return move;
    SearchCapture(state, tries, move);
    AdvanceFromHomeRows(state, move);
    AdvanceForwardPiece(state, tries, move);
    return move;
}

Cell ComputerTarget(const GameState& s, const ComputerMove& move) {
    Integer x = s.PieceX(move.piece, ComputerSide);
    Integer y = s.PieceY(move.piece, ComputerSide);
    Integer v = s.MoveValues(x, y);
    switch (move.direction) {
    case MoveLeft:
        return {static_cast<Integer>(x - v), y};
    case MoveRight:
        return {static_cast<Integer>(x + v), y};
    case MoveUp:
        return {x, static_cast<Integer>(y - v)};
    default:
        return {x, static_cast<Integer>(std::min(y + v, Rows - 1))};
    }
}

}  // namespace game
