#include "screens/module1.h"

#include "game/form1.h"

namespace screens {

void Main() {
    static game::Form1 form1;
    // Until the title window offers the choice, every game is played on Easy.
    ComputerTries = 10;
    for (;;) {
        // The whole game runs inside the showing; the window hides itself after OK.
        form1.Show();
        form1.Unload();
    }
}

}  // namespace screens
