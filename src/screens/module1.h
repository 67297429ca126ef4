#pragma once
// The program's entry and the steps it is made of.

namespace game {
class Form1;
}

namespace screens {

class Demoform;
class Form2;

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
