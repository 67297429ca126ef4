#pragma once
// The opening demo: the maker's name drawn letter by letter beside a small figure
// that crouches, stands up and raises its stick, then the year; one 200 ms timer
// drives it all and the window hides itself after the 24th tick.

#include <array>

#include "layout/demoform_layout.h"
#include "platform/forms.h"
#include "platform/types.h"

namespace screens {

class Demoform : public platform::Form {
public:
    Demoform();

    // Counts the timer's ticks; it starts at 0 with the window object and is never reset.
    platform::Integer DemoTick = 0;
    // True once a key with a modifier has silenced the demo sound.
    platform::Boolean NoPlayMode = platform::False;

    // ---- Event handlers -----------------------------------------------------------
    void Timer1_Timer();
    void Form_KeyDown(int KeyCode, int Shift) override;

    // ---- The controls of the loaded window ------------------------------------
    platform::Timer& Timer1() const { return *c_.Timer1; }
    platform::Label& Label1() const { return *c_.Label1; }
    platform::LineSegment& Line1(int index) const { return *c_.Line1.at(index); }
    platform::Image& Image1() const { return *c_.Image1; }
    platform::Image& Image2() const { return *c_.Image2; }
    platform::Image& Image3() const { return *c_.Image3; }
    platform::Image& Image4() const { return *c_.Image4; }
    platform::Image& Image5() const { return *c_.Image5; }

protected:
    void Form_Load() override;
    void ControlsCreated() override;
    void ControlsDestroyed() override;

private:
    void ShowStrokes(int first, int last);
    // Moves the figure by (dx, dy) twips and gives it the picture of a pose store.
    void MoveFigure(int dx, int dy, const platform::Image& pose);

    struct Controls {
        platform::Timer* Timer1 = nullptr;
        platform::Label* Label1 = nullptr;
        // Indexed 1..LogoStrokes like the strokes themselves; element 0 stays empty.
        std::array<platform::LineSegment*, layout::LogoStrokes + 1> Line1{};
        platform::Image* Image1 = nullptr;
        platform::Image* Image2 = nullptr;
        platform::Image* Image3 = nullptr;
        platform::Image* Image4 = nullptr;
        platform::Image* Image5 = nullptr;
    };
    Controls c_;
};

}  // namespace screens
