// The game window's life: creating its controls, loading and closing.

#include "game/form1.h"

#include "layout/form1_layout.h"
#include "platform/kernel.h"

namespace game {

Form1::Form1() : platform::Form(layout::Form1Window, layout::Form1Controls) {}

void Form1::ControlsCreated() {
    Timer1().on_timer = [this] { Timer1_Timer(); };
    Command1().on_click = [this] { Command1_Click(); };
    Picture1().on_key_down = [this](int key, int shift) { Picture1_KeyDown(key, shift); };
    for (int i = 0; i < 2 * PiecesPerSide; ++i)
        Image1(i).on_click = [this, i] { Image1_Click(i); };
    for (int d = MoveUp; d <= MoveLeft; ++d)
        Image2(d).on_click = [this, d] { Image2_Click(d); };
}

}  // namespace game
