// Fuzzed play, a short run: whole games in the real turn loop under a seeded
// stream of random input, with the invariants checked after every event. The long
// run (zam_fuzz_long) plays the same games by the thousand.

#include <filesystem>
#include <gtest/gtest.h>

#include "game/fuzz_play.h"

namespace {

TEST(FuzzedPlay, RandomInputNeverBreaksTheBoardTheCountersOrTheScores) {
    // The effects and the tunes are found and really played (on the silent driver).
    const auto home = std::filesystem::current_path();
    std::filesystem::current_path(ZAM_MEDIA_DIR);
    game::Form1 form;
    testing_support::FuzzedPlay fuzz(20240607, form);
    fuzz.close_odds = 0;  // only the games chosen below are closed
    constexpr int Games = 12;
    for (int g = 0; g < Games; ++g) {
        fuzz.close_next = g % 4 == 3;
        fuzz.PlayGame();
    }
    std::filesystem::current_path(home);

    const auto& figures = fuzz.figures();
    std::printf("%s\n", fuzz.Report().c_str());
    for (const auto& fault : fuzz.faults())
        ADD_FAILURE() << fault;
    EXPECT_EQ(figures.games, Games);
    EXPECT_EQ(figures.player_wins + figures.computer_wins, Games - 3)
        << "every game not closed was played out";
    EXPECT_EQ(figures.closes, 3);
    // The stream must reach what it is meant to reach, or the run proves little.
    EXPECT_GT(figures.player_wins, 0) << "the end animation also moves the player's pieces";
    EXPECT_GT(figures.computer_wins, 0);
    EXPECT_GT(figures.bursts, 10);
    EXPECT_GT(figures.captures, 0);
    EXPECT_GT(figures.arrivals, 0);
    EXPECT_GT(figures.checks, figures.events);
}

// A window that shows one thing while the state says another must not get past the checks.
class MisplacingForm1 : public game::Form1 {
public:
    void Locate(game::Integer X, game::Integer Y, game::Integer Mode, game::Integer Param) override {
        game::Form1::Locate(X, Y, Mode, Param);
        if (Mode == game::ComputerSide && Param == 5 && X >= 0 && Y > 0)
            Image1(game::PiecesPerSide + Param).Move(CellSize * X + 105, CellSize * Y + 15);
    }
    static constexpr int CellSize = game::CellSize;
};

TEST(FuzzedPlay, TheChecksCatchAPieceShownAwayFromItsCell) {
    const auto home = std::filesystem::current_path();
    std::filesystem::current_path(ZAM_MEDIA_DIR);
    MisplacingForm1 form;
    testing_support::FuzzedPlay fuzz(7, form);
    for (int g = 0; g < 3 && fuzz.faults().empty(); ++g)
        fuzz.PlayGame();
    std::filesystem::current_path(home);
    ASSERT_FALSE(fuzz.faults().empty());
    EXPECT_NE(fuzz.faults().front().find("computer's piece 5's image is not at its cell"), std::string::npos)
        << fuzz.faults().front();
}

}  // namespace
