// The game window as a window: its layout, its life across games and its closes.

#include <QAccessible>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <array>
#include <gtest/gtest.h>

#include "fixtures.h"
#include "game/form1.h"
#include "layout/form1_layout.h"
#include "platform/window/events.h"

namespace {

using game::Form1;

class Form1WindowTest : public ::testing::Test {
protected:
    void TearDown() override { form.Unload(); }

    testing_support::ScriptedRandom random{[](std::size_t k) { return (k % 4) / 4.0; }};
    testing_support::RecordedEnd end;
    testing_support::SetUpOnlyForm1 form;
};

TEST_F(Form1WindowTest, WindowAndControlsFollowTheLayoutInPixels) {
    form.Show();
    QWidget* window = form.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(window->size(), QSize(611, 401)) << "9165 x 6015 twips";
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "the window is not resizable";
    EXPECT_TRUE(window->windowTitle().startsWith("ZAM"));
    EXPECT_FALSE(window->windowIcon().isNull());

    // Twips stay as the layout set them; the widget is placed at the rounded pixel.
    auto& banner = form.lblWinorLose();
    EXPECT_EQ(banner.Left(), 1440);
    EXPECT_EQ(banner.Widget()->geometry(), QRect(96, 168, 241, 49));
    EXPECT_EQ(form.Picture1().Widget()->geometry(), QRect(448, 16, 150, 70));
    EXPECT_EQ(form.Command1().Widget()->geometry(), QRect(544, 368, 57, 25));
    EXPECT_EQ(form.Image2(0).Widget()->geometry(), QRect(512, 304, 16, 16));
    EXPECT_EQ(form.Image0(1).Widget()->geometry(), QRect(472, 192, 30, 40));

    // Hidden until a game procedure shows them.
    EXPECT_FALSE(form.Command1().Visible());
    EXPECT_FALSE(form.lblWinorLose().Visible());
    EXPECT_FALSE(form.lblMV().Visible());
    EXPECT_FALSE(form.Shape1().Visible());
    EXPECT_EQ(static_cast<QLabel*>(form.lblScore(1).Widget())->text(), "Score : 0");
    EXPECT_EQ(form.lblScore(2).Caption(), "ZAM");
    EXPECT_EQ(form.lblScore(0).ForeColor(), platform::RGB(0, 192, 0));
    EXPECT_EQ(form.lblScore(3).ForeColor(), platform::RGB(0, 192, 192));
    EXPECT_EQ(form.Timer1().Interval(), 0) << "the music keeper waits for the turn loop";

    // Every picture the layout names is compiled in.
    for (const auto& spec : layout::Form1Controls) {
        if (spec.picture) {
            EXPECT_FALSE(platform::LoadPicture(spec.picture).isNull()) << spec.picture;
        }
    }
    EXPECT_EQ(form.Image0(0).GetPicture().size(), QSize(30, 40));
    EXPECT_EQ(form.Picture1().GetPicture().size(), QSize(150, 70));
    EXPECT_EQ(form.Image2(3).GetPicture().size(), QSize(16, 16));
}

TEST_F(Form1WindowTest, BannerAndMarkerLieAbovePiecesAndPicture1HoldsTheFocus) {
    form.Show();
    QWidget* window = form.Window();
    auto stacking = [&](const platform::Control& control) {
        return window->children().indexOf(control.Widget());
    };
    // Qt paints later children on top.
    EXPECT_GT(stacking(form.lblWinorLose()), stacking(form.Image1(0)));
    EXPECT_GT(stacking(form.Shape1()), stacking(form.Image1(31)));
    EXPECT_GT(stacking(form.Image1(0)), stacking(form.Image1(31)));
    EXPECT_EQ(window->focusWidget(), form.Picture1().Widget());
}

TEST_F(Form1WindowTest, AScreenReaderCanTellEveryControlAPlayerUsesApart) {
    form.Show();
    QStringList names;
    for (int i = 0; i < 32; ++i)
        names << form.Image1(i).Widget()->accessibleName();
    for (int d = 0; d < 4; ++d)
        names << form.Image2(d).Widget()->accessibleName();
    names << form.Command1().Widget()->accessibleName() << form.lblScore(1).Widget()->accessibleName()
          << form.lblScore(3).Widget()->accessibleName() << form.Picture1().Widget()->accessibleName();
    EXPECT_EQ(names.size(), QSet<QString>(names.begin(), names.end()).size())
        << names.join(", ").toStdString();
    EXPECT_FALSE(names.contains(QString()));
    EXPECT_EQ(names[0], "Your piece 1");
    EXPECT_EQ(names[31], "ZAM's piece 16");
    EXPECT_EQ(names[32], "Move up");
    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(form.Image2(3).Widget());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->role(), QAccessible::Button) << "the direction triangles are buttons";
    EXPECT_EQ(button->text(QAccessible::Name), "Move left");
}

TEST_F(Form1WindowTest, ArrowKeysReachPicture1WithTheirCodesAndShiftState) {
    form.Show();
    std::vector<std::pair<int, int>> keys;
    form.Picture1().on_key_down = [&](int key, int shift) { keys.emplace_back(key, shift); };
    QWidget* box = form.Picture1().Widget();
    QTest::keyClick(box, Qt::Key_Left);
    QTest::keyClick(box, Qt::Key_Up);
    QTest::keyClick(box, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(box, Qt::Key_Down, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(box, Qt::Key_Q);
    // Held modifiers arrive as key presses of their own first, as on a real keyboard;
    // a key the game has no use for arrives as 0.
    std::vector<std::pair<int, int>> expected{{37, 0}, {38, 0}, {16, 1}, {39, 1},
                                              {17, 2}, {18, 6}, {40, 6}, {0, 0}};
    EXPECT_EQ(keys, expected);
}

TEST_F(Form1WindowTest, UnloadDestroysControlsButKeepsTheGameState) {
    form.Show();
    form.lblScore(1).SetCaption("Score : 12");
    form.Command1().SetVisible(true);
    form.Locate(4, 6, 2, -1);
    form.Score(0) = 12;
    form.PieceX(3, 0) = -1;
    form.Phase = 2;

    form.Unload();
    EXPECT_FALSE(form.Loaded());
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(form.FindControl("lblScore", 1), nullptr);
    EXPECT_EQ(end.ends, 0) << "the program's own unload does not end it";
    EXPECT_EQ(form.Score(0), 12);
    EXPECT_EQ(form.PieceX(3, 0), -1);
    EXPECT_EQ(form.Phase, 2);

    // The next showing builds the controls afresh from the layout and sets up a new game.
    form.Show();
    EXPECT_EQ(form.lblScore(1).Caption(), "Score : 0");
    EXPECT_FALSE(form.Command1().Visible());
    EXPECT_FALSE(form.Shape1().Visible());
    EXPECT_EQ(form.Shape1().Left(), 7200);
    EXPECT_EQ(form.Score(0), 0);
    EXPECT_EQ(form.PieceX(3, 0), 3);
    EXPECT_EQ(form.DrawnLines().size(), 32u) << "one grid per game, not one more per game";
}

TEST_F(Form1WindowTest, CloseByTheUserEndsTheProgramAndUnloadsTheWindow) {
    form.Show();
    form.Window()->close();
    EXPECT_EQ(end.ends, 1);
    EXPECT_FALSE(form.Loaded());
    platform::ProcessPendingEvents();
}

TEST_F(Form1WindowTest, ScoreLabelsFitTheirBoxesInLiberationSansUpToTheHighestScore) {
    form.Show();
    for (int i = 0; i < 4; ++i) {
        QWidget* label = form.lblScore(i).Widget();
        EXPECT_EQ(QFontInfo(label->font()).family(), "Liberation Sans");
        // 16 arrivals and 16 captures: no score is wider than 96.
        for (const char* caption : {"Score : 96", "Score : 88", "You", "ZAM"}) {
            form.lblScore(i).SetCaption(caption);
            EXPECT_LE(label->fontMetrics().horizontalAdvance(caption), platform::TwipsToPixels(1095))
                << caption;
            EXPECT_EQ(label->width(), platform::TwipsToPixels(1095)) << caption << " keeps the layout's box";
        }
    }
}

// A piece covers only its own pixels: in the rest of its box the board and the grid
// lines behind it show, on both home rows, where the grid runs through every box. So
// too when the window draws the pieces itself, as it does while they dance at the end.
TEST_F(Form1WindowTest, PiecesCoverOnlyTheirOwnPixelsAndTheGridStaysWholeOnBothHomeRows) {
    form.Show();
    for (int i = 0; i < 32; ++i)
        form.Image1(i).SetVisible(false);
    const QImage board = form.Window()->grab().toImage();
    const QColor grid(0, 100, 150);
    for (int k = 0; k < 12; ++k) {
        const int n = std::array{0, 7, 15, 16, 23, 31}[k % 6];
        const bool drawn_by_window = k >= 6;
        form.Image1(n).SetDrawnByWindow(drawn_by_window);
        form.Image1(n).SetVisible(true);
        const QImage shot = form.Window()->grab().toImage();
        form.Image1(n).SetVisible(false);
        const QRect box = form.Image1(n).Widget()->geometry();
        const QImage picture = form.Image1(n).GetPicture().toImage();
        int grid_through = 0, wrong = 0;
        for (int y = 0; y < box.height(); ++y) {
            for (int x = 0; x < box.width(); ++x) {
                const QPoint at = box.topLeft() + QPoint(x, y);
                const bool own = qAlpha(picture.pixel(x, y)) == 255;
                wrong += shot.pixelColor(at) != (own ? picture.pixelColor(x, y) : board.pixelColor(at));
                grid_through += !own && board.pixelColor(at) == grid;
            }
        }
        EXPECT_EQ(wrong, 0) << "piece image " << n << (drawn_by_window ? ", drawn by the window" : "");
        EXPECT_GE(grid_through, 20) << "the grid lines show through the box of piece image " << n;
    }
    // Drawn by the window, a piece still lies over the one in the cell above it and over
    // the other side's, and the result banner over them all, exactly as the widgets lie;
    // the banner's caption may change while the window draws it. What reaches the screen
    // is read back after each step, as the dance repaints only the spots that change: a
    // spot left out would leave a piece behind where it was.
    auto on_screen = [&] {
        platform::ProcessPendingEvents();
        return form.Window()
            ->screen()
            ->grabWindow(form.Window()->winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    auto overlapping = [&](bool drawn_by_window, bool banner) {
        for (int n : {0, 1, 16}) {
            form.Image1(n).SetDrawnByWindow(drawn_by_window);
            form.Image1(n).SetVisible(true);
            form.Image1(n).Move(400 * (n % 16) + 105, 400 * 9);
        }
        form.lblWinorLose().SetDrawnByWindow(drawn_by_window);
        form.lblWinorLose().SetVisible(banner);
        form.lblWinorLose().SetTop(2400);
        on_screen();
        form.lblWinorLose().SetCaption("You Lose.");
        form.lblWinorLose().SetTop(2450);
        form.Image1(0).Move(400 * 7 + 105, 400 * 6);
        form.Image1(1).Move(400 * 7 + 105, 400 * 5);
        form.Image1(16).Move(400 * 7 + 205, 400 * 6 + 100);
        const QImage shot = on_screen();
        EXPECT_EQ(shot, form.Window()->grab().toImage().convertToFormat(QImage::Format_RGB32))
            << "what reached the screen, drawn by the " << (drawn_by_window ? "window" : "widgets");
        return shot;
    };
    const QImage widgets = overlapping(false, false);
    EXPECT_NE(widgets, board);
    EXPECT_EQ(overlapping(true, false), widgets);
    const QImage banner = overlapping(false, true);
    EXPECT_NE(banner, widgets);
    EXPECT_EQ(overlapping(true, true), banner);
}

TEST_F(Form1WindowTest, GridSurvivesTheWindowBeingHiddenAndShownAgain) {
    form.Show();
    form.Hide();
    platform::ProcessPendingEvents();
    form.Show();
    QImage shot = form.Window()->grab().toImage();
    const QColor grid(0, 100, 150);
    // The outer column lines at 100 and 6500 twips (pixels 7 and 433), and the row
    // lines at 2200 and 2600 twips (pixels 147 and 173), between the home rows.
    EXPECT_EQ(shot.pixelColor(7, 200), grid);
    EXPECT_EQ(shot.pixelColor(433, 200), grid);
    EXPECT_EQ(shot.pixelColor(200, 147), grid);
    EXPECT_EQ(shot.pixelColor(300, 173), grid);
    EXPECT_EQ(shot.pixelColor(20, 190), QColor(0, 0, 0)) << "inside a cell the board is black";
}

}  // namespace
