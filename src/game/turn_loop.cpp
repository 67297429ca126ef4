// One game is one loading of the game window: set-up, the turn loop, the end.

#include <string>

#include "game/form1.h"
#include "game/spoken.h"
#include "globals/globals.h"
#include "platform/accessibility/accessibility.h"
#include "platform/kernel.h"
#include "platform/window/events.h"
#include "sound/tx_midi.h"
#include "sound/tx_wav.h"

namespace game {

void Form1::Form_Load() {
    platform::Randomize();
    Init();
    Game();
    Hide();
}

void Form1::Game() {
    Show();
    // The first tick of the music keeper starts the game tune, about two seconds from now.
    // Both are settled before any event is pumped, so that no tick finds another tune named.
    globals::MidiFile = "zaming.mid";
    Timer1().SetInterval(2000);
    // The move value animation draws without pumping events: the window must be on screen first.
    WaitUntilExposed();

    while (Phase > PhaseGameOver) {
        if (GameOver(*this))
            Phase = PhaseGameOver;
        if (Phase == PhaseChoosePiece || Phase == PhasePieceChosen) {
            // The player's clicks and keys arrive inside the pump and move Phase on.
            do {
                platform::WaitForEvents();
            } while (Phase < PhaseComputer);
        } else if (Phase >= PhaseComputer) {
            ZAMPhase(*this, globals::ComputerTries, *this);
        }
    }

    Timer1().SetInterval(0);
    sound::StopMidi();
    GameEnd();
}

void Form1::Timer1_Timer() {
    sound::KeepMidiPlaying();
}

void Form1::Command1_Click() {
    EndLoop = platform::False;
}

void Form1::Form_QueryUnload(platform::CloseReason reason) {
    // The program's own unloading after a game goes ahead quietly; any other close ends the program.
    if (reason == platform::CloseReason::Program)
        return;
    sound::StopMidi();
    platform::End();
}

void Form1::ShowScore(int side) {
    lblScore(side == PlayerSide ? 1 : 3).SetCaption("Score : " + std::to_string(Score(side)));
}

void Form1::MoveMade(const MoveReport& move) {
    platform::Choose(*this, nullptr);
    DescribePieces();
    const auto side = static_cast<Integer>(move.side);
    platform::Announce(*this, MoveSentence(move, MoveValues(move.to.x, move.to.y), Score(side)));
}

void Form1::DescribePieces() {
    for (int side : {PlayerSide, ComputerSide}) {
        for (int n = 0; n < PiecesPerSide; ++n) {
            platform::Describe(Image1(PiecesPerSide * side + n),
                               OnBoard(n, side) ? Where(PieceX(n, side), PieceY(n, side)) : "off the board");
        }
    }
}

void Form1::PlayWav(const char* file_name) {
    sound::PlayWav(file_name);
}

void Form1::Pause(int milliseconds) {
    platform::Sleep(milliseconds);
}

}  // namespace game
