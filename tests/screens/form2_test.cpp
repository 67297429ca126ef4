// The title window on its own: its look, Alt+S, and the two kinds of close.

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "layout/form1_layout.h"
#include "screen_reader.h"
#include "screens_harness.h"

namespace {

class Form2Test : public ::testing::Test {
protected:
    void TearDown() override {
        title.Unload();
        platform::ProcessPendingEvents();
    }

    screens_testing::FreshGlobals globals;
    testing_support::RecordedSounds sounds;
    testing_support::RecordedEnd end;
    screens::Form2 title;
};

TEST_F(Form2Test, ToolWindowWithTheFocusOnTheLogoAndTheWholeCreditBeforeTheIconAboveIt) {
    title.Show();
    QWidget* window = title.Window();
    EXPECT_EQ(window->size(), QSize(282, 88)) << "4230 x 1320 twips";
    EXPECT_EQ(window->windowType(), Qt::Tool);
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8(layout::Form1Window.caption)) << "the same credit";
    EXPECT_EQ(window->focusWidget(), title.Picture1().Widget());
    // The credit's ink ends before the note, which lies over the end of the credit's box.
    const QRect note = title.Image1().PixelRect();
    const QRect credit = title.Label1().PixelRect();
    ASSERT_TRUE(credit.intersects(note));
    title.Image1().SetVisible(false);
    const QImage shot = window->grab().toImage();
    int ink = 0;
    for (int y = credit.top(); y <= credit.bottom(); ++y) {
        for (int x = credit.left(); x <= credit.right(); ++x) {
            if (!window->childAt(x, y) && shot.pixelColor(x, y) != QColor(0, 0, 128)) {
                ++ink;
                EXPECT_LT(x, note.left()) << "the credit runs under the note at " << x << ", " << y;
            }
        }
    }
    EXPECT_GT(ink, 50);
    // The whole note shows over the credit's box.
    title.Image1().SetVisible(true);
    const QImage note_picture = title.Image1().GetPicture().toImage();
    const QImage over = window->grab().toImage();
    for (int y = 0; y < note.height(); ++y) {
        for (int x = 0; x < note.width(); ++x) {
            if (qAlpha(note_picture.pixel(x, y)) == 255) {
                EXPECT_EQ(over.pixelColor(note.topLeft() + QPoint(x, y)), note_picture.pixelColor(x, y));
            }
        }
    }
}

TEST_F(Form2Test, AltSPressesStartAndEachLoadStartsAgainAtEasy) {
    auto press_alt_s = [&] {
        // Access keys work in the active window, and a pressed button reports its click a moment later.
        ASSERT_TRUE(QTest::qWaitForWindowActive(title.Window()));
        QTest::keyClick(title.Window(), Qt::Key_S, Qt::AltModifier);
        for (int waited = 0; waited < 2000 && title.Visible(); waited += 10)
            QTest::qWait(10);
    };
    title.Show();
    QTest::mouseClick(title.Option1(1).Widget(), Qt::LeftButton);
    EXPECT_FALSE(title.Option1(0).Value()) << "one exclusive group";
    press_alt_s();
    EXPECT_EQ(globals::ComputerTries, 30);
    EXPECT_FALSE(title.Visible());
    EXPECT_TRUE(title.Loaded()) << "hidden only: unloading is Main's business";

    title.Unload();
    title.Show();
    press_alt_s();
    EXPECT_EQ(globals::ComputerTries, 10);
    EXPECT_EQ(sounds.tunes, (std::vector<std::string>{"zam.mid", "zam.mid"}));
}

TEST_F(Form2Test, CloseBoxStopsTheMusicAndEndsTheProgramWhileTheProgramsOwnUnloadDoesNeither) {
    title.Show();
    sounds.commands.clear();
    title.Unload();
    EXPECT_EQ(end.ends, 0);
    EXPECT_TRUE(sounds.commands.empty()) << "the title tune plays on into the game's set-up";

    title.Show();
    sounds.commands.clear();
    title.Window()->close();
    EXPECT_EQ(end.ends, 1);
    EXPECT_EQ(sounds.commands, std::vector<std::string>{"close Midi"});
}

TEST_F(Form2Test, AScreenReaderAnnouncesEveryChoiceAndTheMusicSwitchAsPressedOrNot) {
    testing_support::ScreenReaderOn screen_reader;
    title.Show();
    EXPECT_EQ(title.Command1().Widget()->accessibleName(), "Start");
    EXPECT_EQ(title.Option1(0).Widget()->accessibleName(), "Easy");
    EXPECT_EQ(title.Option1(1).Widget()->accessibleName(), "Hard");
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(title.Window());
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), "ZAM title") << "told apart from the game window";
    QAccessibleInterface* music = testing_support::ChildNamed(title.Window(), "Music");
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(music->role(), QAccessible::CheckBox) << "a switch, on or off";
    EXPECT_TRUE(music->state().checkable);
    EXPECT_TRUE(music->state().checked) << "the music is on";
    EXPECT_TRUE(testing_support::Announced(title.Window()).isEmpty()) << "nothing flipped yet";
    const qint64 picture = title.Image1().GetPicture().cacheKey();
    testing_support::Click(title, title.Image1());
    EXPECT_FALSE(music->state().checked) << "switched off";
    EXPECT_EQ(title.Image1().GetPicture().cacheKey(), picture) << "the icon itself does not change";
    EXPECT_EQ(testing_support::LastAnnounced(title.Window()), "Music off");

    // The screen reader's own action flips it as a click does.
    ASSERT_NE(music->actionInterface(), nullptr);
    EXPECT_EQ(music->actionInterface()->actionNames(),
              QStringList{QAccessibleActionInterface::toggleAction()});
    testing_support::Act(music);
    EXPECT_EQ(globals::MusicOff, platform::False);
    EXPECT_TRUE(music->state().checked);
    EXPECT_EQ(testing_support::LastAnnounced(title.Window()), "Music on");
    testing_support::Act(music);

    // The next showing tells the state the switch was left in, and says nothing of it.
    title.Unload();
    title.Show();
    music = testing_support::ChildNamed(title.Window(), "Music");
    ASSERT_NE(music, nullptr);
    EXPECT_FALSE(music->state().checked);
    EXPECT_TRUE(testing_support::Announced(title.Window()).isEmpty());
}

TEST_F(Form2Test, TheKeyboardAloneWalksTheTabOrderChoosesAndStartsAndTheFocusShows) {
    title.Show();
    QWidget* window = title.Window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };
    auto look = [](const platform::Control& c) { return c.Widget()->grab().toImage(); };
    const QImage logo_focused = look(title.Picture1());
    EXPECT_EQ(QApplication::focusWidget(), title.Picture1().Widget());

    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), title.Option1(0).Widget());
    EXPECT_NE(look(title.Picture1()), logo_focused) << "the focus frame leaves the logo";
    const QImage easy_focused = look(title.Option1(0));
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), title.Option1(1).Widget()) << "each option is a tab stop";
    EXPECT_TRUE(title.Option1(1).Value()) << "the option the keyboard comes to is chosen";
    EXPECT_FALSE(title.Option1(0).Value());
    EXPECT_NE(look(title.Option1(0)), easy_focused) << "the focus shows on the option that has it";
    press(Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), title.Option1(0).Widget()) << "arrows move within the group";
    EXPECT_TRUE(title.Option1(0).Value());
    press(Qt::Key_Right);
    EXPECT_TRUE(title.Option1(1).Value());
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), title.Command1().Widget());
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), title.Picture1().Widget()) << "the order wraps round";
    press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), title.Command1().Widget()) << "Shift+Tab walks it backwards";
    const QImage start_focused = look(title.Command1());
    press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), title.Option1(1).Widget());
    EXPECT_NE(look(title.Command1()), start_focused) << "the focus shows on Start";
    press(Qt::Key_Tab);
    press(Qt::Key_Space);
    for (int waited = 0; waited < 2000 && title.Visible(); waited += 10)
        QTest::qWait(10);
    EXPECT_FALSE(title.Visible()) << "Space presses the focused Start button";
    EXPECT_EQ(globals::ComputerTries, 30);
}

}  // namespace
