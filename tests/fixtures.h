#pragma once
// Scripted stand-ins for the platform calls a test must control.

#include <cstddef>
#include <functional>
#include <vector>

#include "game/form1.h"
#include "platform/kernel.h"
#include "platform/seam.h"

namespace testing_support {

// Replaces the random generator with a script of numbers; counts the draws.
class ScriptedRandom {
public:
    explicit ScriptedRandom(std::function<double(std::size_t draw)> script)
        : script_(std::move(script)), rnd_(platform::Kernel().rnd, [this] { return script_(draws_++); }),
          randomize_(platform::Kernel().randomize, [this] { ++seeds_; }) {}

    std::size_t draws() const { return draws_; }
    int seeds() const { return seeds_; }

private:
    std::function<double(std::size_t)> script_;
    std::size_t draws_ = 0;
    int seeds_ = 0;
    platform::Replace<std::function<double()>> rnd_;
    platform::Replace<std::function<void()>> randomize_;
};

// Records the requested pauses instead of waiting.
class RecordedSleep {
public:
    RecordedSleep() : sleep_(platform::Kernel().sleep, [this](int ms) { pauses.push_back(ms); }) {}
    std::vector<int> pauses;

private:
    platform::Replace<std::function<void(int)>> sleep_;
};

// Records the end of the program instead of exiting.
class RecordedEnd {
public:
    RecordedEnd() : end_(platform::Kernel().end, [this] { ++ends; }) {}
    int ends = 0;

private:
    platform::Replace<std::function<void()>> end_;
};

// A game window whose load only sets up the board and shows it, without playing:
// for looking at the board and its primitives between moves.
class SetUpOnlyForm1 : public game::Form1 {
protected:
    void Form_Load() override {
        platform::Randomize();
        Init();
        Show();
    }
};

}  // namespace testing_support
