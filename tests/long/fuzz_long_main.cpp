// zam_fuzz_long: the fuzzed play of the test suite, by the thousand, and its figures.
//
//   zam_fuzz_long [--games N] [--seed S]
//
// Exits 1 when any invariant broke or a game hung; every fault names its seed,
// game and pump, so it replays on its own.

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "game/fuzz_play.h"

int main(int argc, char** argv) {
    long games = 10000;
    std::uint64_t seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--games") == 0)
            games = std::atol(argv[i + 1]);
        else if (std::strcmp(argv[i], "--seed") == 0)
            seed = std::strtoull(argv[i + 1], nullptr, 10);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    std::filesystem::current_path(ZAM_MEDIA_DIR);

    const auto start = std::chrono::steady_clock::now();
    game::Form1 form;
    testing_support::FuzzedPlay fuzz(seed, form);
    for (long g = 0; g < games; ++g) {
        fuzz.PlayGame();
        if ((g + 1) % 500 == 0)
            std::printf("%ld games, %zu faults\n", g + 1, fuzz.faults().size()), std::fflush(stdout);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("seed %llu: %s; %.0f s\n", static_cast<unsigned long long>(seed), fuzz.Report().c_str(),
                seconds);
    for (const auto& fault : fuzz.faults())
        std::printf("FAULT %s\n", fault.c_str());
    return fuzz.faults().empty() ? 0 : 1;
}
