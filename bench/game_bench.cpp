// The game without a window: the computer's choice of a move (stages 1-3) on
// positions taken from real games, and whole games played headless, without
// pauses, as games per second.
//
//   zam_game_bench [Google Benchmark flags]
//
// Runs under Google Benchmark with ten repetitions; prints Google Benchmark's own
// report, then one FIGURE line per figure (see bench_support.h).

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <vector>

#include "bench_support.h"
#include "game/computer_choice.h"
#include "game/rules.h"
#include "game/self_play.h"
#include "platform/kernel.h"

namespace {

constexpr game::Integer EasyTries = 10;
constexpr game::Integer HardTries = 30;

// Every position in which the computer had to move, over a number of self-played games.
std::vector<game::GameState> ComputerPositions(game::Integer tries, int games) {
    std::vector<game::GameState> positions;
    for (int g = 0; g < games; ++g) {
        game::GameState state;
        game::SilentView view;
        game::Init(state, view);
        for (int turn = 0; turn < 100000 && !game::GameOver(state); ++turn) {
            game::Integer direction = game::ScriptedPlayerChoice(state);
            if (!game::MoveYourChr(state, direction, view) || game::GameOver(state))
                break;
            positions.push_back(state);
            game::ZAMPhase(state, tries, view);
        }
    }
    return positions;
}

const std::vector<game::GameState>& Positions(game::Integer tries) {
    static std::map<int, std::vector<game::GameState>> positions;
    auto& kept = positions[tries];
    if (kept.empty())
        kept = ComputerPositions(tries, 20);
    return kept;
}

void ComputerChoice(benchmark::State& bench, game::Integer tries) {
    const auto& positions = Positions(tries);
    std::size_t i = 0;
    for (auto _ : bench) {
        game::ComputerMove move = game::ChooseComputerMove(positions[i], tries);
        benchmark::DoNotOptimize(move);
        if (++i == positions.size())
            i = 0;
    }
    bench.SetLabel(std::to_string(positions.size()) + " positions from 20 games");
}

void SelfPlayGame(benchmark::State& bench, game::Integer tries) {
    long turns = 0;
    for (auto _ : bench) {
        game::SelfPlayResult result = game::PlaySelfGame(tries);
        turns += result.turns;
        benchmark::DoNotOptimize(result);
    }
    bench.counters["games_per_s"] =
        benchmark::Counter(static_cast<double>(bench.iterations()), benchmark::Counter::kIsRate);
    bench.counters["turns_per_game"] =
        benchmark::Counter(static_cast<double>(turns) / static_cast<double>(bench.iterations()));
}

BENCHMARK_CAPTURE(ComputerChoice, Hard, HardTries)->MinTime(0.2);
BENCHMARK_CAPTURE(ComputerChoice, Easy, EasyTries)->MinTime(0.2);
BENCHMARK_CAPTURE(SelfPlayGame, Hard, HardTries)->MinTime(0.3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SelfPlayGame, Easy, EasyTries)->MinTime(0.3)->Unit(benchmark::kMillisecond);

// Shows Google Benchmark's usual report and keeps each repetition for the figures.
class KeepingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& reports) override {
        // Only the aggregates are shown; every repetition is kept.
        std::vector<Run> aggregates;
        for (const Run& run : reports) {
            if (run.run_type == Run::RT_Aggregate)
                aggregates.push_back(run);
        }
        if (!aggregates.empty())
            ConsoleReporter::ReportRuns(aggregates);
        for (const Run& run : reports) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            auto& kept = runs[run.run_name.function_name];
            kept.ns_per_call.push_back(run.GetAdjustedRealTime() *
                                       (run.time_unit == benchmark::kMillisecond ? 1e6 : 1.0));
            if (auto games = run.counters.find("games_per_s"); games != run.counters.end())
                kept.games_per_s.push_back(games->second.value);
            if (auto turns = run.counters.find("turns_per_game"); turns != run.counters.end())
                kept.turns_per_game.push_back(turns->second.value);
        }
    }
    struct Kept {
        std::vector<double> ns_per_call;
        std::vector<double> games_per_s;
        std::vector<double> turns_per_game;
    };
    std::map<std::string, Kept> runs;
};

using bench::Fixed;

}  // namespace

int main(int argc, char** argv) {
    // A fixed seed for the whole run, so every run measures the same games.
    platform::Seed(20240611);
    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=10";
    args.insert(args.begin() + 1, repetitions.data());
    // The positions are drawn before any measuring, so that every run measures the same ones.
    Positions(HardTries);
    Positions(EasyTries);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    KeepingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");

    for (const char* level : {"Hard", "Easy"}) {
        const auto& choice = reporter.runs["ComputerChoice/" + std::string(level)];
        std::vector<double> us;
        for (double ns : choice.ns_per_call)
            us.push_back(ns / 1000.0);
        bench::Figure f{std::string("choice_") + level,
                        std::string("computer's choice of a move, ") + level + " (" +
                            (level[0] == 'H' ? "30" : "10") + " tries), no window",
                        bench::StatsOf(us), "us"};
        if (level[0] == 'H')
            f.limit = 50;
        f.note = "mean per call over " +
                 std::to_string(Positions(level[0] == 'H' ? HardTries : EasyTries).size()) +
                 " positions of 20 self-played games; median of " + std::to_string(us.size()) +
                 " repetitions";
        bench::Print(f);
    }
    for (const char* level : {"Hard", "Easy"}) {
        const auto& games = reporter.runs["SelfPlayGame/" + std::string(level)];
        bench::Figure f{std::string("selfplay_") + level,
                        std::string("headless whole game, no pauses, no window, ") + level,
                        bench::StatsOf(games.games_per_s), "games/s"};
        f.note = "computer against the scripted player; " +
                 Fixed(bench::StatsOf(games.turns_per_game).median, 0) + " moves a game";
        bench::Print(f);
    }
    benchmark::Shutdown();
    return 0;
}
