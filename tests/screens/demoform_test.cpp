// The opening demo: its window, the tick table of its animation and the keys that silence it.

#include <QImage>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "fixtures.h"
#include "layout/demoform_layout.h"
#include "platform/keys.h"
#include "platform/window/events.h"
#include "screens/demoform.h"

namespace {

using Effects = std::vector<std::string>;

class DemoformTest : public ::testing::Test {
protected:
    void SetUp() override { demo.Show(); }
    void TearDown() override {
        demo.Unload();
        platform::ProcessPendingEvents();
    }
    // The tick handler as the timer calls it.
    void Ticks(int count) {
        for (int i = 0; i < count; ++i)
            demo.Timer1_Timer();
    }
    int VisibleStrokes() const {
        int shown = 0;
        for (int i = 1; i <= layout::LogoStrokes; ++i)
            shown += demo.Line1(i).Visible() ? 1 : 0;
        return shown;
    }

    testing_support::RecordedSounds sounds;
    screens::Demoform demo;
};

TEST_F(DemoformTest, BorderlessWindowCentredWithEveryStrokeInsideTheLogosBand) {
    QWidget* window = demo.Window();
    EXPECT_EQ(window->size(), QSize(251, 92)) << "3765 x 1380 twips";
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_NEAR(demo.Left(), (demo.ScreenWidth() - demo.Width()) / 2.0, 15);
    EXPECT_NEAR(demo.Top(), (demo.ScreenHeight() - demo.Height()) / 2.0, 15);
    for (int i = 1; i <= layout::LogoStrokes; ++i) {
        // 840 to 3600 twips across, 240 to 1200 down.
        EXPECT_TRUE(QRect(QPoint(56, 16), QPoint(240, 80)).contains(demo.Line1(i).PixelRect())) << i;
    }
    // The year label keeps its corner clear of the strokes.
    EXPECT_FALSE(demo.Line1(19).PixelRect().intersects(demo.Label1().PixelRect()));
    // And the whole year lies inside the window with room to spare: its ink is what showing it changes.
    demo.Label1().SetVisible(false);
    const QImage without = window->grab().toImage();
    demo.Label1().SetVisible(true);
    const QImage with = window->grab().toImage();
    QRect ink;
    int pixels = 0;
    for (int y = 0; y < with.height(); ++y) {
        for (int x = 0; x < with.width(); ++x) {
            if (with.pixel(x, y) != without.pixel(x, y)) {
                ink |= QRect(x, y, 1, 1);
                ++pixels;
            }
        }
    }
    EXPECT_GT(pixels, 150) << "the year in bold";
    EXPECT_GE(window->width() - 1 - ink.right(), 8) << "right margin of the year";
    EXPECT_GE(window->height() - 1 - ink.bottom(), 4) << "the year's foot";
}

TEST_F(DemoformTest, TickTableDrawsTheNameBesideTheMovingFigureAndHidesOnTheTwentyFourthTick) {
    struct Scene {
        int strokes, left, top;
        const platform::Image* pose;
        bool year;
    };
    // The scene after the tick with each DemoTick that changes it; the others change nothing.
    const std::map<int, Scene> changes{
        {4, {2, 50, 800, &demo.Image3(), false}},  {5, {6, 120, 800, &demo.Image2(), false}},
        {6, {9, 120, 50, &demo.Image4(), false}},  {7, {13, 120, 800, &demo.Image2(), false}},
        {8, {17, 120, 50, &demo.Image4(), false}}, {9, {19, 140, 50, &demo.Image5(), false}},
        {13, {19, 140, 50, &demo.Image5(), true}}};
    Scene want{0, 120, 800, &demo.Image2(), false};
    auto& figure = demo.Image1();
    for (int tick = -1; tick <= 22; ++tick) {
        if (tick >= 0)
            Ticks(1);
        if (changes.count(tick))
            want = changes.at(tick);
        const std::string when = "after DemoTick " + std::to_string(tick);
        EXPECT_EQ(VisibleStrokes(), want.strokes) << when;
        EXPECT_EQ(figure.Left(), want.left) << when;
        EXPECT_EQ(figure.Top(), want.top) << when;
        EXPECT_EQ(figure.GetPicture().cacheKey(), want.pose->GetPicture().cacheKey()) << when;
        EXPECT_EQ(figure.Width(), want.pose->GetPicture().width() * 15) << when << ": natural size";
        EXPECT_TRUE(figure.Visible()) << when;
        EXPECT_EQ(demo.Label1().Visible(), want.year) << when;
        EXPECT_EQ(demo.Timer1().Interval(), 200) << when;
        EXPECT_EQ(sounds.effects.size(), tick >= 1 ? 1u : 0u) << when;
    }
    EXPECT_TRUE(demo.Visible());
    Ticks(1);
    EXPECT_FALSE(demo.Visible()) << "hidden on the 24th tick";
    EXPECT_TRUE(demo.Loaded()) << "hidden only: unloading is Main's business";
    EXPECT_EQ(demo.Timer1().Interval(), 0);
    EXPECT_EQ(sounds.effects, Effects{"TXDEMO.WAV"});
}

TEST_F(DemoformTest, ModifierKeysSilenceTheDemoSoundAndPlainKeysDoNothing) {
    QWidget* window = demo.Window();
    Ticks(1);
    QTest::keyClick(window, Qt::Key_A);
    QTest::keyClick(window, Qt::Key_Space);
    EXPECT_TRUE(sounds.effects.empty());
    EXPECT_EQ(demo.NoPlayMode, platform::False);

    // Shift alone before the tick that would start the demo sound: it never starts.
    QTest::keyClick(window, Qt::Key_Shift);
    EXPECT_EQ(sounds.effects, Effects{"Dummy.wav"});
    EXPECT_EQ(demo.NoPlayMode, platform::True);
    Ticks(23);
    EXPECT_EQ(sounds.effects, Effects{"Dummy.wav"});
    EXPECT_FALSE(demo.Visible()) << "the animation runs to its end all the same";
}

TEST_F(DemoformTest, ModifierKeysCutOffTheDemoSoundOnceItHasStarted) {
    QWidget* window = demo.Window();
    Ticks(3);
    // Ctrl+Q is the Ctrl press, then Q with Ctrl held: each one plays the empty sound.
    QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(sounds.effects, (Effects{"TXDEMO.WAV", "Dummy.wav", "Dummy.wav"}));
    // A modifier key counts even where the system reports it without its own bit.
    demo.Form_KeyDown(platform::KeyAlt, 0);
    EXPECT_EQ(sounds.effects.size(), 4u);
}

}  // namespace
