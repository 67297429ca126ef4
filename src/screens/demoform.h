#pragma once
// The opening demo: the maker's name drawn letter by letter beside a small figure
// that crouches, stands up and raises its stick, then the year; one 200 ms timer
// drives it all and the window hides itself after the 24th tick.

#include "platform/types.h"
#include "platform/window/forms.h"

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

    // ---- The controls of the loaded window, by their names in the layout ------
    platform::Timer& Timer1() const { return Get<platform::Timer>("Timer1"); }
    platform::Label& Label1() const { return Get<platform::Label>("Label1"); }
    // The logo strokes, Line1(1) to Line1(layout::LogoStrokes).
    platform::LineSegment& Line1(int index) const { return Get<platform::LineSegment>("Line1", index); }
    platform::Image& Image1() const { return Get<platform::Image>("Image1"); }
    platform::Image& Image2() const { return Get<platform::Image>("Image2"); }
    platform::Image& Image3() const { return Get<platform::Image>("Image3"); }
    platform::Image& Image4() const { return Get<platform::Image>("Image4"); }
    platform::Image& Image5() const { return Get<platform::Image>("Image5"); }

protected:
    void Form_Load() override;
    void ControlsCreated() override;

private:
    void ShowStrokes(int first, int last);
    // Moves the figure by (dx, dy) twips and gives it the picture of a pose store.
    void MoveFigure(int dx, int dy, const platform::Image& pose);
};

}  // namespace screens
