#include "screens/module1.h"

#include "game/form1.h"
#include "platform/events.h"

namespace screens {

void Main() {
    static game::Form1 form1;
    form1.Show();
    // Until the turn loop plays the game inside the window's load, the game window
    // stays up until someone closes it; its close handler ends the program.
    while (form1.Visible())
        platform::WaitForEvents();
    form1.Unload();
}

}  // namespace screens
