// The game window as a window: its layout, its life across games and its closes.

#include <QAccessible>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

#include "clicks.h"
#include "fixtures.h"
#include "game/form1.h"
#include "layout/form1_layout.h"
#include "platform/window/events.h"
#include "screen_reader.h"

namespace {

using game::Form1;

class Form1WindowTest : public ::testing::Test {
protected:
    void TearDown() override { form.Unload(); }

    testing_support::ScriptedRandom random{[](std::size_t k) { return (k % 4) / 4.0; }};
    testing_support::RecordedEnd end;
    testing_support::RecordedSleep sleep;
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
    EXPECT_EQ(banner.PixelRect(), QRect(96, 168, 241, 49));
    EXPECT_EQ(form.Picture1().Widget()->geometry(), QRect(448, 16, 150, 70));
    EXPECT_EQ(form.Command1().Widget()->geometry(), QRect(544, 368, 57, 25));
    EXPECT_EQ(form.Image2(0).PixelRect(), QRect(512, 304, 16, 16));
    EXPECT_EQ(form.Image0(1).PixelRect(), QRect(472, 192, 30, 40));

    // Hidden until a game procedure shows them.
    EXPECT_FALSE(form.Command1().Visible());
    EXPECT_FALSE(form.lblWinorLose().Visible());
    EXPECT_FALSE(form.lblMV().Visible());
    EXPECT_FALSE(form.Shape1().Visible());
    EXPECT_EQ(form.lblScore(1).Caption(), "Score : 0");
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
    EXPECT_EQ(form.Window()->focusWidget(), form.Picture1().Widget());
    // The first of the table lies on top: a click where two pieces overlap goes to that one.
    form.Image1(31).Move(form.Image1(0).Left(), form.Image1(0).Top());
    testing_support::Click(form, form.Image1(31));
    EXPECT_EQ(form.Phase, 1) << "the player's piece 1, on top, is chosen";
    EXPECT_EQ(form.Selected, 0);
    // The marker lies over the chosen piece: its outline shows over the piece's own pixels.
    ASSERT_TRUE(form.Shape1().Visible());
    const QImage shot = form.Window()->grab().toImage();
    const QImage piece = form.Image1(0).GetPicture().toImage();
    const QRect marker = form.Shape1().PixelRect();
    const QPoint corner = form.Image1(0).PixelRect().topLeft();
    int over_piece = 0;
    for (int y = marker.top(); y <= marker.bottom(); ++y) {
        for (int x : {marker.left(), marker.left() + 1, marker.right() - 1, marker.right()}) {
            const QPoint own = QPoint(x, y) - corner;
            if (piece.rect().contains(own) && qAlpha(piece.pixel(own)) == 255) {
                ++over_piece;
                EXPECT_EQ(shot.pixelColor(x, y), QColor(192, 64, 0)) << x << ", " << y;
            }
        }
    }
    EXPECT_GE(over_piece, 10);
}

// The window's children as a screen reader is given them, by name; some names come twice.
std::multimap<QString, QAccessibleInterface*> AccessibleChildren(QWidget* window) {
    QAccessibleInterface* form = QAccessible::queryAccessibleInterface(window);
    std::multimap<QString, QAccessibleInterface*> children;
    for (int i = 0; form && i < form->childCount(); ++i) {
        QAccessibleInterface* child = form->child(i);
        EXPECT_EQ(form->indexOfChild(child), i);
        EXPECT_EQ(child->parent(), form);
        children.emplace(child->text(QAccessible::Name), child);
    }
    return children;
}

TEST_F(Form1WindowTest, AScreenReaderCanTellEveryControlAPlayerUsesApart) {
    testing_support::ScreenReaderOn screen_reader;
    form.Show();
    form.Image1(31).SetVisible(false);
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(form.Window());
    EXPECT_EQ(window->role(), QAccessible::Window) << "a frame of its own";
    EXPECT_EQ(window->text(QAccessible::Name), "ZAM game board") << "not the title window's name";
    auto children = AccessibleChildren(form.Window());
    QStringList names;
    for (int i = 1; i <= 16; ++i)
        names << QStringLiteral("Your piece %1").arg(i) << QStringLiteral("ZAM's piece %1").arg(i);
    names << "Move up"
          << "Move right"
          << "Move down"
          << "Move left"
          << "OK"
          << "You: Score : 0"
          << "ZAM: Score : 0"
          << "You"
          << "ZAM"
          << "Result";
    for (const QString& name : names)
        EXPECT_EQ(children.count(name), name == "ZAM" ? 2u : 1u) << name.toStdString() << ", the label too";
    EXPECT_FALSE(children.count(QString())) << "every child has a name";
    auto child = [&](const char* name) {
        auto found = children.find(name);
        return found == children.end() ? nullptr : found->second;
    };
    QAccessibleInterface* left = child("Move left");
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left->role(), QAccessible::Button) << "the direction triangles are buttons";
    const QRect box = form.Image2(3).PixelRect();
    EXPECT_EQ(left->rect(), QRect(form.Window()->mapToGlobal(box.topLeft()), box.size()));
    const QPoint middle = left->rect().center();
    EXPECT_EQ(window->childAt(middle.x(), middle.y()), left);
    EXPECT_FALSE(child("Your piece 1")->state().invisible);
    EXPECT_TRUE(child("ZAM's piece 16")->state().invisible) << "a hidden piece";
    EXPECT_TRUE(child("Result")->state().invisible) << "and no result told before its time";

    // The score is read as the player reads it, and its name keeps the two sides apart.
    QAccessibleInterface* score = child("You: Score : 0");
    ASSERT_NE(score, nullptr);
    EXPECT_EQ(score->role(), QAccessible::StaticText);
    form.lblScore(1).SetCaption("Score : 12");
    ASSERT_NE(score->textInterface(), nullptr);
    EXPECT_EQ(score->textInterface()->text(0, score->textInterface()->characterCount()), "Score : 12");
    EXPECT_EQ(score->text(QAccessible::Name), "You: Score : 12");
    EXPECT_EQ(child("OK")->role(), QAccessible::Button);

    // A piece says where it stands; its action chooses it at the next pump, as a click does.
    QAccessibleInterface* piece = child("Your piece 1");
    EXPECT_EQ(piece->text(QAccessible::Description), "column 1, row 14");
    piece->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(form.Phase, 0) << "not inside the screen reader's call";
    platform::ProcessPendingEvents();
    EXPECT_EQ(form.Phase, 1);
    EXPECT_TRUE(piece->state().selected);
    EXPECT_EQ(testing_support::LastAnnounced(form.Window()), "Your piece 1 chosen, column 1, row 14.");

    // The direction's action moves it; the move is told once complete, the focus left where it was.
    testing_support::Act(child("Move up"));
    EXPECT_EQ(form.Phase, 2);
    EXPECT_EQ(testing_support::LastAnnounced(form.Window()),
              "Your piece 1 moves up to column 1, row 13. Next move 1.");
    EXPECT_EQ(piece->text(QAccessible::Description), "column 1, row 13");
    EXPECT_FALSE(piece->state().selected);
    EXPECT_EQ(form.Window()->focusWidget(), form.Picture1().Widget())
        << "the arrow keys still reach the game";
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
}

TEST_F(Form1WindowTest, WhatWasDrawnOnTheWindowGoesWithIt) {
    form.Show();
    form.DrawLine(100, 3100, 6500, 3100, platform::RGB(255, 0, 0));
    EXPECT_EQ(form.Window()->grab().toImage().pixelColor(200, 207), QColor(255, 0, 0));
    form.Unload();
    form.Show();
    const QImage shot = form.Window()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(200, 207), QColor(0, 0, 0)) << "the next showing starts from the layout";
    EXPECT_EQ(shot.pixelColor(200, 200), QColor(0, 100, 150)) << "with the new game's grid";
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
        auto& label = form.lblScore(i);
        // 16 arrivals and 16 captures: no score is wider than 96.
        for (const char* caption : {"Score : 96", "Score : 88", "You", "ZAM"}) {
            label.SetCaption(caption);
            const QRect box = label.PixelRect();
            EXPECT_EQ(box.width(), platform::TwipsToPixels(1095)) << caption << " keeps the layout's box";
            // The caption's ink, on the label's rows from its left edge on, stays inside its box.
            label.SetVisible(false);
            const QImage without = form.Window()->grab().toImage();
            label.SetVisible(true);
            const QImage with = form.Window()->grab().toImage();
            int inside = 0, outside = 0;
            for (int y = box.top(); y <= box.bottom(); ++y) {
                for (int x = box.left(); x < with.width(); ++x) {
                    if (with.pixel(x, y) != without.pixel(x, y) && with.pixel(x, y) != qRgb(0, 0, 0))
                        ++(box.contains(x, y) ? inside : outside);
                }
            }
            EXPECT_GT(inside, 20) << caption;
            EXPECT_EQ(outside, 0) << caption;
        }
    }
}

// A piece covers only its own pixels: in the rest of its box the board and the grid
// lines behind it show, on both home rows, where the grid runs through every box.
TEST_F(Form1WindowTest, PiecesCoverOnlyTheirOwnPixelsAndTheGridStaysWholeOnBothHomeRows) {
    form.Show();
    for (int i = 0; i < 32; ++i)
        form.Image1(i).SetVisible(false);
    const QImage board = form.Window()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor grid(0, 100, 150);
    for (int n : {0, 7, 15, 16, 23, 31}) {
        form.Image1(n).SetVisible(true);
        const QImage shot = form.Window()->grab().toImage();
        form.Image1(n).SetVisible(false);
        const QRect box = form.Image1(n).PixelRect();
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
        EXPECT_EQ(wrong, 0) << "piece image " << n;
        EXPECT_GE(grid_through, 20) << "the grid lines show through the box of piece image " << n;
    }
    // A piece lies over the one in the cell above it and over the other side's, and the
    // result banner over them all; the banner's caption may change meanwhile. What reaches
    // the screen is read back after each step, as only the spots that change are
    // repainted: a spot left out would leave a piece behind where it was.
    auto on_screen = [&] {
        platform::ProcessPendingEvents();
        return form.Window()
            ->screen()
            ->grabWindow(form.Window()->winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    auto overlapping = [&](bool banner) {
        for (int n : {0, 1, 16}) {
            form.Image1(n).SetVisible(true);
            form.Image1(n).Move(400 * (n % 16) + 105, 400 * 9);
        }
        form.lblWinorLose().SetCaption("You Win.");
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
            << "what reached the screen" << (banner ? ", with the banner" : "");
        return shot;
    };
    const QImage pieces = overlapping(false);
    QImage expected = board;
    {
        QPainter painter(&expected);
        for (int n : {16, 1, 0})
            painter.drawPixmap(form.Image1(n).PixelRect().topLeft(), form.Image1(n).GetPicture());
    }
    EXPECT_EQ(pieces, expected) << "the first of the table on top";
    const QImage with_banner = overlapping(true);
    for (int n : {0, 1, 16})
        form.Image1(n).SetVisible(false);
    const QImage banner = on_screen();
    // Where the banner's caption is solid it shows over the pieces; off its caption, the pieces show.
    const QRgb solid = qRgb(192, 192, 0);
    int over_pieces = 0, wrong = 0;
    for (int y = 0; y < banner.height(); ++y) {
        for (int x = 0; x < banner.width(); ++x) {
            if (banner.pixel(x, y) == solid) {
                wrong += with_banner.pixel(x, y) != solid;
                over_pieces += pieces.pixel(x, y) != board.pixel(x, y);
            } else if (banner.pixel(x, y) == board.pixel(x, y)) {
                wrong += with_banner.pixel(x, y) != pieces.pixel(x, y);
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GE(over_pieces, 20) << "the banner's caption crosses the pieces";
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
