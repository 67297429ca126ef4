// zam-selfplay: plays many games of a simple scripted player against the computer,
// on Easy and on Hard, and prints how the computer fares.
//
//   zam-selfplay [--games N] [--seed S]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/self_play.h"
#include "platform/kernel.h"

namespace {

struct Totals {
    int games = 0;
    int computer_wins = 0;
    long player_score = 0;
    long computer_score = 0;
    long turns = 0;
    long captures = 0;
};

Totals PlayMany(int games, int tries) {
    Totals totals;
    for (int g = 0; g < games; ++g) {
        game::SelfPlayResult r = game::PlaySelfGame(static_cast<game::Integer>(tries));
        ++totals.games;
        totals.computer_wins += r.winner == game::ComputerSide;
        totals.player_score += r.player_score;
        totals.computer_score += r.computer_score;
        totals.turns += r.turns;
        totals.captures += r.captures;
    }
    return totals;
}

[[noreturn]] void Usage() {
    std::fprintf(stderr, "usage: zam-selfplay [--games N] [--seed S]\n");
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    int games = 1000;
    unsigned long long seed = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--games") == 0 && i + 1 < argc)
            games = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc)
            seed = std::strtoull(argv[++i], nullptr, 10);
        else
            Usage();
    }
    if (games < 1)
        Usage();

    // The same seed gives the same games on every machine.
    platform::Seed(seed);

    std::printf("zam-selfplay: %d games per level, seed %llu\n\n", games, seed);
    std::printf("%-5s %5s %14s %12s %14s %11s %14s %10s\n", "level", "tries", "computer wins", "player mean",
                "computer mean", "turns/game", "captures/game", "games/s");
    for (auto [name, tries] : {std::pair{"Easy", 10}, std::pair{"Hard", 30}}) {
        auto start = std::chrono::steady_clock::now();
        Totals t = PlayMany(games, tries);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%-5s %5d %13.1f%% %12.1f %14.1f %11.1f %14.2f %10.0f\n", name, tries,
                    100.0 * t.computer_wins / t.games, double(t.player_score) / t.games,
                    double(t.computer_score) / t.games, double(t.turns) / t.games,
                    double(t.captures) / t.games, t.games / seconds);
    }
    return 0;
}
