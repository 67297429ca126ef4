// The rising move value: positions, colours and pauses.

#include <gtest/gtest.h>

#include "fixtures.h"

namespace {

struct Step {
    int left, top;
    platform::Rgb colour;
    bool visible;
};

class MoveValueTest : public ::testing::Test {
protected:
    void SetUp() override { form.Show(); }
    void TearDown() override { form.Unload(); }

    std::vector<Step> Run(int x, int y, int v) {
        std::vector<Step> steps;
        platform::Replace<std::function<void(int)>> sleep(platform::Pump().sleep, [&](int ms) {
            EXPECT_EQ(ms, 20);
            auto& label = form.lblMV();
            steps.push_back({label.Left(), label.Top(), label.ForeColor(), label.Visible()});
        });
        form.PrintMoveValue(static_cast<game::Integer>(x), static_cast<game::Integer>(y),
                            static_cast<game::Integer>(v));
        return steps;
    }

    testing_support::ScriptedRandom random{[](std::size_t) { return 0.5; }};
    testing_support::SetUpOnlyForm1 form;
};

TEST_F(MoveValueTest, RisesFourHundredTwipsBrighteningThenFadingInFortyTwoSteps) {
    auto steps = Run(15, 0, 4);
    ASSERT_EQ(steps.size(), 42u);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].left, 6200) << "400 x + 200, past the board's right edge on column 15";
        EXPECT_TRUE(steps[i].visible);
    }
    EXPECT_EQ(steps[0].top, -400) << "row 0 starts with only the label's foot inside the window";
    EXPECT_EQ(steps[20].top, -600);
    EXPECT_EQ(steps[21].top, -600) << "the middle height is shown twice";
    EXPECT_EQ(steps[41].top, -800);
    using platform::RGB;
    EXPECT_EQ(steps[0].colour, RGB(0, 0, 0));
    EXPECT_EQ(steps[1].colour, RGB(18, 20, 20));
    EXPECT_EQ(steps[12].colour, RGB(216, 240, 240));
    EXPECT_EQ(steps[13].colour, RGB(234, 255, 255)) << "components above 255 count as 255";
    EXPECT_EQ(steps[14].colour, RGB(252, 255, 255));
    int white = 0;
    for (const auto& step : steps)
        white += step.colour == RGB(255, 255, 255);
    EXPECT_EQ(white, 13);
    EXPECT_EQ(steps[41].colour, RGB(18, 20, 20));
    EXPECT_EQ(form.lblMV().Caption(), "4");
    EXPECT_FALSE(form.lblMV().Visible());

    auto low = Run(3, 13, 2);
    EXPECT_EQ(low.front().top, 4800);
    EXPECT_EQ(low.front().left, 1400);
    EXPECT_EQ(form.lblMV().Caption(), "2");
    EXPECT_EQ(Run(0, 1, 1).front().top, 0);
}

}  // namespace
