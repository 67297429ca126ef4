#pragma once
// The program's entry and the globals that cross windows.

#include <string>
#include <vector>

#include "platform/types.h"

namespace game {
class Form1;
}

namespace screens {

class Demoform;
class Form2;

// Random attempts of the computer's search for a capture: 10 on Easy, 30 on Hard.
inline platform::Integer ComputerTries = 0;
// True (-1) while the music is switched off.
inline platform::Boolean MusicOff = platform::False;
// The tune that the game's music keeper restarts.
inline std::string MidiFile;

// Runs the program's windows; it ends only when a window's close handler ends the program.
void Main();

// The steps Main is made of, on windows of the caller's choosing.
// The demo until it hides itself (or is closed), then unloaded for good.
void ShowDemo(Demoform& demo);
// The title window until Start hides it, then one whole game in the game window.
void ShowTitleThenGame(Form2& title, game::Form1& game);
// Main's sequence, stopping after the given number of games instead of going on for ever.
void RunScreens(Demoform& demo, Form2& title, game::Form1& game, int games);

}  // namespace screens
