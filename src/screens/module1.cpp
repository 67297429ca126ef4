#include "screens/module1.h"

#include "game/form1.h"
#include "platform/window/events.h"
#include "platform/window/forms.h"
#include "screens/demoform.h"
#include "screens/form2.h"
#include "sound/tx_midi.h"

namespace screens {

namespace {

// Pumps once whatever happens, then blocks on the event queue while the window is up:
// its handlers run inside the pump, and the one that hides the window ends the wait.
void WaitWhileVisible(const platform::Form& form) {
    platform::DoEvents();
    while (form.Visible())
        platform::WaitForEvents();
}

}  // namespace

void ShowDemo(Demoform& demo) {
    demo.Show();
    WaitWhileVisible(demo);
    demo.Unload();
}

void ShowTitleThenGame(Form2& title, game::Form1& game) {
    title.Show();
    WaitWhileVisible(title);
    title.Unload();
    // The whole game runs inside the showing; the window hides itself after OK.
    game.Show();
    game.Unload();
}

void RunScreens(Demoform& demo, Form2& title, game::Form1& game, int games) {
    ShowDemo(demo);
    for (int played = 0; played < games; ++played)
        ShowTitleThenGame(title, game);
}

void Main() {
    // One instance of each window for the whole run. They are never destroyed: the program
    // ends inside a window's own close handler, and destroying them on the way out would
    // delete that window in the middle of handling its close.
    auto& demoform = *new Demoform;
    auto& form2 = *new Form2;
    auto& form1 = *new game::Form1;
    // Reading the sound font takes a while, so the synthesizer is made while the demo runs
    // and the title's music starts with its window. It is made a moment after the demo
    // window has come on screen, so that the two do not compete for the processor.
    platform::RunLater(100, [] { sound::PrepareMidi(); });
    ShowDemo(demoform);
    for (;;)
        ShowTitleThenGame(form2, form1);
}

}  // namespace screens
