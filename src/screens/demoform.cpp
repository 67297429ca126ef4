#include "screens/demoform.h"

#include <cmath>

#include "layout/demoform_layout.h"
#include "platform/keys.h"
#include "platform/sound/waveplayer.h"

namespace screens {

namespace {
constexpr int TickMilliseconds = 200;
}  // namespace

Demoform::Demoform() : platform::Form(layout::DemoformWindow, layout::DemoformControls) {}

void Demoform::ControlsCreated() {
    // The figure always takes the natural size of the pose it shows.
    Image1().SetAutoSize(true);
    Timer1().on_timer = [this] { Timer1_Timer(); };
}

void Demoform::Form_Load() {
    // Worked out in floating point so that an odd size does not push the window off centre.
    const double left = ScreenWidth() / 2.0 - Width() / 2.0;
    const double top = ScreenHeight() / 2.0 - Height() / 2.0;
    Move(static_cast<int>(std::lround(left)), static_cast<int>(std::lround(top)));

    Label1().SetVisible(false);
    for (int i = 1; i <= layout::LogoStrokes; ++i)
        Line1(i).SetVisible(false);
    Image1().SetPicture(Image2().GetPicture());
    Image1().SetTop(800);
    Timer1().SetInterval(TickMilliseconds);
}

void Demoform::Timer1_Timer() {
    switch (DemoTick) {
    case 1:
        if (NoPlayMode == platform::False)
            platform::PlaySound("TXDEMO.WAV");
        break;
    case 4:
        ShowStrokes(1, 2);
        MoveFigure(-70, 0, Image3());
        break;
    case 5:
        ShowStrokes(3, 6);
        MoveFigure(70, 0, Image2());
        break;
    case 6:
        ShowStrokes(7, 9);
        MoveFigure(0, -750, Image4());
        break;
    case 7:
        ShowStrokes(10, 13);
        MoveFigure(0, 750, Image2());
        break;
    case 8:
        ShowStrokes(14, 17);
        MoveFigure(0, -750, Image4());
        break;
    case 9:
        ShowStrokes(18, 19);
        MoveFigure(20, 0, Image5());
        break;
    case 13:
        Label1().SetVisible(true);
        break;
    case 23:
        Timer1().SetInterval(0);
        // Main's wait sees the window go and moves on to the title window.
        Hide();
        break;
    default:
        break;
    }
    ++DemoTick;
}

void Demoform::Form_KeyDown(int KeyCode, int Shift) {
    // A modifier key reports itself before its bit is set on some systems, so it counts on its own too.
    const bool modifier_key =
        KeyCode == platform::KeyShift || KeyCode == platform::KeyControl || KeyCode == platform::KeyAlt;
    if (Shift == 0 && !modifier_key)
        return;
    // The empty sound cuts off the demo sound, and nothing starts it again.
    platform::PlaySound("Dummy.wav");
    NoPlayMode = platform::True;
}

void Demoform::ShowStrokes(int first, int last) {
    for (int i = first; i <= last; ++i)
        Line1(i).SetVisible(true);
}

void Demoform::MoveFigure(int dx, int dy, const platform::Image& pose) {
    Image1().SetVisible(false);
    Image1().Move(Image1().Left() + dx, Image1().Top() + dy);
    Image1().SetPicture(pose.GetPicture());
    Image1().SetVisible(true);
}

}  // namespace screens
