// The computer's half of a turn: carry out the move its choice made.

#include "game/computer_choice.h"
#include "game/form1.h"
#include "screens/module1.h"
#include "sound/tx_wav.h"

namespace game {

void Form1::ZAMPhase() {
    const ComputerMove move = ChooseComputerMove(*this, screens::ComputerTries);
    if (move.piece < 0) {
        // Only an inconsistent board has no computer piece here; hand the turn back.
        Phase = 0;
        return;
    }
    const Integer r = move.piece;
    sound::PlayWav("zam3.wav");
    const Cell to = ComputerTarget(*this, move);
    PieceX(r, ComputerSide) = to.x;
    PieceY(r, ComputerSide) = to.y;

    for (int c = 0; c < PiecesPerSide; ++c) {
        if (PieceX(c, PlayerSide) == to.x && PieceY(c, PlayerSide) == to.y) {
            TakeOff(c, PlayerSide);
            Score(ComputerSide) += 1;
            sound::PlayWav("zam4.wav");
        }
    }

    Locate(to.x, to.y, ComputerSide, r);
    PrintMoveValue(to.x, to.y, MoveValues(to.x, to.y));

    if (to.y == PlayerHomeRow) {
        // Seen arriving on the player's home row, then off the board for five points.
        PieceX(r, ComputerSide) = -1;
        PieceY(r, ComputerSide) = -1;
        Score(ComputerSide) += 5;
        Locate(-1, -1, ComputerSide, r);
        --ComputerPieces;
        sound::PlayWav("zam2.wav");
    }
    WriteScore(ComputerSide);
    Phase = 0;
}

}  // namespace game
