// The kernel-like calls and the event pump that every wait of the game is built on.

#include <QTimer>
#include <gtest/gtest.h>

#include "fixtures.h"
#include "platform/kernel.h"
#include "platform/window/controls.h"
#include "platform/window/events.h"

namespace {

TEST(Kernel, RndStaysInsideTheUnitIntervalAndRandomBelowCoversEveryValue) {
    platform::Randomize();
    int counts[4] = {};
    for (int i = 0; i < 20000; ++i) {
        double r = platform::Rnd();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        int k = platform::RandomBelow(4);
        ASSERT_GE(k, 0);
        ASSERT_LE(k, 3);
        ++counts[k];
    }
    for (int count : counts)
        EXPECT_GT(count, 4000) << "four values drawn about equally often";
}

TEST(Kernel, ReplacedCallsComeBackAtTheEndOfTheScope) {
    {
        testing_support::ScriptedRandom scripted([](std::size_t k) { return k == 0 ? 0.999 : 0.0; });
        testing_support::RecordedSleep sleep;
        testing_support::RecordedEnd end;
        EXPECT_EQ(platform::RandomBelow(16), 15);
        EXPECT_EQ(platform::RandomBelow(16), 0);
        platform::Sleep(20);
        platform::Sleep(1000);
        platform::End();
        EXPECT_EQ(sleep.pauses, (std::vector<int>{20, 1000}));
        EXPECT_EQ(end.ends, 1);
    }
    double r = platform::Rnd();
    EXPECT_TRUE(r != 0.999 && r >= 0.0 && r < 1.0) << "the real generator is back";
}

TEST(EventPump, WaitBlocksUntilAnEventArrivesAndTimersTickOnlyWhilePumped) {
    bool fired = false;
    QTimer::singleShot(30, [&] { fired = true; });
    while (!fired)
        platform::WaitForEvents();
    EXPECT_TRUE(fired);

    platform::ControlSpec spec{.kind = platform::ControlKind::Timer, .name = "Timer1", .interval = 10};
    platform::Timer timer(spec);
    int ticks = 0;
    timer.on_timer = [&] { ++ticks; };
    while (ticks < 2)
        platform::WaitForEvents();
    timer.SetInterval(0);
    const int stopped_at = ticks;
    QTimer::singleShot(50, [&] { fired = false; });
    while (fired)
        platform::WaitForEvents();
    EXPECT_EQ(ticks, stopped_at) << "an interval of 0 stops the timer";
    EXPECT_EQ(timer.Interval(), 0);
}

}  // namespace
