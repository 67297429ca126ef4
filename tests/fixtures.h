#pragma once
// Scripted stand-ins for the platform calls a test must control.

#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "game/form1.h"
#include "platform/kernel.h"
#include "platform/sound/sequencer.h"
#include "platform/sound/waveplayer.h"
#include "platform/window/events.h"
#include "seam.h"

namespace testing_support {

// Gives every cell of the declared board, column 16 and row 14 too, the move value v.
inline void FillMoveValues(game::GameState& s, game::Integer v) {
    for (int x = 0; x <= game::Columns; ++x) {
        for (int y = 0; y <= game::Rows; ++y)
            s.MoveValues(x, y) = v;
    }
}

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
    RecordedSleep() : sleep_(platform::Pump().sleep, [this](int ms) { pauses.push_back(ms); }) {}
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

// Records the effects started, those expected and the sequencer commands sent, and plays nothing.
// A status question is answered "playing" while a tune is open and `playing` holds.
class RecordedSounds {
public:
    RecordedSounds()
        : wave_(platform::WavePlayer().play_sound,
                [this](const char* file) { effects.push_back(file ? file : ""); }),
          expect_(platform::WavePlayer().expect_sound, [this] { ++expected; }),
          sequencer_(platform::Sequencer().send_string,
                     [this](const std::string& command, char* reply, int length) {
                         return Command(command, reply, length);
                     }) {}

    std::vector<std::string> effects;   // wave files, in the order they were started
    int expected = 0;                   // times an effect was said to be likely soon
    std::vector<std::string> commands;  // sequencer commands, exactly as sent
    std::vector<int> reply_lengths;
    std::vector<std::string> tunes;  // the file names of the tunes opened
    bool playing = true;

private:
    int Command(const std::string& command, char* reply, int length) {
        commands.push_back(command);
        reply_lengths.push_back(length);
        if (reply && length > 0)
            reply[0] = '\0';
        if (command.rfind("open ", 0) == 0) {
            std::size_t slash = command.rfind('/');
            std::size_t quote = command.rfind('"');
            tunes.push_back(command.substr(slash + 1, quote - slash - 1));
            open_ = true;
        } else if (command == "close Midi") {
            open_ = false;
        } else if (command == "Status Midi mode" && reply && length > 8) {
            std::strcpy(reply, open_ && playing ? "playing" : "stopped");
        }
        return 0;
    }

    bool open_ = false;
    platform::Replace<std::function<void(const char*)>> wave_;
    platform::Replace<std::function<void()>> expect_;
    platform::Replace<std::function<int(const std::string&, char*, int)>> sequencer_;
};

// A game window whose load only sets up the board and shows it, without playing:
// for looking at the board and its primitives between moves.
class SetUpOnlyForm1 : public game::Form1 {
public:
    // Takes a piece off the board as a capture would.
    void TakeOffForTest(int piece, int side) {
        PieceX(piece, side) = -1;
        PieceY(piece, side) = -1;
        Locate(-1, -1, static_cast<game::Integer>(side), static_cast<game::Integer>(piece));
        --(side == game::PlayerSide ? PlayerPieces : ComputerPieces);
    }

protected:
    void Form_Load() override {
        platform::Randomize();
        Init();
        Show();
    }
};

}  // namespace testing_support
