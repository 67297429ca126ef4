// The game's windows in this process, under a real X server ($DISPLAY), with the
// game's own code and the real event pump, sequencer and wave player (SDL's audio
// driver as the caller chose it; bench/run.sh uses the silent "dummy" one).
//
//   zam_window_bench move-value [--runs N] [--sampled M]
//       One move value display, wall time, and whether each of its 42 steps reached
//       the X screen: another X connection reads the label's pixels back while it
//       rises, and each step must be seen there, as Qt renders it, within its own pause.
//   zam_window_bench idle [--seconds S]
//       CPU of the window's thread while the demo runs, the title window waits for
//       Start and the game window waits for the player; then the same with a spinning
//       wait (the pump polled instead of blocking) as the reference.
//   zam_window_bench stall [--games N] [--big-tunes]
//       The longest time the window's thread goes without handling events, outside the
//       game's own pauses, over the demo, the title (the first tune and the sound font
//       load there), whole games with the music keeper, the end and the next title;
//       with --big-tunes, a title tune of 20 MB and a game tune just under its cap.
//   zam_window_bench games [--games N]
//       Resident memory over N whole games in one process, with music, without pauses.
//   zam_window_bench end [--seconds S] [--runs N]
//       The end animation until OK: CPU of the window's thread, frames a second, jumps a
//       frame, and how soon OK ends it.
//   zam_window_bench keeper
//       The gap between the end of the game tune and its restart by the music keeper
//       of a game window waiting for the player.
//   zam_window_bench quiet [--seconds S]
//       CPU of the whole process while the title waits with the music off.

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <string>
#include <sys/syscall.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "../tests/seam.h"
#include "bench_support.h"
#include "game/form1.h"
#include "game/self_play.h"
#include "globals/globals.h"
#include "platform/kernel.h"
#include "platform/sound/audio_device.h"
#include "platform/sound/sequencer.h"
#include "platform/window/display_check.h"
#include "platform/window/events.h"
#include "screens/demoform.h"
#include "screens/form2.h"
#include "screens/module1.h"
#include "sound/tx_midi.h"
#include "tune_length.h"
#include "x_screen.h"

namespace {

// Presses a command button as a click on it would.
void Press(const platform::CommandButton& button) {
    static_cast<QAbstractButton*>(button.Widget())->click();
}

using bench::Clock;
using bench::MillisecondsBetween;
using bench::MillisecondsSince;

using bench::Fixed;

std::string Range(const bench::Stats& s, int decimals) {
    return Fixed(s.min, decimals) + "–" + Fixed(s.max, decimals);
}

int IntOption(int argc, char** argv, const char* name, int fallback) {
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return std::atoi(argv[i + 1]);
    }
    return fallback;
}

void RealSleepMs(int ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Handles events for a while without blocking for long: lets the windows settle.
void PumpFor(int milliseconds) {
    auto start = Clock::now();
    while (MillisecondsSince(start) < milliseconds) {
        platform::ProcessPendingEvents();
        RealSleepMs(2);
    }
    platform::ProcessPendingEvents();
}

long ThreadId() {
    return static_cast<long>(syscall(SYS_gettid));
}

// Main makes the synthesizer in the background, starting a moment after the demo window.
void PrepareSynthesizerAsMainDoes() {
    QTimer::singleShot(100, [] { sound::PrepareMidi(); });
}

// A game window that only sets up its board and shows it, without playing.
class BoardOnlyForm1 : public game::Form1 {
protected:
    void Form_Load() override {
        platform::Randomize();
        Init();
        Show();
    }
};

// The player's move as the self-play's scripted player would choose it, given by
// clicking the piece and then the direction, like a player.
bool PlayOneMove(game::Form1& game) {
    game::GameState trial = static_cast<const game::GameState&>(game);
    game::Integer direction = game::ScriptedPlayerChoice(trial);
    if (trial.Selected < 0)
        return false;
    game.Image1_Click(trial.Selected);
    game.Image2_Click(direction);
    return true;
}

// ---------------------------------------------------------------------------------
// move-value

struct Sample {
    Clock::time_point sent;
    Clock::time_point received;
    std::vector<std::uint32_t> pixels;
};

int MoveValue(int argc, char** argv) {
    const int runs = IntOption(argc, argv, "--runs", 15);
    const int sampled_runs = IntOption(argc, argv, "--sampled", 5);
    constexpr game::Integer XX = 7, YY = 7;
    constexpr int Steps = 42;

    BoardOnlyForm1 form;
    form.Show();
    form.WaitUntilExposed();
    PumpFor(300);
    if (!form.Exposed()) {
        std::printf("the game window never came on screen\n");
        return 1;
    }
    const auto V = form.MoveValues(XX, YY);
    const unsigned long window = form.Window()->winId();

    // The area the label passes over: from its lowest place to its highest, with a margin.
    const int left = platform::TwipsToPixels(400 * XX + 200) - 6;
    const int top = platform::TwipsToPixels(400 * YY - 800) - 6;
    const int width = 48;
    const int height = platform::TwipsToPixels(400 + 495) + 14;
    const QRect area(left, top, width, height);

    // What each step should look like: Qt's own rendering of the window there, made
    // after the step without any X server involved.
    std::vector<std::vector<std::uint32_t>> expected;
    {
        platform::Replace<std::function<void(int)>> sleep(platform::Pump().sleep, [&](int) {
            QImage image = form.Window()->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
            std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    pixels[static_cast<std::size_t>(y) * width + x] = image.pixel(x, y) & 0xFFFFFF;
            expected.push_back(std::move(pixels));
        });
        form.PrintMoveValue(XX, YY, V);
    }
    PumpFor(150);
    int distinct = 0;
    for (std::size_t i = 0; i < expected.size(); ++i)
        distinct += i == 0 || expected[i] != expected[i - 1];

    std::vector<double> plain_ms;
    std::vector<double> sampled_ms;
    std::vector<int> seen_counts;
    std::vector<double> samples_per_step;
    bench::XScreen screen;
    for (int run = 0; run < runs + sampled_runs; ++run) {
        const bool sampling = run >= runs;
        // When each step's pause began and ended: the step must be on screen in between.
        std::vector<std::pair<Clock::time_point, Clock::time_point>> pauses;
        platform::Replace<std::function<void(int)>> sleep(platform::Pump().sleep, [&](int ms) {
            auto begin = Clock::now();
            RealSleepMs(ms);
            pauses.emplace_back(begin, Clock::now());
        });
        std::vector<Sample> samples;
        std::atomic<bool> stop{false};
        std::thread sampler;
        if (sampling) {
            samples.reserve(4000);
            sampler = std::thread([&] {
                std::vector<std::uint32_t> pixels;
                while (!stop) {
                    Sample s;
                    s.sent = Clock::now();
                    if (screen.Grab(window, left, top, width, height, s.pixels)) {
                        s.received = Clock::now();
                        samples.push_back(std::move(s));
                    }
                    std::this_thread::sleep_for(std::chrono::microseconds(1500));
                }
            });
            RealSleepMs(30);
        }
        auto start = Clock::now();
        form.PrintMoveValue(XX, YY, V);
        const double ms = MillisecondsSince(start);
        if (sampling) {
            RealSleepMs(30);
            stop = true;
            sampler.join();
            sampled_ms.push_back(ms);
            int seen = 0;
            std::size_t in_pauses = 0;
            for (std::size_t step = 0; step < pauses.size() && step < expected.size(); ++step) {
                bool found = false;
                for (const Sample& s : samples) {
                    if (s.sent >= pauses[step].first && s.received <= pauses[step].second) {
                        ++in_pauses;
                        found = found || s.pixels == expected[step];
                    }
                }
                seen += found;
            }
            seen_counts.push_back(pauses.size() == Steps ? seen : -1);
            samples_per_step.push_back(static_cast<double>(in_pauses) / Steps);
            std::printf(
                "  sampled run %d: %.1f ms, %d of %zu steps seen on the X screen within their own pause "
                "(%.1f reads a step)\n",
                run - runs + 1, ms, seen, pauses.size(), static_cast<double>(in_pauses) / Steps);
        } else {
            plain_ms.push_back(ms);
        }
        PumpFor(120);
    }
    form.Unload();
    platform::ProcessPendingEvents();

    int worst_seen = Steps;
    for (int seen : seen_counts)
        worst_seen = std::min(worst_seen, seen);
    bench::Figure wall{"move_value_ms", "one move value display, wall time (42 steps of 20 ms)",
                       bench::StatsOf(plain_ms), "ms", 1.03 * 840};
    wall.note = "with the X screen read back meanwhile: median " +
                Fixed(bench::StatsOf(sampled_ms).median, 1) + " ms; the pauses alone are 840 ms";
    bench::Print(wall);
    bench::Figure seen{"move_value_steps", "move value steps seen on the X screen, each within its own pause",
                       bench::StatsOf(std::vector<double>(seen_counts.begin(), seen_counts.end())), "steps"};
    seen.limit = Steps;
    seen.lower_is_better = false;
    seen.note =
        "read back over a second X connection (XGetImage) and compared with Qt's own rendering of each "
        "step; " +
        std::to_string(distinct) + " of the 42 steps differ from the step before; " +
        Fixed(bench::StatsOf(samples_per_step).median, 1) + " reads per step";
    bench::Print(seen);
    return worst_seen == Steps ? 0 : 2;
}

// ---------------------------------------------------------------------------------
// Shared by idle, stall and games: which window the player is looking at.

enum class Screen { None, Demo, Title, Game, End };

const char* NameOf(Screen s) {
    switch (s) {
    case Screen::None:
        return "between windows";
    case Screen::Demo:
        return "demo";
    case Screen::Title:
        return "title";
    case Screen::Game:
        return "game";
    case Screen::End:
        return "game end";
    }
    return "?";
}

struct Windows {
    screens::Demoform* demo = nullptr;
    screens::Form2* title = nullptr;
    game::Form1* game = nullptr;

    Screen Current() const {
        if (demo && demo->Visible())
            return Screen::Demo;
        if (title && title->Visible())
            return Screen::Title;
        if (game && game->Loaded() && game->Visible())
            return game->Command1().Visible() ? Screen::End : Screen::Game;
        return Screen::None;
    }
};

// Thrown out of the pump to leave the game's loops, as the end of the program would.
struct StopWaiting {};

// An object of the window's thread that only exists to be sent events from other threads.
class Wakeable : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            return true;
        return QObject::event(e);
    }
};

void Wake(Wakeable& target) {
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
}

// ---------------------------------------------------------------------------------
// idle

struct IdleResult {
    std::vector<double> thread_percent;  // one a second
    double thread_mean = 0;
    double process_mean = 0;
};

double ProcessCpuNow() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

// Runs demo, title and game with the real blocking wait, or with a spinning one,
// measuring the window's thread for `seconds` on each.
std::map<Screen, IdleResult> IdleRun(bool spin, int seconds) {
    const long pid = static_cast<long>(getpid());
    const long tid = ThreadId();
    Windows windows;
    screens::Form2 title;
    game::Form1 game;
    windows.title = &title;
    windows.game = &game;
    Wakeable wake;
    std::atomic<Screen> screen{Screen::None};
    // The screen whose measurement is over and which the player leaves at the next pump.
    std::atomic<Screen> leave{Screen::None};
    std::atomic<bool> demos_done{false};

    auto handle_stop = [&] {
        const Screen wanted = leave;
        if (wanted == Screen::None)
            return;
        const Screen now = windows.Current();
        if (now != wanted) {
            // A demo that ended by itself meanwhile needs no leaving.
            if (wanted == Screen::Demo && now != Screen::Demo)
                leave = Screen::None;
            return;
        }
        leave = Screen::None;
        switch (now) {
        case Screen::Demo:
            windows.demo->Hide();
            break;
        case Screen::Title:
            Press(title.Command1());
            break;
        case Screen::Game:
            throw StopWaiting{};
        default:
            break;
        }
    };
    auto real_wait = platform::Pump().wait_for_events;
    platform::Replace<std::function<void()>> wait(platform::Pump().wait_for_events, [&] {
        screen = windows.Current();
        handle_stop();
        if (spin)
            platform::ProcessPendingEvents();
        else
            real_wait();
        screen = windows.Current();
        handle_stop();
    });

    std::map<Screen, IdleResult> results;
    std::thread monitor([&] {
        for (Screen measured : {Screen::Demo, Screen::Title, Screen::Game}) {
            while (screen != measured)
                RealSleepMs(5);
            // The window has just come up; a title or game window settles before it waits.
            RealSleepMs(measured == Screen::Demo ? 0 : 500);
            IdleResult& r = results[measured];
            long long thread_start = bench::ThreadRunNanoseconds(pid, tid);
            double process_start = ProcessCpuNow();
            auto start = Clock::now();
            long long before = thread_start;
            for (int s = 1; s <= seconds; ++s) {
                std::this_thread::sleep_until(start + std::chrono::seconds(s));
                long long now = bench::ThreadRunNanoseconds(pid, tid);
                r.thread_percent.push_back(static_cast<double>(now - before) / 1e7);
                before = now;
            }
            const double wall = MillisecondsSince(start) / 1000.0;
            r.thread_mean = static_cast<double>(before - thread_start) / 1e7 / wall;
            r.process_mean = 100.0 * (ProcessCpuNow() - process_start) / wall;
            if (measured == Screen::Demo)
                demos_done = true;
            leave = measured;
            Wake(wake);
        }
    });

    // Demos one after another (the demo lasts about 5 s), then the title and the game.
    while (!demos_done) {
        auto demo = std::make_unique<screens::Demoform>();
        windows.demo = demo.get();
        screens::ShowDemo(*demo);
        windows.demo = nullptr;
    }
    try {
        screens::ShowTitleThenGame(title, game);
    } catch (const StopWaiting&) {
    }
    monitor.join();
    sound::StopMidi();
    title.Unload();
    game.Unload();
    PumpFor(50);
    return results;
}

int Idle(int argc, char** argv) {
    const int seconds = IntOption(argc, argv, "--seconds", 10);
    globals::MusicOff = platform::False;
    PrepareSynthesizerAsMainDoes();
    auto blocking = IdleRun(false, seconds);
    auto spinning = IdleRun(true, seconds);
    const std::pair<Screen, const char*> rows[] = {
        {Screen::Demo, "the demo running (a tick every 200 ms)"},
        {Screen::Title, "the title window waiting for Start (title tune playing)"},
        {Screen::Game, "the game window waiting for the player (music keeper ticking)"},
    };
    for (auto [screen, what] : rows) {
        const IdleResult& b = blocking[screen];
        const IdleResult& s = spinning[screen];
        bench::Figure f{std::string("idle_") + NameOf(screen),
                        std::string("CPU of the window's thread, ") + what, bench::StatsOf(b.thread_percent),
                        "% of a core", 0.5};
        f.note = "median of " + std::to_string(b.thread_percent.size()) + " one-second windows; mean " +
                 Fixed(b.thread_mean, 2) + " %; whole process " + Fixed(b.process_mean, 1) +
                 " % (the synthesizer's audio thread)";
        bench::Print(f);
        bench::Figure r{std::string("idle_spin_") + NameOf(screen),
                        std::string("  reference: the same with a spinning wait"),
                        bench::StatsOf(s.thread_percent), "% of a core"};
        r.note = "mean " + Fixed(s.thread_mean, 1) + " %";
        bench::Print(r);
    }
    return 0;
}

// ---------------------------------------------------------------------------------
// stall

// The window's thread answers a ping when it handles events; the time a ping waits,
// less the game's own pauses meanwhile, is how long the thread was stalled.
class PingEvent : public QEvent {
public:
    static QEvent::Type Kind() {
        static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType());
        return kind;
    }
    explicit PingEvent(Clock::time_point posted) : QEvent(Kind()), posted(posted) {}
    Clock::time_point posted;
};

struct Stall {
    double ms = 0;       // the longest stretch without handling events or pausing
    double busy_ms = 0;  // all the time without handling events, less the pauses
    std::string where;
};

class PingReceiver : public QObject {
public:
    std::function<std::string()> where;
    // The game's own pauses, as [begin, end) on the window's thread.
    std::deque<std::pair<Clock::time_point, Clock::time_point>> pauses;
    std::vector<Stall> stalls;
    std::mutex mutex;
    std::condition_variable answered;
    bool pending = false;
    bool over = false;  // the session has ended; pings are no longer counted
    std::string where_posted;

    bool event(QEvent* e) override {
        if (e->type() != PingEvent::Kind())
            return QObject::event(e);
        auto now = Clock::now();
        auto posted = static_cast<PingEvent*>(e)->posted;
        std::lock_guard lock(mutex);
        if (over)
            return true;
        // The pauses split the wait into stretches of work; the longest is the stall.
        double paused = 0;
        double longest = 0;
        auto stretch_from = posted;
        for (const auto& [begin, end] : pauses) {
            auto from = std::max(begin, posted);
            auto to = std::min(end, now);
            if (to <= from)
                continue;
            paused += MillisecondsBetween(from, to);
            longest = std::max(longest, MillisecondsBetween(stretch_from, from));
            stretch_from = to;
        }
        longest = std::max(longest, MillisecondsBetween(stretch_from, now));
        while (!pauses.empty() && pauses.front().second < posted)
            pauses.pop_front();
        stalls.push_back(
            {longest, MillisecondsBetween(posted, now) - paused, where_posted + " → " + where()});
        pending = false;
        answered.notify_one();
        return true;
    }
};

// What the scripted player does, a little at a time, like a quick player.
class ScriptedPlayer {
public:
    explicit ScriptedPlayer(Windows& w) : w_(w) {}
    void Act() {
        Screen now = w_.Current();
        if (now != last_) {
            since_ = Clock::now();
            last_ = now;
        }
        const double shown = MillisecondsSince(since_);
        if (now == Screen::Title && shown > 1000)
            Press(w_.title->Command1());
        else if (now == Screen::End && shown > 300)
            Press(w_.game->Command1());
        else if (now == Screen::Game && w_.game->Phase == 0)
            PlayOneMove(*w_.game);
    }

private:
    Windows& w_;
    Screen last_ = Screen::None;
    Clock::time_point since_ = Clock::now();
};

bool g_prepare = true;

std::vector<Stall> StallSession(int games) {
    screens::Demoform demo;
    screens::Form2 title;
    game::Form1 game;
    Windows windows{&demo, &title, &game};
    PingReceiver receiver;
    receiver.where = [&] { return std::string(NameOf(windows.Current())); };
    std::atomic<Screen> screen{Screen::None};

    // The pauses are kept short so that whole games fit in seconds; they are left out anyway.
    platform::Replace<std::function<void(int)>> sleep(platform::Pump().sleep, [&](int ms) {
        auto begin = Clock::now();
        RealSleepMs(std::min(ms, 1));
        receiver.pauses.emplace_back(begin, Clock::now());
    });
    auto real_wait = platform::Pump().wait_for_events;
    auto real_do = platform::Pump().do_events;
    platform::Replace<std::function<void()>> wait(platform::Pump().wait_for_events, [&] {
        screen = windows.Current();
        real_wait();
        screen = windows.Current();
    });
    platform::Replace<std::function<void()>> do_events(platform::Pump().do_events, [&] {
        screen = windows.Current();
        real_do();
    });

    // Any sequencer command that holds up the window's thread is named in the output.
    auto real_send = platform::Sequencer().send_string;
    platform::Replace<std::function<int(const std::string&, char*, int)>> slow_commands(
        platform::Sequencer().send_string, [&](const std::string& command, char* reply, int length) {
            auto begin = Clock::now();
            int result = real_send(command, reply, length);
            if (MillisecondsSince(begin) > 20)
                std::printf("  sequencer command took %.1f ms: %s\n", MillisecondsSince(begin),
                            command.c_str());
            return result;
        });
    ScriptedPlayer player(windows);
    QTimer acting;
    QObject::connect(&acting, &QTimer::timeout, [&] { player.Act(); });
    acting.start(50);

    std::atomic<bool> stop{false};
    std::thread watchdog([&] {
        while (!stop) {
            {
                std::unique_lock lock(receiver.mutex);
                receiver.pending = true;
                receiver.where_posted = NameOf(screen.load());
                QCoreApplication::postEvent(&receiver, new PingEvent(Clock::now()));
                while (receiver.pending && !stop)
                    receiver.answered.wait_for(lock, std::chrono::milliseconds(100));
            }
            RealSleepMs(2);
        }
    });

    if (g_prepare)
        PrepareSynthesizerAsMainDoes();
    screens::RunScreens(demo, title, game, games);
    // The session is over: the ping still waiting is never counted, and the watchdog is woken
    // rather than left to its wait, which the window's thread would otherwise sit through here.
    {
        std::lock_guard lock(receiver.mutex);
        stop = true;
        receiver.over = true;
    }
    receiver.answered.notify_all();
    watchdog.join();
    acting.stop();
    sound::StopMidi();
    demo.Unload();
    title.Unload();
    game.Unload();
    PumpFor(50);
    return receiver.stalls;
}

// A valid tune of about the given size: one track of a note struck and released again and again.
void WriteBigTune(const std::filesystem::path& file, std::size_t bytes) {
    const unsigned char notes[] = {0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x40};
    std::string track;
    while (track.size() + sizeof notes < bytes)
        track.append(reinterpret_cast<const char*>(notes), sizeof notes);
    track.append("\x00\xFF\x2F\x00", 4);
    std::string tune("MThd\0\0\0\6\0\1\0\1\x01\xE0MTrk", 18);
    for (int shift = 24; shift >= 0; shift -= 8)
        tune.push_back(static_cast<char>(track.size() >> shift));
    std::ofstream(file, std::ios::binary) << tune << track;
}

// The game's media with a title tune of 20 MB (refused by its size) and a game tune just
// under the cap, which the synthesizer reads on the audio thread at every restart.
std::filesystem::path BigTuneMedia() {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("zam-bench-media-" + std::to_string(getpid()));
    fs::create_directories(folder);
    for (const auto& entry : fs::directory_iterator(ZAM_MEDIA_DIR))
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), folder / entry.path().filename(),
                          fs::copy_options::overwrite_existing);
    WriteBigTune(folder / "zam.mid", 20u << 20);
    WriteBigTune(folder / "zaming.mid", (4u << 20) - 4096);
    return folder;
}

int Stalls(int argc, char** argv) {
    const int games = IntOption(argc, argv, "--games", 1);
    bool big = false;
    // --no-prepare: the synthesizer is made at the first tune rather than during the demo.
    for (int i = 2; i < argc; ++i) {
        g_prepare = g_prepare && std::strcmp(argv[i], "--no-prepare") != 0;
        big = big || std::strcmp(argv[i], "--big-tunes") == 0;
    }
    const std::filesystem::path media = big ? BigTuneMedia() : std::filesystem::path();
    if (big)
        std::filesystem::current_path(media);
    globals::MusicOff = platform::False;
    auto stalls = StallSession(games);
    if (big) {
        std::filesystem::current_path(ZAM_MEDIA_DIR);
        std::filesystem::remove_all(media);
    }
    std::sort(stalls.begin(), stalls.end(), [](const Stall& a, const Stall& b) { return a.ms > b.ms; });
    std::printf("  the longest stalls of the window's thread (pauses of the game left out):\n");
    std::string worst;
    double busiest = 0;
    for (const Stall& s : stalls)
        busiest = std::max(busiest, s.busy_ms);
    for (std::size_t i = 0; i < stalls.size() && i < 6; ++i) {
        std::printf("    %7.1f ms  (%.1f ms without events in all, pauses left out)  %s\n", stalls[i].ms,
                    stalls[i].busy_ms, stalls[i].where.c_str());
        if (i < 3)
            worst += (i ? "; " : "") + Fixed(stalls[i].ms, 0) + " ms " + stalls[i].where;
    }
    bench::Stats one;
    one.n = 1;
    one.median = one.min = one.max = stalls.empty() ? 0 : stalls.front().ms;
    bench::Figure f{big ? "stall_big_tunes_ms" : "stall_ms",
                    big ? "longest stall of the window's thread, a 20 MB title tune and a 4 MB game tune"
                        : "longest stall of the window's thread outside the game's pauses",
                    one, "ms", 50};
    f.note = std::string(big ? "zam.mid of 20 MB, zaming.mid just under 4 MB; " : "") +
             "demo, title (first tune), " + std::to_string(games) +
             " whole game(s) with the music keeper, end, title; " + std::to_string(stalls.size()) +
             " pings; longest: " + worst +
             "; the most work between two chances to handle events (a move and the answer to it, " +
             "pauses left out): " + Fixed(busiest, 0) + " ms";
    bench::Print(f);
    return 0;
}

// ---------------------------------------------------------------------------------
// quiet

// The whole process's CPU while the title waits with the music switched off, after the
// demo has played its sound: nothing sounds, so the audio device should rest.
int Quiet(int argc, char** argv) {
    const int seconds = IntOption(argc, argv, "--seconds", 10);
    globals::MusicOff = platform::True;
    PrepareSynthesizerAsMainDoes();
    screens::Demoform demo;
    screens::ShowDemo(demo);
    demo.Unload();
    screens::Form2 title;
    title.Show();
    // The demo's sound has ended some moments ago; the device is closed after ten seconds of silence.
    QTimer::singleShot(11000, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    // Measured from another thread, so that the window's thread only waits, as in the game;
    // the measuring thread leaves itself out.
    std::vector<double> percent;
    std::thread monitor([&] {
        const auto others = [me = ThreadId()] {
            long long ns = 0;
            for (const auto& task : std::filesystem::directory_iterator("/proc/self/task"))
                if (task.path().filename() != std::to_string(me))
                    ns += bench::ThreadRunNanoseconds(getpid(), std::stol(task.path().filename().string()));
            return ns;
        };
        for (int s = 0; s < seconds; ++s) {
            const long long cpu = others();
            const auto start = Clock::now();
            RealSleepMs(1000);
            percent.push_back(static_cast<double>(others() - cpu) / 1e7 /
                              (MillisecondsSince(start) / 1000.0));
        }
    });
    QTimer::singleShot(1000 * seconds + 100, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    monitor.join();
    title.Unload();
    globals::MusicOff = platform::False;
    bench::Figure f{"quiet_title_cpu", "CPU of the whole process, the title waiting with the music off",
                    bench::StatsOf(percent), "% of a core", 0.05};
    f.note = "one-second windows from 11 s after the demo and its sound; every thread of the process but the "
             "measuring one, the audio threads too";
    bench::Print(f);
    return 0;
}

// ---------------------------------------------------------------------------------
// games

int Games(int argc, char** argv) {
    const int games = IntOption(argc, argv, "--games", 200);
    globals::MusicOff = platform::False;
    screens::Demoform demo;
    screens::Form2 title;
    game::Form1 game;
    Windows windows{&demo, &title, &game};

    platform::Replace<std::function<void(int)>> sleep(platform::Pump().sleep, [](int) {});
    std::vector<double> rss_after;  // after each game, back on the title window
    Screen last = Screen::None;
    int end_pumps = 0;
    bool keeper_ticked = false;
    auto start = Clock::now();
    double first_game_done_ms = 0;
    auto act = [&] {
        platform::ProcessPendingEvents();
        Screen now = windows.Current();
        if (now == Screen::Title && last != Screen::Title) {
            if (last == Screen::End || last == Screen::Game || last == Screen::None) {
                if (keeper_ticked) {
                    rss_after.push_back(bench::StatusMegabytes("VmRSS"));
                    if (rss_after.size() == 1)
                        first_game_done_ms = MillisecondsSince(start);
                }
            }
            keeper_ticked = false;
            end_pumps = 0;
        }
        last = now;
        if (now == Screen::Title) {
            Press(title.Command1());
        } else if (now == Screen::End) {
            if (++end_pumps > 3)
                Press(game.Command1());
        } else if (now == Screen::Game && game.Phase == 0) {
            if (!keeper_ticked) {
                // The music keeper's first tick, which starts the game tune two seconds into a game.
                game.Timer1_Timer();
                keeper_ticked = true;
            }
            PlayOneMove(game);
        }
    };
    platform::Replace<std::function<void()>> wait(platform::Pump().wait_for_events, act);
    platform::Replace<std::function<void()>> do_events(platform::Pump().do_events, act);
    platform::Replace<std::function<void()>> frame(platform::Pump().wait_for_frame, act);

    PrepareSynthesizerAsMainDoes();
    screens::RunScreens(demo, title, game, games);
    // The last game ends on its way back to the title, which is not shown again.
    rss_after.push_back(bench::StatusMegabytes("VmRSS"));
    const double total_s = MillisecondsSince(start) / 1000.0;
    sound::StopMidi();
    demo.Unload();
    title.Unload();
    game.Unload();
    PumpFor(50);
    const double peak = bench::StatusMegabytes("VmHWM");

    auto at = [&](std::size_t game_number) {
        return rss_after.at(std::min(game_number, rss_after.size()) - 1);
    };
    std::printf(
        "  resident memory after game 1: %.1f MB, 10: %.1f MB, 50: %.1f MB, 100: %.1f MB, %zu: %.1f MB\n",
        at(1), at(10), at(50), at(100), rss_after.size(), rss_after.back());
    bench::Stats peak_stats;
    peak_stats.n = 1;
    peak_stats.median = peak_stats.min = peak_stats.max = peak;
    bench::Figure p{"rss_peak_games", "peak resident memory, music playing, over the games in one process",
                    peak_stats, "MB", 70};
    p.note = "this benchmark's process (the game's code plus Xlib): every tune, effects, " +
             std::to_string(rss_after.size()) + " games";
    bench::Print(p);
    // Growth is counted from the 10th game on, once every tune, effect and cache has been loaded.
    std::vector<double> growth_values;
    bench::Stats growth;
    growth.n = 1;
    growth.median = growth.min = growth.max = rss_after.back() - at(10);
    bench::Figure g{"rss_growth_games",
                    "growth of resident memory over " + std::to_string(rss_after.size()) +
                        " games in one process",
                    growth, "MB", 1.0};
    g.note = "after game " + std::to_string(rss_after.size()) +
             " less after game 10; from game 1: " + Fixed(rss_after.back() - at(1), 2) + " MB; " +
             Fixed(rss_after.size() / total_s, 1) + " games/s with the windows, no pauses";
    bench::Print(g);
    (void)first_game_done_ms;
    return 0;
}

// ---------------------------------------------------------------------------------
// end

// Counts the paints of a window: the frames that reach the screen.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

int EndAnimation(int argc, char** argv) {
    const int seconds = IntOption(argc, argv, "--seconds", 10);
    const int runs = IntOption(argc, argv, "--runs", 3);
    const long pid = static_cast<long>(getpid());
    const long tid = ThreadId();
    std::vector<double> cpu, fps, jumps, answer_ms;
    for (int run = 0; run < runs; ++run) {
        BoardOnlyForm1 form;
        form.Show();
        form.WaitUntilExposed();
        PumpFor(300);
        for (int n = 0; n < game::PiecesPerSide; ++n)
            form.PieceX(n, game::ComputerSide) = -1;  // the player wins: 16 survivors dance
        long long draws = 0;
        auto real_rnd = platform::Kernel().rnd;
        platform::Replace<std::function<double()>> rnd(platform::Kernel().rnd, [&] {
            ++draws;
            return real_rnd();
        });
        int frames = 0;
        auto real_frame = platform::Pump().wait_for_frame;
        platform::Replace<std::function<void()>> frame(platform::Pump().wait_for_frame, [&] {
            ++frames;
            real_frame();
        });
        PaintCounter painted;
        form.Window()->installEventFilter(&painted);
        // OK is pressed by a click delivered through the event queue, like the player's.
        Clock::time_point pressed;
        long long thread_start = 0;
        Clock::time_point start;
        QTimer::singleShot(500, [&] {
            thread_start = bench::ThreadRunNanoseconds(pid, tid);
            start = Clock::now();
            draws = 0;
            frames = 0;
            painted.paints = 0;
        });
        QTimer::singleShot(500 + 1000 * seconds, [&] {
            pressed = Clock::now();
            Press(form.Command1());
        });
        form.GameEnd();
        const double answer = MillisecondsSince(pressed);
        const double wall = MillisecondsBetween(start, pressed) / 1000.0;
        const long long thread_ns = bench::ThreadRunNanoseconds(pid, tid) - thread_start;
        cpu.push_back(static_cast<double>(thread_ns) / 1e7 / wall);
        fps.push_back(frames / wall);
        jumps.push_back(frames ? draws / 3.0 / frames : 0);
        answer_ms.push_back(answer);
        std::printf(
            "  run %d: %.2f %% of a core, %.1f frames/s, %.1f paints/s, %.1f jumps a frame, OK answered "
            "in %.1f ms\n",
            run + 1, cpu.back(), fps.back(), painted.paints / wall, jumps.back(), answer);
        form.Window()->removeEventFilter(&painted);
        form.Unload();
        PumpFor(50);
    }
    bench::Figure c{"end_cpu_percent", "end animation: CPU of the window's thread until OK",
                    bench::StatsOf(cpu), "% of a core", 3};
    c.note = "the player's 16 pieces dancing for " + std::to_string(seconds) + " s a run; " +
             Fixed(bench::StatsOf(fps).median, 1) + " frames a second, " +
             Fixed(bench::StatsOf(jumps).median, 1) +
             " jumps a frame (every piece once); a spinning animation costs about 95 %";
    bench::Print(c);
    bench::Figure f{"end_fps", "end animation: frames a second", bench::StatsOf(fps), "frames/s", 55};
    f.lower_is_better = false;
    f.note = "one frame = a frame's worth of passes, then a blocking wait for the next frame";
    bench::Print(f);
    bench::Figure j{"end_jumps_per_frame", "end animation: jumps of the winner's pieces a frame",
                    bench::StatsOf(jumps), "jumps", 16};
    j.lower_is_better = false;
    j.note = "each pass jumps one piece and draws three random numbers, as before";
    bench::Print(j);
    bench::Figure a{"end_ok_ms", "end animation: from OK's click to the end of the animation",
                    bench::StatsOf(answer_ms), "ms", 1000.0 / 60};
    a.note = "within a frame";
    bench::Print(a);
    return 0;
}

// ---------------------------------------------------------------------------------
// keeper

// Frames the mixer has rendered: the keeper plays on SDL's disk driver, whose file counts them.
const std::string KeeperAudio = "/tmp/zam-keeper-" + std::to_string(::getpid()) + ".raw";
std::int64_t FramesMixed() {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(KeeperAudio, error);
    return error ? 0 : static_cast<std::int64_t>(bytes / 4);  // 16-bit stereo
}

int Keeper(int, char**) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", KeeperAudio.c_str(), 1);
    const std::string tune = "zaming.mid";
    auto length = bench::TuneSeconds(tune);
    if (!length) {
        std::printf("cannot read %s\n", tune.c_str());
        return 1;
    }
    globals::MusicOff = platform::False;
    struct Play {
        Clock::time_point wall;
        std::int64_t frame;
        std::string tune;
    };
    std::vector<Play> plays;
    std::vector<Clock::time_point> ticks;
    std::string opened;
    auto real_send = platform::Sequencer().send_string;
    platform::Replace<std::function<int(const std::string&, char*, int)>> sequencer(
        platform::Sequencer().send_string, [&](const std::string& command, char* reply, int length) {
            if (command.rfind("Status", 0) == 0)
                ticks.push_back(Clock::now());
            if (command.rfind("open", 0) == 0) {
                auto slash = command.rfind('/');
                auto quote = command.rfind('"');
                opened = command.substr(slash + 1, quote - slash - 1);
            }
            int result = real_send(command, reply, length);
            if (command.rfind("play", 0) == 0)
                plays.push_back({Clock::now(), FramesMixed(), opened});
            return result;
        });

    // In the program the synthesizer is made while the demo and the title show, long
    // before the game window opens; a first tune that waited for it would lengthen the gap.
    sound::PrepareMidi();
    PumpFor(3000);
    game::Form1 game;
    auto real_wait = platform::Pump().wait_for_events;
    auto start = Clock::now();
    const double limit_s = *length + 15;
    platform::Replace<std::function<void()>> wait(platform::Pump().wait_for_events, [&] {
        real_wait();
        int restarts = 0;
        for (const Play& p : plays)
            restarts += p.tune == tune;
        if (restarts >= 2 || MillisecondsSince(start) > 1000 * limit_s)
            throw StopWaiting{};
    });
    // The mixer's clock beside the wall clock, every 2 ms: the tune ends when the mixer has
    // rendered its length since it started, whatever pace the audio driver keeps.
    struct Sample {
        Clock::time_point wall;
        std::int64_t frame;
    };
    std::vector<Sample> samples;
    std::atomic<bool> sampling{true};
    std::thread sampler([&] {
        while (sampling) {
            samples.push_back({Clock::now(), FramesMixed()});
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    std::printf("  waiting for %s (%.3f s by the synthesizer's clock) to end and start again...\n",
                tune.c_str(), *length);
    try {
        game.Show();
    } catch (const StopWaiting&) {
    }
    PumpFor(300);
    sampling = false;
    sampler.join();
    sound::StopMidi();
    game.Unload();
    PumpFor(50);

    std::vector<const Play*> tune_plays;
    for (const Play& p : plays)
        if (p.tune == tune)
            tune_plays.push_back(&p);
    platform::audio::Close();
    const bool device = FramesMixed() > 0;
    std::filesystem::remove(KeeperAudio);
    if (tune_plays.size() < 2 || !device) {
        std::printf("  the tune was not started again (audio device: %s)\n", device ? "open" : "none");
        return 1;
    }
    const double rate = 44100;
    const double audio_s = static_cast<double>(tune_plays[1]->frame - tune_plays[0]->frame) / rate;
    const auto end_frame = tune_plays[0]->frame + static_cast<std::int64_t>(*length * rate);
    const Sample* end = nullptr;
    const Sample* heard_again = nullptr;
    for (const Sample& sample : samples) {
        if (!end && sample.frame >= end_frame)
            end = &sample;
        if (!heard_again && sample.wall > tune_plays[1]->wall && sample.frame > tune_plays[1]->frame) {
            heard_again = &sample;
            break;
        }
    }
    if (!end || !heard_again) {
        std::printf("  the mixer's clock did not show the end and the new start\n");
        return 1;
    }
    const double pace = (end->wall - tune_plays[0]->wall) > Clock::duration::zero()
                            ? *length / (MillisecondsBetween(tune_plays[0]->wall, end->wall) / 1000.0)
                            : 1.0;
    std::vector<double> intervals;
    for (std::size_t i = 1; i < ticks.size(); ++i)
        intervals.push_back(MillisecondsBetween(ticks[i - 1], ticks[i]));
    auto tick_stats = bench::StatsOf(intervals);
    bench::Stats gap;
    gap.n = 1;
    gap.median = gap.min = gap.max = MillisecondsBetween(end->wall, heard_again->wall);
    bench::Figure f{"keeper_gap_ms", "gap between the end of zaming.mid and its restart by the music keeper",
                    gap, "ms", 2000};
    f.note = "from the moment the mixer had rendered the tune's " + Fixed(*length, 3) +
             " s to the first buffer of the restart; the driver mixed " + Fixed(pace, 3) +
             " s of sound per second; frames mixed from play to play " + Fixed(audio_s, 3) +
             " s; the keeper's ticks came every " + Fixed(tick_stats.median, 1) + " ms (" +
             Range(tick_stats, 1) + "), which bounds the gap";
    bench::Print(f);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bench::InitXThreads();
    platform::PrepareWindowSystem();  // as the game's main does
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: zam_window_bench move-value|idle|stall|games|end|keeper|quiet [options]\n");
        return 64;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zam"));
    QApplication::setQuitOnLastWindowClosed(false);
    std::filesystem::current_path(ZAM_MEDIA_DIR);
    platform::Replace<std::function<void()>> end(platform::Kernel().end, [] {
        std::fprintf(stderr, "the program was ended from a window: the benchmark is void\n");
        std::_Exit(3);
    });
    const std::string mode = argv[1];
    int status = 64;
    if (mode == "move-value")
        status = MoveValue(argc, argv);
    else if (mode == "idle")
        status = Idle(argc, argv);
    else if (mode == "stall")
        status = Stalls(argc, argv);
    else if (mode == "games")
        status = Games(argc, argv);
    else if (mode == "end")
        status = EndAnimation(argc, argv);
    else if (mode == "keeper")
        status = Keeper(argc, argv);
    else if (mode == "quiet")
        status = Quiet(argc, argv);
    else
        std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
    platform::audio::Close();
    return status;
}
