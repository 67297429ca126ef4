#include "game/rules.h"

#include <optional>

#include "platform/kernel.h"

namespace game {
namespace {

// Takes a piece off the board and out of its side's count.
void TakeOff(GameState& s, int piece, int side, MoveView& view) {
    s.PieceX(piece, side) = -1;
    s.PieceY(piece, side) = -1;
    view.Locate(-1, -1, static_cast<Integer>(side), static_cast<Integer>(piece));
    --(side == PlayerSide ? s.PlayerPieces : s.ComputerPieces);
}

// Captures every piece of `side` standing on (x, y), a point and a sound each.
void CaptureOn(GameState& s, Integer x, Integer y, int side, MoveView& view, MoveReport& report) {
    for (int i = 0; i < PiecesPerSide; ++i) {
        if (s.PieceX(i, side) == x && s.PieceY(i, side) == y) {
            TakeOff(s, i, side, view);
            s.Score(1 - side) += 1;
            view.PlayWav("zam4.wav");
            report.captured[report.captures++] = i;
        }
    }
}

// Where the player's piece n lands in direction I, or nothing when the move is refused.
// Only the player's own pieces block a move.
std::optional<Cell> PlayerTarget(const GameState& s, Integer n, Integer I) {
    const Integer x = s.PieceX(n, PlayerSide);
    const Integer y = s.PieceY(n, PlayerSide);
    const Integer v = s.MoveValues(x, y);
    Cell to{x, y};
    switch (I) {
    case MoveUp:
        // The top edge never refuses: a piece that reaches or passes row 0 stops there,
        // and nothing of the player's ever stays on row 0 to block it.
        if (y <= v)
            return Cell{x, 0};
        to.y = static_cast<Integer>(y - v);
        break;
    case MoveRight:
        if (x >= Columns - v)
            return std::nullopt;
        to.x = static_cast<Integer>(x + v);
        break;
    case MoveDown:
        if (y > Rows - 1 - v)
            return std::nullopt;
        to.y = static_cast<Integer>(y + v);
        break;
    case MoveLeft:
        if (x < v)
            return std::nullopt;
        to.x = static_cast<Integer>(x - v);
        break;
    default:
        return std::nullopt;
    }
    if (s.Kcheck(to.x, to.y) == CellPlayer)
        return std::nullopt;
    return to;
}

}  // namespace

void Init(GameState& s, MoveView& view) {
    for (Integer n = 0; n < PiecesPerSide; ++n) {
        view.Locate(n, PlayerHomeRow, PlayerSide, n);
        view.Locate(n, ComputerHomeRow, ComputerSide, n);
        s.PieceX(n, PlayerSide) = n;
        s.PieceY(n, PlayerSide) = PlayerHomeRow;
        s.PieceX(n, ComputerSide) = n;
        s.PieceY(n, ComputerSide) = ComputerHomeRow;
    }
    for (int y = 0; y < Rows; ++y) {
        for (int x = 0; x < Columns; ++x) {
            if (y == ComputerHomeRow || y == PlayerHomeRow)
                s.MoveValues(x, y) = 1;
            else
                s.MoveValues(x, y) = static_cast<Integer>(platform::RandomBelow(4) + 1);
        }
    }
    s.Phase = PhaseChoosePiece;
    s.Score(PlayerSide) = 0;
    s.Score(ComputerSide) = 0;
    s.PlayerPieces = PiecesPerSide;
    s.ComputerPieces = PiecesPerSide;
}

bool MoveYourChr(GameState& s, Integer I, MoveView& view) {
    const Integer n = s.Selected;
    // Never move a piece that is not on the board: its cell would lie outside the board's arrays.
    if (n < 0 || n >= PiecesPerSide || !s.OnBoard(n, PlayerSide))
        return false;
    const std::optional<Cell> to = PlayerTarget(s, n, I);
    if (!to)
        return false;
    const auto [nx, ny] = *to;
    s.PieceX(n, PlayerSide) = nx;
    s.PieceY(n, PlayerSide) = ny;
    MoveReport report{.side = PlayerSide, .piece = n, .direction = I, .to = *to};
    view.Locate(0, 0, MarkerMode, HideMarker);
    view.PlayWav("zam1.wav");
    CaptureOn(s, nx, ny, ComputerSide, view, report);
    view.Locate(nx, ny, PlayerSide, n);
    view.PrintMoveValue(nx, ny, s.MoveValues(nx, ny));
    if (ny == ComputerHomeRow) {
        // Seen arriving on the far row, then off the board for five points.
        s.Score(PlayerSide) += 5;
        TakeOff(s, n, PlayerSide, view);
        view.PlayWav("zam2.wav");
        view.Pause(1000);
        report.far_row = true;
    }
    view.ShowScore(PlayerSide);
    view.MoveMade(report);
    s.Phase = PhaseComputer;
    return true;
}

void ZAMPhase(GameState& s, Integer tries, MoveView& view) {
    const ComputerMove move = ChooseComputerMove(s, tries);
    if (move.piece < 0 || !s.OnBoard(move.piece, ComputerSide)) {
        // Only an inconsistent board leaves the computer without a move; hand the turn back.
        s.Phase = PhaseChoosePiece;
        return;
    }
    const Integer r = move.piece;
    view.PlayWav("zam3.wav");
    const Cell to = ComputerTarget(s, move);
    s.PieceX(r, ComputerSide) = to.x;
    s.PieceY(r, ComputerSide) = to.y;
    MoveReport report{.side = ComputerSide, .piece = r, .direction = move.direction, .to = to};
    CaptureOn(s, to.x, to.y, PlayerSide, view, report);
    view.Locate(to.x, to.y, ComputerSide, r);
    view.PrintMoveValue(to.x, to.y, s.MoveValues(to.x, to.y));
    if (to.y == PlayerHomeRow) {
        // Seen arriving on the player's home row, then off the board for five points.
        s.Score(ComputerSide) += 5;
        TakeOff(s, r, ComputerSide, view);
        view.PlayWav("zam2.wav");
        report.far_row = true;
    }
    view.ShowScore(ComputerSide);
    view.MoveMade(report);
    s.Phase = PhaseChoosePiece;
}

bool GameOver(const GameState& s) {
    return s.ComputerPieces < 1 || s.PlayerPieces < 1;
}

void ScoreSurvivors(GameState& s, MoveView& view) {
    // The counters are left as they are: the pieces leave the board, not the game.
    for (int n = 0; n < PiecesPerSide; ++n) {
        for (int side : {PlayerSide, ComputerSide}) {
            if (s.PieceX(n, side) >= 0) {
                s.PieceX(n, side) = -1;
                view.Locate(-1, -1, static_cast<Integer>(side), static_cast<Integer>(n));
                s.Score(side) += 1;
            }
        }
    }
}

int Winner(const GameState& s) {
    return s.Score(ComputerSide) > s.Score(PlayerSide) ? ComputerSide : PlayerSide;
}

}  // namespace game
