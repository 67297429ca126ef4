// The end of a game: survivors score, the result shows and the winner's pieces
// jump about until the player presses OK.

#include <cmath>

#include "game/form1.h"
#include "platform/events.h"
#include "platform/kernel.h"
#include "sound/tx_midi.h"

namespace game {

void Form1::GameEnd() {
    Command1().SetVisible(true);

    for (int n = 0; n < PiecesPerSide; ++n) {
        for (int side : {PlayerSide, ComputerSide}) {
            if (PieceX(n, side) >= 0) {
                PieceX(n, side) = -1;
                Locate(-1, -1, static_cast<Integer>(side), static_cast<Integer>(n));
                Score(side) += 1;
            }
        }
    }
    WriteScore(PlayerSide);
    WriteScore(ComputerSide);

    // Only the scores decide; equal scores are the player's win.
    lblWinorLose().SetCaption("You Win.");
    Integer winner = PlayerSide;
    if (Score(ComputerSide) > Score(PlayerSide)) {
        lblWinorLose().SetCaption("You Lose.");
        winner = ComputerSide;
    }
    lblWinorLose().SetVisible(true);

    // The music keeper has stopped, so the fanfare plays once.
    sound::PlayMidi("endzam.mid");

    EndLoop = platform::True;
    Integer k = 0;
    do {
        k = static_cast<Integer>(k + 1 > PiecesPerSide - 1 ? 0 : k + 1);
        auto column = static_cast<Integer>(platform::RandomBelow(Columns));
        auto row = static_cast<Integer>(platform::RandomBelow(Rows));
        // Every one of the winner's pieces dances, those lost during play as well.
        Locate(column, row, winner, k);
        lblWinorLose().SetTop(static_cast<int>(2400 + 100 * platform::Rnd()));
        platform::DoEvents();
    } while (EndLoop);
}

}  // namespace game
