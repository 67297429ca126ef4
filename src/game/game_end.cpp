// The end of a game: survivors score, the result shows and the winner's pieces
// jump about until the player presses OK.

#include <cmath>

#include "game/form1.h"
#include "game/spoken.h"
#include "platform/accessibility/accessibility.h"
#include "platform/kernel.h"
#include "platform/window/events.h"
#include "sound/tx_midi.h"

namespace game {

void Form1::GameEnd() {
    Command1().SetVisible(true);

    ScoreSurvivors(*this, *this);
    ShowScore(PlayerSide);
    ShowScore(ComputerSide);

    // Only the scores decide; equal scores are the player's win.
    const auto winner = static_cast<Integer>(Winner(*this));
    lblWinorLose().SetCaption(winner == PlayerSide ? "You Win." : "You Lose.");
    lblWinorLose().SetVisible(true);
    DescribePieces();
    platform::Announce(*this, ResultSentence(winner, Score(PlayerSide), Score(ComputerSide)));
    // The keyboard goes to OK: Space or Return closes the result.
    Command1().SetFocus();

    // The music keeper has stopped, so the fanfare plays once.
    sound::PlayMidi("endzam.mid");

    EndLoop = platform::True;
    Integer k = 0;
    auto pass = [&] {
        k = static_cast<Integer>(k + 1 > PiecesPerSide - 1 ? 0 : k + 1);
        auto column = static_cast<Integer>(platform::RandomBelow(Columns));
        auto row = static_cast<Integer>(platform::RandomBelow(Rows));
        // Every one of the winner's pieces dances, those lost during play as well.
        Locate(column, row, winner, k);
        lblWinorLose().SetTop(static_cast<int>(2400 + 100 * platform::Rnd()));
    };
    do {
        // A frame's worth of passes, so that on every frame the screen shows each of the
        // winner's pieces has jumped and the banner has jittered; more would never be seen.
        // Then the thread waits for the next frame, handling events: OK and a close among them.
        for (int n = 0; n < PiecesPerSide; ++n)
            pass();
        platform::WaitForFrame();
    } while (EndLoop);
}

}  // namespace game
