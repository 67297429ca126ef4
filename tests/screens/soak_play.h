#pragma once
// Game after game in one process, through the program's own sequence of screens:
// the demo once, then title and game by turns on the same three windows, as Main
// runs them. A simple player makes the moves (the scripted player of the self-play
// statistics) and presses OK at the end; the title gets Start, now and then Hard or
// the music switch. The sounds really play (on whatever driver SDL was given); the
// pauses take no time. Between games the memory and the live widgets are measured.

#include <QApplication>
#include <QTest>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <unistd.h>

#include "clicks.h"
#include "game/form1.h"
#include "game/self_play.h"
#include "platform/kernel.h"
#include "platform/window/events.h"
#include "screens/demoform.h"
#include "screens/form2.h"
#include "screens/module1.h"
#include "seam.h"

namespace testing_support {

// Resident memory of this process, in kilobytes.
inline long ResidentKilobytes() {
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

class SoakPlay {
public:
    static constexpr long MaxPumpsPerGame = 20000;

    void Demo() {
        screens::ShowDemo(demo_);
        platform::ProcessPendingEvents();  // the unloaded demo window is deleted at the next pump
    }

    // One title and one whole game, as one pass of Main's loop.
    void Game() {
        pumps_ = 0;
        title_steps_ = 0;
        screens::ShowTitleThenGame(title_, game_);
        platform::ProcessPendingEvents();
        ++games_;
    }

    int games() const { return games_; }
    long moves() const { return moves_; }
    static int LiveWidgets() { return QApplication::allWidgets().size(); }

private:
    void Pump() {
        if (++pumps_ > MaxPumpsPerGame)
            throw std::runtime_error("a game of the soak did not end");
        if (demo_.Visible()) {
            demo_.Timer1_Timer();
        } else if (title_.Visible()) {
            Title();
        } else if (game_.Loaded() && game_.Visible()) {
            Play();
        }
        platform::ProcessPendingEvents();
        if (ended_)
            throw std::runtime_error("the program ended during the soak");
    }

    void Title() {
        const int step = title_steps_++;
        if (games_ % 7 == 3 && step < 2)
            testing_support::Click(title_, title_.Image1());  // music off, then on again
        else if (games_ % 2 == 1 && !title_.Option1(1).Value())
            QTest::mouseClick(title_.Option1(1).Widget(), Qt::LeftButton);
        else
            QTest::mouseClick(title_.Command1().Widget(), Qt::LeftButton);
    }

    void Play() {
        game::Form1& f = game_;
        if (f.Phase == -1) {
            QTest::mouseClick(f.Command1().Widget(), Qt::LeftButton);
            return;
        }
        if (f.Phase > 1)
            return;
        game::GameState trial = f;
        const game::Integer direction = game::ScriptedPlayerChoice(trial);
        if (trial.Selected < 0)
            return;  // cannot happen while the player has a piece on the board
        if (f.Phase == 0 || f.Selected != trial.Selected) {
            testing_support::Click(f, f.Image1(trial.Selected));
            return;
        }
        static constexpr Qt::Key keys[] = {Qt::Key_Up, Qt::Key_Right, Qt::Key_Down, Qt::Key_Left};
        QTest::keyClick(f.Picture1().Widget(), keys[direction]);
        ++moves_;
    }

    screens::Demoform demo_;
    screens::Form2 title_;
    game::Form1 game_;
    int games_ = 0;
    long moves_ = 0;
    long pumps_ = 0;
    int title_steps_ = 0;
    bool ended_ = false;
    platform::Replace<std::function<void()>> do_events_{platform::Pump().do_events, [this] { Pump(); }};
    platform::Replace<std::function<void()>> wait_{platform::Pump().wait_for_events, [this] { Pump(); }};
    platform::Replace<std::function<void()>> frame_{platform::Pump().wait_for_frame, [this] { Pump(); }};
    platform::Replace<std::function<void(int)>> sleep_{platform::Pump().sleep, [](int) {}};
    platform::Replace<std::function<void()>> end_{platform::Kernel().end, [this] { ended_ = true; }};
};

}  // namespace testing_support
