#pragma once
// Runs Main's sequence of screens on real windows: the demo ticks by hand, the title
// window gets scripted clicks, and the real game window loads a game that is over at once.

#include <QTest>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "clicks.h"
#include "fixtures.h"
#include "game/form1.h"
#include "globals/globals.h"
#include "platform/window/events.h"
#include "screens/demoform.h"
#include "screens/form2.h"
#include "screens/module1.h"

namespace screens_testing {

// Module1's globals as at the start of the program, restored afterwards.
class FreshGlobals {
public:
    FreshGlobals()
        : tries_(globals::ComputerTries), music_off_(globals::MusicOff), midi_file_(globals::MidiFile) {
        globals::ComputerTries = 0;
        globals::MusicOff = platform::False;
        globals::MidiFile.clear();
    }
    ~FreshGlobals() {
        globals::ComputerTries = tries_;
        globals::MusicOff = music_off_;
        globals::MidiFile = midi_file_;
    }

private:
    platform::Integer tries_;
    platform::Boolean music_off_;
    std::string midi_file_;
};

// Thrown out of the pump once the program has ended, leaving Main's sequence as the real end would.
struct ProgramEnded : std::exception {};

class ScreensHarness {
public:
    using TitleStep = std::function<void(screens::Form2&)>;

    ~ScreensHarness() {
        demo.Unload();
        title.Unload();
        game.Unload();
        platform::ProcessPendingEvents();
    }

    // What the player does on the title window, one step at each pump while it is up.
    void OnTitle(std::initializer_list<TitleStep> steps) { title_steps_.insert(title_steps_.end(), steps); }
    static void Start(screens::Form2& f) { QTest::mouseClick(f.Command1().Widget(), Qt::LeftButton); }
    static void Hard(screens::Form2& f) { QTest::mouseClick(f.Option1(1).Widget(), Qt::LeftButton); }
    static void Music(screens::Form2& f) { testing_support::Click(f, f.Image1()); }
    static void CloseBox(screens::Form2& f) { f.Window()->close(); }

    int close_demo_at_tick = -1;  // the player closes the demo instead of letting this tick run

    testing_support::ScriptedRandom random{[](std::size_t k) { return (k % 4) / 4.0; }};
    testing_support::RecordedSounds sounds;
    screens::Demoform demo;
    screens::Form2 title;
    game::Form1 game;
    // "demo", "title (Easy)", "game 10", "end", ...; and what the game window's first pump
    // found wrong with the music keeper.
    std::vector<std::string> log;
    int ends = 0;

private:
    void Pump() {
        if (++pumps_ > 1000)
            throw std::runtime_error("the screens still wait after the script ended");
        if (demo.Visible()) {
            if (demo.DemoTick == 0)
                log.push_back("demo");
            if (demo.DemoTick == close_demo_at_tick)
                demo.Window()->close();
            else
                demo.Timer1_Timer();
        } else if (game.Loaded() && game.Visible()) {
            PumpGame();
        } else if (title.Visible()) {
            if (!title_seen_)
                log.push_back(title.Option1(0).Value() && !title.Option1(1).Value() ? "title (Easy)"
                                                                                    : "title");
            title_seen_ = true;
            if (title_steps_.empty())
                throw std::runtime_error("the title window waits for a step the script does not give");
            TitleStep step = title_steps_.front();
            title_steps_.pop_front();
            step(title);
        }
        title_seen_ = title.Visible();
        if (ends > 0)
            throw ProgramEnded();
    }

    // The game window's first pump gives the music keeper one tick and ends the game at
    // once, as if the computer had lost its last piece; the end animation gets OK.
    void PumpGame() {
        // The game window waits to be on screen before it plays: let the window system say so.
        platform::ProcessPendingEvents();
        if (!game.Loaded())
            return;
        if (game.Command1().Visible()) {
            if (game.Timer1().Interval() != 0)
                log.push_back("music keeper still running at the end");
            testing_support::Click(game, game.Command1());
            return;
        }
        if (game.Phase != 0)
            return;
        log.push_back("game " + std::to_string(globals::ComputerTries));
        if (title.Loaded())
            log.push_back("title still loaded");
        if (globals::MidiFile != "zaming.mid" || game.Timer1().Interval() != 2000)
            log.push_back("music keeper not ready: " + globals::MidiFile);
        game.Timer1_Timer();
        game.ComputerPieces = 0;
        game.Phase = 2;
    }

    std::deque<TitleStep> title_steps_;
    int pumps_ = 0;
    bool title_seen_ = false;
    platform::Replace<std::function<void()>> do_events_{platform::Pump().do_events, [this] { Pump(); }};
    platform::Replace<std::function<void()>> wait_{platform::Pump().wait_for_events, [this] { Pump(); }};
    platform::Replace<std::function<void()>> frame_{platform::Pump().wait_for_frame, [this] { Pump(); }};
    platform::Replace<std::function<void()>> end_{platform::Kernel().end, [this] {
                                                      ++ends;
                                                      log.push_back(game.Loaded() ? "end in a game" : "end");
                                                  }};
};

}  // namespace screens_testing
