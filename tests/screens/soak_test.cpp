// A short soak: title and game by turns on the same windows, as Main runs them,
// leave nothing behind from one game to the next. The long soak is zam_soak.

#include <filesystem>
#include <gtest/gtest.h>

#include "screens/soak_play.h"

namespace {

TEST(Soak, GameAfterGameOnTheSameWindowsLeavesNoWidgetBehind) {
    const auto home = std::filesystem::current_path();
    std::filesystem::current_path(ZAM_MEDIA_DIR);
    {
        testing_support::SoakPlay soak;
        soak.Demo();
        const int widgets = testing_support::SoakPlay::LiveWidgets();
        for (int g = 0; g < 4; ++g) {
            soak.Game();
            EXPECT_EQ(testing_support::SoakPlay::LiveWidgets(), widgets) << "after game " << g + 1;
        }
        EXPECT_EQ(soak.games(), 4);
        EXPECT_GT(soak.moves(), 4 * 16) << "every game played out by moves";
    }
    std::filesystem::current_path(home);
}

}  // namespace
