// The game window's life: creating its controls, loading and closing.

#include "game/form1.h"

#include "layout/form1_layout.h"
#include "platform/kernel.h"

namespace game {

Form1::Form1() : platform::Form(layout::Form1Window, layout::Form1Controls) {}

void Form1::ControlsCreated() {
    c_.Timer1 = &Get<platform::Timer>("Timer1");
    c_.Command1 = &Get<platform::CommandButton>("Command1");
    c_.Picture1 = &Get<platform::PictureBox>("Picture1");
    c_.lblWinorLose = &Get<platform::Label>("lblWinorLose");
    c_.lblMV = &Get<platform::Label>("lblMV");
    for (int i = 0; i < 4; ++i)
        c_.Image2[i] = &Get<platform::Image>("Image2", i);
    c_.Shape1 = &Get<platform::Shape>("Shape1");
    for (int i = 0; i < 2 * PiecesPerSide; ++i)
        c_.Image1[i] = &Get<platform::Image>("Image1", i);
    for (int i = 0; i < 4; ++i)
        c_.lblScore[i] = &Get<platform::Label>("lblScore", i);
    for (int i = 0; i < 2; ++i)
        c_.Image0[i] = &Get<platform::Image>("Image0", i);

    c_.Timer1->on_timer = [this] { Timer1_Timer(); };
    c_.Command1->on_click = [this] { Command1_Click(); };
    c_.Picture1->on_key_down = [this](int key, int shift) { Picture1_KeyDown(key, shift); };
    for (int i = 0; i < 2 * PiecesPerSide; ++i)
        c_.Image1[i]->on_click = [this, i] { Image1_Click(i); };
    for (int i = 0; i < 4; ++i)
        c_.Image2[i]->on_click = [this, i] { Image2_Click(i); };
}

void Form1::ControlsDestroyed() { c_ = Controls{}; }

}  // namespace game
