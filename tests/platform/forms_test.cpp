// The forms runtime on a small window of its own: load order, show and hide,
// the two kinds of close, control arrays and option groups.

#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/window/events.h"
#include "platform/window/forms.h"

namespace {

using platform::CloseReason;
using platform::ControlKind;
using platform::ControlSpec;

const platform::WindowSpec TestWindow{.name = "TestForm",
                                      .caption = "Test",
                                      .client_width = 3000,
                                      .client_height = 1500,
                                      .frame = platform::FrameStyle::FixedToolWindow};

const ControlSpec TestControls[] = {
    {.kind = ControlKind::Label,
     .name = "lblName",
     .left = 100,
     .top = 100,
     .width = 1000,
     .height = 300,
     .caption = "Name"},
    {.kind = ControlKind::OptionButton,
     .name = "Option1",
     .index = 0,
     .left = 100,
     .top = 500,
     .width = 900,
     .height = 255,
     .caption = "Easy",
     .selected = true},
    {.kind = ControlKind::OptionButton,
     .name = "Option1",
     .index = 1,
     .left = 1000,
     .top = 500,
     .width = 900,
     .height = 255,
     .caption = "Hard"},
    {.kind = ControlKind::CommandButton,
     .name = "Command1",
     .left = 100,
     .top = 900,
     .width = 1500,
     .height = 300,
     .caption = "&S t a r t"},
    {.kind = ControlKind::Line,
     .name = "Line1",
     .index = 1,
     .x1 = 2000,
     .y1 = 1200,
     .x2 = 2600,
     .y2 = 300,
     .fore = platform::RGB(255, 0, 0)},
};

class TestForm : public platform::Form {
public:
    TestForm() : Form(TestWindow, TestControls) {}
    std::vector<std::string> log;
    bool hide_in_load = false;
    platform::OptionButton& Option1(int index) const { return Get<platform::OptionButton>("Option1", index); }
    platform::CommandButton& Command1() const { return Get<platform::CommandButton>("Command1"); }
    platform::LineSegment& Line1() const { return Get<platform::LineSegment>("Line1", 1); }

protected:
    void ControlsCreated() override {
        log.push_back("created");
        Get<platform::CommandButton>("Command1").on_click = [this] { log.push_back("click"); };
    }
    void Form_Load() override {
        log.push_back(Visible() ? "load visible" : "load hidden");
        if (hide_in_load) {
            Show();
            Hide();
        }
    }
    void Form_QueryUnload(CloseReason reason) override {
        log.push_back(reason == CloseReason::Program ? "unload by program" : "close by user");
    }
};

TEST(Forms, ShowLoadsFirstAndEachKindOfCloseReachesTheHandler) {
    TestForm form;
    EXPECT_FALSE(form.Loaded());
    form.Show();
    EXPECT_TRUE(form.Visible());
    form.Show();  // already loaded: no second load
    form.Hide();
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(form.Loaded());
    form.Unload();
    form.Unload();  // unloading an unloaded form is harmless
    form.Show();
    form.Window()->close();
    EXPECT_FALSE(form.Loaded()) << "a close that nobody stops unloads the window";
    EXPECT_FALSE(form.Visible());
    platform::ProcessPendingEvents();
    std::vector<std::string> expected{"created", "load hidden", "unload by program",
                                      "created", "load hidden", "close by user"};
    EXPECT_EQ(form.log, expected);
}

TEST(Forms, AWindowHiddenByItsOwnLoadStaysHidden) {
    TestForm form;
    form.hide_in_load = true;
    form.Show();
    EXPECT_TRUE(form.Loaded());
    EXPECT_FALSE(form.Visible());
    form.Unload();
}

TEST(Forms, OptionButtonsFormOneGroupAndButtonsReportClicks) {
    TestForm form;
    form.Show();
    auto* easy = &form.Option1(0);
    auto* hard = &form.Option1(1);
    EXPECT_TRUE(easy->Value());
    QTest::mouseClick(hard->Widget(), Qt::LeftButton);
    EXPECT_TRUE(hard->Value());
    EXPECT_FALSE(easy->Value());

    QTest::mouseClick(form.Command1().Widget(), Qt::LeftButton);
    EXPECT_EQ(form.log.back(), "click");

    EXPECT_EQ(form.Line1().PixelRect(), QRect(133, 20, 41, 61));
    EXPECT_EQ(form.FindControl("Line1", 0), nullptr) << "a control is found by its index too";
    form.Unload();
}

}  // namespace
