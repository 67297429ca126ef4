// The real program from outside, as a player meets it under an X server ($DISPLAY):
// how long from exec until the demo window is on the screen, and from the click on
// Start until the game window is; then what it costs while the title and game windows
// wait, and its memory with the music playing.
//
//   zam_launch_bench [--runs N] [--program PATH]
//
// "On the screen" means what the X server shows: the window is mapped and its pixels,
// read back over this program's own X connection every 2 ms, already are what they
// are once the window has settled. The time of the read that first shows them (its
// reply, so never early) is the figure. The click is synthesised with XTEST.

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "bench_support.h"
#include "layout/form2_layout.h"
#include "platform/window/controls.h"
#include "x_screen.h"

#include <X11/Xlib.h>

extern "C" {
// From libXtst, whose headers are not needed for these two calls.
int XTestFakeMotionEvent(Display* display, int screen, int x, int y, unsigned long delay);
int XTestFakeButtonEvent(Display* display, unsigned int button, int is_press, unsigned long delay);
}

namespace {

using bench::Clock;
using bench::MillisecondsBetween;
using bench::MillisecondsSince;

using bench::Fixed;

void SleepMs(double ms) {
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
}

std::uint64_t Hash(const std::vector<std::uint32_t>& pixels) {
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint32_t p : pixels) {
        h ^= p;
        h *= 1099511628211ull;
    }
    return h;
}

struct Read {
    Clock::time_point received;
    std::uint64_t hash;
};

// Watches for the process's window of the given size to come on the screen, reading it
// back every 2 ms until `settle_ms` after it was first seen mapped. Returns the time from
// `from` to the first read that already shows the settled picture.
std::optional<double> TimeToSettledWindow(bench::XScreen& screen, long pid, int width, int height,
                                          Clock::time_point from, double settle_ms, double give_up_ms,
                                          bench::XScreen::TopLevel* found = nullptr) {
    std::vector<Read> reads;
    std::optional<Clock::time_point> mapped;
    std::vector<std::uint32_t> pixels;
    while (MillisecondsSince(from) < give_up_ms) {
        for (const auto& top : screen.TopLevelsOf(pid)) {
            if (!top.viewable || top.width != width || top.height != height)
                continue;
            if (!mapped) {
                mapped = Clock::now();
                if (found)
                    *found = top;
            }
            if (screen.Grab(top.window, 0, 0, top.width, top.height, pixels))
                reads.push_back({Clock::now(), Hash(pixels)});
            break;
        }
        if (mapped && MillisecondsSince(*mapped) >= settle_ms && !reads.empty())
            break;
        SleepMs(2);
    }
    if (reads.empty())
        return std::nullopt;
    const std::uint64_t settled = reads.back().hash;
    if (std::getenv("ZAM_BENCH_VERBOSE")) {
        std::printf("    mapped at %.1f ms; reads:", mapped ? MillisecondsBetween(from, *mapped) : -1.0);
        std::uint64_t last = 0;
        for (const Read& r : reads) {
            if (r.hash != last)
                std::printf(" %.1f%s", MillisecondsBetween(from, r.received), r.hash == settled ? "*" : "");
            last = r.hash;
        }
        std::printf("\n");
    }
    for (const Read& r : reads) {
        if (r.hash == settled)
            return MillisecondsBetween(from, r.received);
    }
    return std::nullopt;
}

void Click(bench::XScreen& screen, int x, int y) {
    auto* display = static_cast<Display*>(screen.Display());
    XTestFakeMotionEvent(display, -1, x, y, 0);
    XFlush(display);
    SleepMs(30);
    XTestFakeButtonEvent(display, 1, True, 0);
    XFlush(display);
    SleepMs(30);
    XTestFakeButtonEvent(display, 1, False, 0);
    XFlush(display);
}

// CPU of a process's main thread (its window's thread) over a number of seconds, in % of a core.
double MainThreadPercent(long pid, double seconds) {
    long long before = bench::ThreadRunNanoseconds(pid, pid);
    auto start = Clock::now();
    SleepMs(1000 * seconds);
    long long after = bench::ThreadRunNanoseconds(pid, pid);
    return static_cast<double>(after - before) / 1e4 / MillisecondsSince(start);
}

int PixelsOf(int twips) {
    return platform::TwipsToPixels(twips);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    std::string program = ZAM_PROGRAM;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--program") == 0)
            program = argv[++i];
    }
    bench::XScreen screen;
    if (!screen.Ok()) {
        std::fprintf(stderr, "zam_launch_bench: no X server at $DISPLAY\n");
        return 1;
    }
    const auto& spec = layout::Form2Window;
    const int title_width = PixelsOf(spec.client_width);
    const int title_height = PixelsOf(spec.client_height);
    const platform::ControlSpec* start_button = nullptr;
    for (const auto& control : layout::Form2Controls) {
        if (std::string(control.name) == "Command1")
            start_button = &control;
    }
    // The game window's and the demo's sizes, as their layouts give them.
    constexpr int GameWidth = 9165, GameHeight = 6015, DemoWidth = 3765, DemoHeight = 1380;

    std::vector<double> to_demo, to_game, title_cpu, game_cpu, peak_rss, game_process_cpu;
    for (int run = 0; run < runs; ++run) {
        const auto exec_time = Clock::now();
        pid_t pid = fork();
        if (pid == 0) {
            execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        auto demo =
            TimeToSettledWindow(screen, pid, PixelsOf(DemoWidth), PixelsOf(DemoHeight), exec_time, 400, 5000);
        bench::XScreen::TopLevel title;
        auto title_seen =
            TimeToSettledWindow(screen, pid, title_width, title_height, Clock::now(), 300, 15000, &title);
        std::optional<double> game;
        if (title_seen && start_button) {
            // The title window has settled: what it costs while it waits for Start.
            title_cpu.push_back(MainThreadPercent(pid, 2.0));
            Click(screen, title.x + PixelsOf(start_button->left + start_button->width / 2),
                  title.y + PixelsOf(start_button->top + start_button->height / 2));
            const auto click_time = Clock::now();
            game = TimeToSettledWindow(screen, pid, PixelsOf(GameWidth), PixelsOf(GameHeight), click_time,
                                       600, 5000);
            if (game) {
                // The music keeper's first tick, two seconds in, starts the game tune.
                SleepMs(std::max(0.0, 2600 - MillisecondsSince(click_time)));
                const double cpu_before = bench::ProcessCpuSeconds(pid);
                const auto cpu_from = Clock::now();
                game_cpu.push_back(MainThreadPercent(pid, 3.0));
                game_process_cpu.push_back(100.0 * (bench::ProcessCpuSeconds(pid) - cpu_before) /
                                           (MillisecondsSince(cpu_from) / 1000.0));
                peak_rss.push_back(bench::StatusMegabytes("VmHWM", std::to_string(pid)));
            }
        }
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        if (demo)
            to_demo.push_back(*demo);
        if (game)
            to_game.push_back(*game);
        std::printf("  run %d: exec → demo on screen %s ms, Start → game on screen %s ms\n", run + 1,
                    demo ? Fixed(*demo, 1).c_str() : "never", game ? Fixed(*game, 1).c_str() : "never");
        SleepMs(300);
    }

    bench::Figure demo{"exec_to_demo_ms", "exec → demo window on screen (the real program)",
                       bench::StatsOf(to_demo), "ms", 150};
    demo.note = "until the X server shows the demo's settled picture; " + std::to_string(to_demo.size()) +
                " of " + std::to_string(runs) + " launches";
    bench::Print(demo);
    bench::Figure game{"start_to_game_ms", "Start clicked → game window on screen (the real program)",
                       bench::StatsOf(to_game), "ms", 100};
    game.note = "from the button's release (XTEST) until the X server shows the settled board";
    bench::Print(game);
    bench::Figure tcpu{"real_idle_title", "the real program: CPU of its window's thread, title waiting",
                       bench::StatsOf(title_cpu), "% of a core", 0.5};
    tcpu.note = "2 s per launch, from /proc schedstat";
    bench::Print(tcpu);
    bench::Figure gcpu{"real_idle_game", "the real program: CPU of its window's thread, game waiting",
                       bench::StatsOf(game_cpu), "% of a core", 0.5};
    gcpu.note = "3 s per launch after the music keeper's first tick; whole process " +
                Fixed(bench::StatsOf(game_process_cpu).median, 1) +
                " % (the synthesizer playing the game tune)";
    bench::Print(gcpu);
    bench::Figure rss{"rss_peak_real", "the real program: peak resident memory, title and game tunes played",
                      bench::StatsOf(peak_rss), "MB", 70};
    rss.note = "VmHWM after the title tune and the game tune have started";
    bench::Print(rss);
    return 0;
}
