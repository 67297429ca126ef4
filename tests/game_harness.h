#pragma once
// Plays games inside the real turn loop: scripted random numbers, one scripted
// input fed at each pump of the event loop, pauses and sounds recorded.

#include <QTest>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "clicks.h"
#include "fixtures.h"
#include "game/form1.h"
#include "platform/keys.h"
#include "platform/window/events.h"
#include "seam.h"

namespace testing_support {

// Thrown out of the pump once the program has ended, to leave the game's loops
// the way the real end of the program would: at once.
struct ProgramEnded : std::exception {};

class GameHarness {
public:
    using Step = std::function<void(game::Form1&)>;

    explicit GameHarness(game::Form1& form)
        : form_(form), do_events_(platform::Pump().do_events, [this] { Pump(); }),
          wait_(platform::Pump().wait_for_events, [this] { Pump(); }),
          frame_(platform::Pump().wait_for_frame, [this] { Pump(); }) {}

    // Queues an input; one is fed at each pump.
    void Then(Step step) { steps_.push_back(std::move(step)); }

    // Inputs as a player gives them.
    static Step ClickPiece(int index) {
        return [index](game::Form1& f) { testing_support::Click(f, f.Image1(index)); };
    }
    static Step ClickDirection(int direction) {
        return [direction](game::Form1& f) { testing_support::Click(f, f.Image2(direction)); };
    }
    static Step Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        return [key, modifiers](game::Form1& f) { QTest::keyClick(f.Picture1().Widget(), key, modifiers); };
    }
    static Step ClickOk() {
        return [](game::Form1& f) { QTest::mouseClick(f.Command1().Widget(), Qt::LeftButton); };
    }
    static Step CloseWindow() {
        return [](game::Form1& f) { f.Window()->close(); };
    }

    int pumps() const { return pumps_; }
    bool script_done() const { return steps_.empty(); }
    RecordedEnd end;

    // Runs at every pump before the step is fed, to look at the game as it goes.
    std::function<void(game::Form1&)> watch;

private:
    void Pump() {
        ++pumps_;
        if (watch && form_.Loaded())
            watch(form_);
        if (!steps_.empty() && form_.Loaded()) {
            Step step = std::move(steps_.front());
            steps_.pop_front();
            step(form_);
        }
        if (end.ends > 0)
            throw ProgramEnded();
        platform::ProcessPendingEvents();
        if (end.ends > 0)
            throw ProgramEnded();
        // A script that ran out while the game still waits would wait for ever.
        if (steps_.empty() && ++idle_pumps_ > 100000)
            throw std::runtime_error("the game still waits for input after the script ended");
    }

    game::Form1& form_;
    std::deque<Step> steps_;
    int pumps_ = 0;
    int idle_pumps_ = 0;
    platform::Replace<std::function<void()>> do_events_;
    platform::Replace<std::function<void()>> wait_;
    platform::Replace<std::function<void()>> frame_;
};

}  // namespace testing_support
