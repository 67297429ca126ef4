// The player's half of a turn: choose a piece, then a direction.

#include "game/form1.h"
#include "platform/kernel.h"
#include "platform/keys.h"
#include "sound/tx_wav.h"

namespace game {

void Form1::Image1_Click(int Index) {
    if (Index > PiecesPerSide - 1 || Phase > 1)
        return;
    // During the end animation the player's pieces jump about although they have left
    // the board; a click on one of them must not choose a piece that is not on the board.
    if (Index < 0 || !OnBoard(Index, PlayerSide))
        return;
    Selected = static_cast<Integer>(Index);
    Locate(PieceX(Index, PlayerSide), PieceY(Index, PlayerSide), 2, -1);
    Phase = 1;
}

void Form1::Image2_Click(int Index) {
    if (Phase == 1)
        MoveYourChr(static_cast<Integer>(Index));
}

void Form1::Picture1_KeyDown(int KeyCode, int /*Shift*/) {
    // The shift state is not looked at: an arrow key moves whatever modifiers are held.
    if (Phase != 1)
        return;
    switch (KeyCode) {
    case platform::KeyLeft: MoveYourChr(MoveLeft); break;
    case platform::KeyUp: MoveYourChr(MoveUp); break;
    case platform::KeyRight: MoveYourChr(MoveRight); break;
    case platform::KeyDown: MoveYourChr(MoveDown); break;
    default: break;
    }
}

void Form1::MoveYourChr(Integer I) {
    // Never move a piece that is not on the board: its cell would lie outside the board's arrays.
    if (Selected < 0 || Selected >= PiecesPerSide || !OnBoard(Selected, PlayerSide))
        return;
    const Integer x = PieceX(Selected, PlayerSide);
    const Integer y = PieceY(Selected, PlayerSide);
    const Integer v = MoveValues(x, y);
    constexpr Integer Blocked = 1;  // only the player's own pieces block a move

    switch (I) {
    case MoveUp:
        // The top edge never refuses: a piece that reaches or passes row 0 stops there,
        // and nothing of the player's ever stays on row 0 to block it.
        if (y > v) {
            if (Kcheck(x, y - v) == Blocked)
                return;
            PieceY(Selected, PlayerSide) = y - v;
        } else {
            PieceY(Selected, PlayerSide) = 0;
        }
        break;
    case MoveRight:
        if (x >= Columns - v || Kcheck(x + v, y) == Blocked)
            return;
        PieceX(Selected, PlayerSide) = x + v;
        break;
    case MoveDown:
        if (y > Rows - 1 - v || Kcheck(x, y + v) == Blocked)
            return;
        PieceY(Selected, PlayerSide) = y + v;
        break;
    case MoveLeft:
        if (x < v || Kcheck(x - v, y) == Blocked)
            return;
        PieceX(Selected, PlayerSide) = x - v;
        break;
    default:
        return;
    }

    const Integer nx = PieceX(Selected, PlayerSide);
    const Integer ny = PieceY(Selected, PlayerSide);
    Locate(0, 0, 2, 0);
    sound::PlayWav("zam1.wav");
    for (int i = 0; i < PiecesPerSide; ++i) {
        if (PieceX(i, ComputerSide) == nx && PieceY(i, ComputerSide) == ny) {
            TakeOff(i, ComputerSide);
            Score(PlayerSide) += 1;
            sound::PlayWav("zam4.wav");
        }
    }
    Locate(nx, ny, PlayerSide, Selected);
    PrintMoveValue(nx, ny, MoveValues(nx, ny));
    if (PieceY(Selected, PlayerSide) == ComputerHomeRow) {
        // Seen arriving on the far row, then off the board for five points.
        PieceX(Selected, PlayerSide) = -1;
        PieceY(Selected, PlayerSide) = -1;
        Score(PlayerSide) += 5;
        Locate(-1, -1, PlayerSide, Selected);
        --PlayerPieces;
        sound::PlayWav("zam2.wav");
        platform::Sleep(1000);
    }
    WriteScore(PlayerSide);
    Phase = 2;
}

}  // namespace game
