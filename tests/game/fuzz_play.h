#pragma once
// Fuzzed play: whole games inside the real turn loop, fed a seeded stream of
// input at every pump of the event loop (clicks anywhere, on any piece, on the
// direction buttons and OK; any keys with any modifiers), with bursts of input
// queued while the game pumps nothing (a move, the computer's turn) and during
// the end animation. The game's invariants are checked after every event.
//
// The deal and the computer draw from a generator seeded per game, so a fault
// is replayed by its seed and game number. The effects and the music really play
// (on whatever driver SDL was given); the pauses of the move animation take no time.

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>
#include <cstdint>
#include <exception>
#include <functional>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "game/form1.h"
#include "game/self_play.h"
#include "globals/globals.h"
#include "platform/kernel.h"
#include "platform/sound/waveplayer.h"
#include "platform/window/events.h"
#include "seam.h"

namespace testing_support {

struct FuzzFigures {
    long games = 0;
    long events = 0;  // inputs handed to the game window, singly or in bursts
    long bursts = 0;  // batches of input queued while the game pumped nothing, or in the end animation
    long checks = 0;  // times the invariants were checked
    long player_moves = 0;
    long computer_moves = 0;
    long captures = 0;
    long arrivals = 0;
    long closes = 0;  // games ended by closing the window
    long player_wins = 0;
    long computer_wins = 0;
};

class FuzzedPlay : public QObject {
public:
    // A game that has not ended after this many pumps counts as hung.
    static constexpr long MaxPumpsPerGame = 60000;

    FuzzedPlay(std::uint64_t seed, game::Form1& form) : seed_(seed), form_(form) {
        qApp->installEventFilter(this);
    }
    ~FuzzedPlay() override { qApp->removeEventFilter(this); }

    // Closing the window ends a game now and then, as a player might: the odds per game,
    // or the next game for certain.
    double close_odds = 0.03;
    bool close_next = false;

    // Plays one whole game: the window is shown, the game runs inside the showing, and
    // the window is unloaded after OK (or after the close that ended the program).
    void PlayGame() {
        const long game = figures_.games++;
        platform::Seed(seed_ * 1000003u + static_cast<std::uint64_t>(game));
        input_rng_.seed(~seed_ * 7919u + static_cast<std::uint64_t>(game));
        globals::ComputerTries = Chance(0.5) ? 10 : 30;
        // Half the games are played by a player who mostly means it, so that the player wins
        // now and then and the end animation moves the player's pieces too.
        purposeful_ = Chance(0.5);
        tally_ = {};
        pumps_ = 0;
        // A game chosen for a close is closed early enough that it cannot be over by then.
        close_at_ = close_next || Chance(close_odds) ? Below(close_next ? 100 : 400) + 1 : -1;
        close_next = false;
        event_ = "the game window's set-up";
        try {
            form_.Show();
            if (form_.Score(game::PlayerSide) >= form_.Score(game::ComputerSide))
                ++figures_.player_wins;
            else
                ++figures_.computer_wins;
        } catch (const ProgramEnded&) {
            ++figures_.closes;
        } catch (const GameHung&) {
            Fault("the game did not end within " + std::to_string(MaxPumpsPerGame) + " pumps");
        }
        form_.Unload();
        platform::ProcessPendingEvents();
        ended_ = false;
    }

    const FuzzFigures& figures() const { return figures_; }
    // Every broken invariant, with the seed, game and event that led to it.
    const std::vector<std::string>& faults() const { return faults_; }

    std::string Report() const {
        std::ostringstream out;
        out << figures_.games << " games (" << figures_.player_wins << " won by the player, "
            << figures_.computer_wins << " by the computer, " << figures_.closes << " closed), "
            << figures_.events << " input events, " << figures_.bursts << " bursts, " << figures_.checks
            << " checks, " << figures_.player_moves << " player moves, " << figures_.computer_moves
            << " computer moves, " << figures_.captures << " captures, " << figures_.arrivals << " arrivals, "
            << faults_.size() << " faults";
        return out.str();
    }

private:
    struct ProgramEnded : std::exception {};
    struct GameHung : std::exception {};

    // What each side has done this game, from the effects the player hears: a move
    // sound names the side that moves, and the captures and arrivals after it are its own.
    struct Tally {
        int mover = -1;
        int captures[2] = {0, 0};
        int arrivals[2] = {0, 0};
    };

    // ---- Randomness -----------------------------------------------------------
    double Uniform(std::mt19937_64& rng) { return static_cast<double>(rng() >> 11) * 0x1.0p-53; }
    bool Chance(double p) { return Uniform(input_rng_) < p; }
    int Below(int n) { return static_cast<int>(input_rng_() % static_cast<std::uint64_t>(n)); }

    // ---- The platform seams -------------------------------------------------------
    void Pump() {
        if (++pumps_ > MaxPumpsPerGame)
            throw GameHung();
        Check("at a pump");
        if (form_.Loaded() && form_.Window()->isVisible()) {
            if (pumps_ == close_at_) {
                event_ = "a close by the user";
                form_.Window()->close();
            } else if (form_.Phase < 0 && Chance(0.15)) {
                QueueBurst(Below(30) + 1, "a burst in the end animation");
            } else {
                QueueInput();
            }
        }
        platform::ProcessPendingEvents();
        if (ended_)
            throw ProgramEnded();
        Check("after the pump");
    }

    void Sleep(int) {
        // Input that arrives during a move or the computer's turn waits in the queue until the next pump.
        if (form_.Loaded() && Chance(0.01))
            QueueBurst(Below(8) + 1,
                       form_.Phase == 2 ? "a burst in the computer's turn" : "a burst in a move");
    }

    void Effect(const char* file) {
        const std::string name = file ? file : "";
        if (name == "zam1.wav") {
            tally_.mover = game::PlayerSide;
            ++figures_.player_moves;
        } else if (name == "zam3.wav") {
            tally_.mover = game::ComputerSide;
            ++figures_.computer_moves;
        } else if (name == "zam4.wav" || name == "zam2.wav") {
            if (tally_.mover < 0)
                Fault(name + " before any move");
            else if (name == "zam4.wav")
                ++tally_.captures[tally_.mover], ++figures_.captures;
            else
                ++tally_.arrivals[tally_.mover], ++figures_.arrivals;
        }
        real_effects_(file);
    }

    // ---- Input ------------------------------------------------------------------------
    enum class Input {
        OwnPiece,
        ComputerPiece,
        Direction,
        Arrow,
        AnyKey,
        Ok,
        Anywhere,
        DoubleClick,
        Nothing
    };

    Input ChooseInput() {
        // Weighted so that games move on: mostly pieces while choosing, directions once chosen.
        struct Weighted {
            Input input;
            int weight;
        };
        std::vector<Weighted> table;
        if (form_.Phase == 0)
            table = {{Input::OwnPiece, 50}, {Input::ComputerPiece, 8}, {Input::Direction, 6},
                     {Input::Arrow, 6},     {Input::AnyKey, 8},        {Input::Ok, 2},
                     {Input::Anywhere, 10}, {Input::DoubleClick, 4},   {Input::Nothing, 6}};
        else if (form_.Phase == 1)
            table = {{Input::OwnPiece, 14}, {Input::ComputerPiece, 6}, {Input::Direction, 25},
                     {Input::Arrow, 25},    {Input::AnyKey, 8},        {Input::Ok, 2},
                     {Input::Anywhere, 10}, {Input::DoubleClick, 4},   {Input::Nothing, 6}};
        else
            table = {{Input::OwnPiece, 15}, {Input::ComputerPiece, 15}, {Input::Direction, 10},
                     {Input::Arrow, 10},    {Input::AnyKey, 10},        {Input::Ok, 8},
                     {Input::Anywhere, 15}, {Input::DoubleClick, 7},    {Input::Nothing, 10}};
        int total = 0;
        for (auto& w : table)
            total += w.weight;
        int pick = Below(total);
        for (auto& w : table) {
            if (pick < w.weight)
                return w.input;
            pick -= w.weight;
        }
        return Input::Nothing;
    }

    void QueueInput() {
        if (purposeful_ && (form_.Phase == 0 || form_.Phase == 1) && Chance(0.9)) {
            PostPurposefulMove();
            return;
        }
        Input input = ChooseInput();
        event_ = Describe(input);
        Post(input);
    }

    // The choice of the self-play statistics' scripted player: its piece first, then its direction.
    void PostPurposefulMove() {
        game::GameState trial = form_;
        const game::Integer direction = game::ScriptedPlayerChoice(trial);
        if (trial.Selected < 0)
            return;
        if (form_.Phase == 0 || form_.Selected != trial.Selected) {
            event_ = "a purposeful click on one of the player's pieces";
            ClickControl(&form_.Image1(trial.Selected), false);
        } else if (Chance(0.5)) {
            event_ = "a purposeful click on a direction button";
            ClickControl(&form_.Image2(direction), false);
        } else {
            static constexpr Qt::Key arrows[] = {Qt::Key_Up, Qt::Key_Right, Qt::Key_Down, Qt::Key_Left};
            event_ = "a purposeful arrow key";
            Key(arrows[direction]);
        }
    }

    void QueueBurst(int count, const char* what) {
        ++figures_.bursts;
        event_ = what;
        for (int i = 0; i < count; ++i)
            Post(ChooseInput());
    }

    void Post(Input input) {
        QWidget* window = form_.Window();
        if (!window)
            return;
        switch (input) {
        case Input::OwnPiece:
            ClickControl(RandomVisiblePiece(game::PlayerSide), false);
            break;
        case Input::ComputerPiece:
            ClickControl(RandomVisiblePiece(game::ComputerSide), false);
            break;
        case Input::Direction:
            ClickControl(&form_.Image2(Below(4)), false);
            break;
        case Input::Ok:
            ClickControl(form_.Command1().Visible() ? &form_.Command1() : nullptr, false);
            break;
        case Input::Anywhere:
            Click(QPoint(Below(window->width()), Below(window->height())), false);
            break;
        case Input::DoubleClick:
            ClickControl(RandomVisiblePiece(game::PlayerSide), true);
            break;
        case Input::Arrow: {
            static constexpr Qt::Key arrows[] = {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down};
            Key(arrows[Below(4)]);
            break;
        }
        case Input::AnyKey: {
            static constexpr Qt::Key keys[] = {Qt::Key_Left,   Qt::Key_Up,    Qt::Key_Right, Qt::Key_Down,
                                               Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_Escape,
                                               Qt::Key_Tab,    Qt::Key_Shift, Qt::Key_Alt,   Qt::Key_Control,
                                               Qt::Key_O,      Qt::Key_S,     Qt::Key_F4,    Qt::Key_Delete,
                                               Qt::Key_Home,   Qt::Key_5,     Qt::Key_F10,   Qt::Key_Backtab};
            Key(keys[Below(static_cast<int>(std::size(keys)))]);
            break;
        }
        case Input::Nothing:
            return;
        }
    }

    platform::Control* RandomVisiblePiece(int side) {
        std::vector<platform::Control*> shown;
        for (int n = 0; n < game::PiecesPerSide; ++n) {
            if (form_.Image1(game::PiecesPerSide * side + n).Visible())
                shown.push_back(&form_.Image1(game::PiecesPerSide * side + n));
        }
        return shown.empty() ? nullptr : shown[Below(static_cast<int>(shown.size()))];
    }

    Qt::KeyboardModifiers RandomModifiers() {
        Qt::KeyboardModifiers modifiers;
        if (Chance(0.15))
            modifiers |= Qt::ShiftModifier;
        if (Chance(0.15))
            modifiers |= Qt::ControlModifier;
        if (Chance(0.1))
            modifiers |= Qt::AltModifier;
        if (Chance(0.05))
            modifiers |= Qt::MetaModifier;
        return modifiers;
    }

    // A click somewhere on the control, as the pointer would give it: where it lands
    // is decided when the click is handled, by what lies there then.
    void ClickControl(platform::Control* control, bool twice) {
        if (!control)
            return;
        const QRect box = control->PixelRect();
        if (box.isEmpty())
            return;
        Click(box.topLeft() + QPoint(Below(box.width()), Below(box.height())), twice);
    }

    void Click(QPoint at, bool twice) {
        QWindow* target = form_.Window()->windowHandle();
        if (!target)
            return;
        const QPointF local(at);
        const QPointF global(form_.Window()->mapToGlobal(at));
        const Qt::KeyboardModifiers modifiers = RandomModifiers();
        auto post = [&](QEvent::Type type, Qt::MouseButtons held) {
            QCoreApplication::postEvent(
                target, new QMouseEvent(type, local, local, global, Qt::LeftButton, held, modifiers));
        };
        post(QEvent::MouseButtonPress, Qt::LeftButton);
        post(QEvent::MouseButtonRelease, Qt::NoButton);
        if (twice) {
            post(QEvent::MouseButtonDblClick, Qt::LeftButton);
            post(QEvent::MouseButtonRelease, Qt::NoButton);
        }
        ++figures_.events;
    }

    void Key(Qt::Key key) {
        QWindow* target = form_.Window()->windowHandle();
        if (!target)
            return;
        const Qt::KeyboardModifiers modifiers = RandomModifiers();
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, modifiers));
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, modifiers));
        ++figures_.events;
    }

    static std::string Describe(Input input) {
        switch (input) {
        case Input::OwnPiece:
            return "a click on one of the player's pieces";
        case Input::ComputerPiece:
            return "a click on one of the computer's pieces";
        case Input::Direction:
            return "a click on a direction button";
        case Input::Arrow:
            return "an arrow key";
        case Input::AnyKey:
            return "a key";
        case Input::Ok:
            return "a click on OK";
        case Input::Anywhere:
            return "a click anywhere";
        case Input::DoubleClick:
            return "a double click on a piece";
        case Input::Nothing:
            return "no input";
        }
        return "?";
    }

    // Every input event reaching the game window is looked at first: the state it
    // finds is the state the event before it left.
    bool eventFilter(QObject* object, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            if (form_.Loaded() && object == form_.Window()->windowHandle())
                Check("before an input event");
            break;
        default:
            break;
        }
        return false;
    }

    // ---- The invariants -----------------------------------------------------------
    void Fault(const std::string& what) {
        std::ostringstream out;
        out << "seed " << seed_ << " game " << figures_.games - 1 << " pump " << pumps_ << " after " << event_
            << ": " << what;
        faults_.push_back(out.str());
    }

    void Expect(bool holds, const std::string& what) {
        if (!holds)
            Fault(what);
    }

    static std::string Piece(int side, int n) {
        return std::string(side == game::PlayerSide ? "player's" : "computer's") + " piece " +
               std::to_string(n);
    }

    void Check(const char* when) {
        if (!form_.Loaded() || faults_.size() > 50)
            return;
        ++figures_.checks;
        const game::Form1& f = form_;
        const std::string at = std::string(" (") + when + ")";
        Expect(f.Phase == -1 || f.Phase == 0 || f.Phase == 1 || f.Phase == 2,
               "Phase is " + std::to_string(f.Phase) + at);
        const bool over = f.Phase == -1;

        int occupant[game::Columns][game::Rows] = {};
        int on_board[2] = {0, 0};
        for (int side : {game::PlayerSide, game::ComputerSide}) {
            for (int n = 0; n < game::PiecesPerSide; ++n) {
                const int x = f.PieceX(n, side);
                const int y = f.PieceY(n, side);
                const platform::Image& image = f.Image1(game::PiecesPerSide * side + n);
                const bool shown = image.Visible();
                if (x >= 0) {
                    ++on_board[side];
                    if (x >= game::Columns || y < 0 || y >= game::Rows) {
                        Fault(Piece(side, n) + " stands outside the board at (" + std::to_string(x) + ", " +
                              std::to_string(y) + ")" + at);
                        continue;
                    }
                    Expect(++occupant[x][y] == 1,
                           "two pieces on cell (" + std::to_string(x) + ", " + std::to_string(y) + ")" + at);
                    Expect(shown, Piece(side, n) + " on the board has a hidden image" + at);
                    Expect(image.Left() == game::CellSize * x + 105 && image.Top() == game::CellSize * y,
                           Piece(side, n) + "'s image is not at its cell (" + std::to_string(x) + ", " +
                               std::to_string(y) + ")" + at);
                    Expect(image.PixelRect().topLeft() == QPoint(platform::TwipsToPixels(image.Left()),
                                                                 platform::TwipsToPixels(image.Top())),
                           Piece(side, n) + "'s image is drawn elsewhere than its position says" + at);
                } else {
                    Expect(x == -1, Piece(side, n) + " has column " + std::to_string(x) + at);
                    // At the end the survivors leave the board keeping their rows, and the winner's images
                    // dance.
                    if (!over) {
                        Expect(y == -1, Piece(side, n) + " off the board has row " + std::to_string(y) + at);
                        Expect(!shown, Piece(side, n) + " off the board is still shown" + at);
                    } else if (side != game::Winner(f)) {
                        Expect(!shown, "the loser's " + Piece(side, n) + " dances" + at);
                    }
                }
            }
        }

        const int counters[2] = {f.PlayerPieces, f.ComputerPieces};
        for (int side : {game::PlayerSide, game::ComputerSide}) {
            const std::string whose = side == game::PlayerSide ? "the player's" : "the computer's";
            const int lost = tally_.captures[1 - side] + tally_.arrivals[side];
            Expect(game::PiecesPerSide - counters[side] == lost,
                   whose + " counter " + std::to_string(counters[side]) + " after " + std::to_string(lost) +
                       " pieces captured or arrived" + at);
            int expected = tally_.captures[side] + 5 * tally_.arrivals[side];
            if (over) {
                Expect(on_board[side] == 0, whose + " pieces still on the board after the game" + at);
                expected += counters[side];  // the survivors, which the counters still count
            } else {
                Expect(counters[side] == on_board[side],
                       whose + " counter " + std::to_string(counters[side]) + " with " +
                           std::to_string(on_board[side]) + " pieces on the board" + at);
            }
            Expect(f.Score(side) == expected, whose + " score " + std::to_string(f.Score(side)) +
                                                  " instead of " + std::to_string(expected) + at);
            const std::string caption = f.lblScore(side == game::PlayerSide ? 1 : 3).Caption();
            Expect(caption == "Score : " + std::to_string(f.Score(side)),
                   whose + " score label reads \"" + caption + "\"" + at);
        }

        if (f.Phase == 1) {
            const int n = f.Selected;
            const bool valid = n >= 0 && n < game::PiecesPerSide && f.OnBoard(n, game::PlayerSide);
            Expect(valid, "piece " + std::to_string(n) + " is chosen but not on the board" + at);
            if (valid)
                Expect(f.Shape1().Visible() && f.Shape1().Left() == game::CellSize * f.PieceX(n, 0) + 130 &&
                           f.Shape1().Top() == game::CellSize * f.PieceY(n, 0),
                       "the marker does not frame the chosen piece" + at);
        } else {
            Expect(!f.Shape1().Visible(), "the marker shows with Phase " + std::to_string(f.Phase) + at);
        }
        Expect(!f.lblMV().Visible(), "the move value still shows between moves" + at);
        Expect(f.Command1().Visible() == over, "OK shows with Phase " + std::to_string(f.Phase) + at);
        if (over)
            Expect(f.lblWinorLose().Visible() &&
                       f.lblWinorLose().Caption() ==
                           (game::Winner(f) == game::PlayerSide ? "You Win." : "You Lose."),
                   "the result reads \"" + f.lblWinorLose().Caption() + "\"" + at);
    }

    // ---- State --------------------------------------------------------------------------
    std::uint64_t seed_;
    game::Form1& form_;
    std::mt19937_64 input_rng_;
    FuzzFigures figures_;
    std::vector<std::string> faults_;
    Tally tally_;
    long pumps_ = 0;
    long close_at_ = -1;
    bool purposeful_ = false;
    bool ended_ = false;
    std::string event_;

    std::function<void(const char*)> real_effects_ = platform::WavePlayer().play_sound;
    platform::Replace<std::function<void()>> do_events_{platform::Pump().do_events, [this] { Pump(); }};
    platform::Replace<std::function<void()>> wait_{platform::Pump().wait_for_events, [this] { Pump(); }};
    platform::Replace<std::function<void()>> frame_{platform::Pump().wait_for_frame, [this] { Pump(); }};
    platform::Replace<std::function<void(int)>> sleep_{platform::Pump().sleep, [this](int ms) { Sleep(ms); }};
    platform::Replace<std::function<void()>> randomize_{platform::Kernel().randomize, [] {}};
    platform::Replace<std::function<void()>> end_{platform::Kernel().end, [this] { ended_ = true; }};
    platform::Replace<std::function<void(const char*)>> effects_{platform::WavePlayer().play_sound,
                                                                 [this](const char* file) { Effect(file); }};
};

}  // namespace testing_support
