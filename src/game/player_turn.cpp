// The player's half of a turn: choose a piece, then a direction.

#include "game/form1.h"
#include "game/spoken.h"
#include "platform/accessibility/accessibility.h"
#include "platform/keys.h"
#include "sound/tx_wav.h"

namespace game {

void Form1::Image1_Click(int Index) {
    if (Index > PiecesPerSide - 1 || Phase > PhasePieceChosen)
        return;
    // During the end animation the player's pieces jump about although they have left
    // the board; a click on one of them must not choose a piece that is not on the board.
    if (Index < 0 || !OnBoard(Index, PlayerSide))
        return;
    Selected = static_cast<Integer>(Index);
    Locate(PieceX(Index, PlayerSide), PieceY(Index, PlayerSide), MarkerMode, ShowMarker);
    Phase = PhasePieceChosen;
    sound::ExpectWav();  // the move's effect
    platform::Choose(*this, &Image1(Index));
    platform::Announce(*this, PieceName(PlayerSide, Index) + " chosen, " +
                                  Where(PieceX(Index, PlayerSide), PieceY(Index, PlayerSide)) + ".");
}

void Form1::Image2_Click(int Index) {
    if (Phase == PhasePieceChosen)
        MoveYourChr(*this, static_cast<Integer>(Index), *this);
}

void Form1::Picture1_KeyDown(int KeyCode, int /*Shift*/) {
    // The shift state is not looked at: an arrow key moves whatever modifiers are held.
    if (Phase != PhasePieceChosen)
        return;
    switch (KeyCode) {
    case platform::KeyLeft:
        MoveYourChr(*this, MoveLeft, *this);
        break;
    case platform::KeyUp:
        MoveYourChr(*this, MoveUp, *this);
        break;
    case platform::KeyRight:
        MoveYourChr(*this, MoveRight, *this);
        break;
    case platform::KeyDown:
        MoveYourChr(*this, MoveDown, *this);
        break;
    default:
        break;
    }
}

}  // namespace game
