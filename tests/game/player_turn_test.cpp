// The player's move: every refusal at every edge, jumps, captures, arrivals,
// and input that comes in the wrong phase.

#include <QPaintEvent>
#include <QRegion>
#include <QTest>
#include <gtest/gtest.h>

#include "clicks.h"
#include "fixtures.h"

namespace {

class PlayerTurnTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.Show();
        // As the turn loop does: drawing reaches the screen only once the window is on it.
        form.WaitUntilExposed();
        testing_support::FillMoveValues(form, 4);
    }
    void TearDown() override { form.Unload(); }

    // Puts the player's piece 0 on (x, y), chosen, and tries direction d.
    void Try(int x, int y, int d) {
        form.PieceX(0, 0) = static_cast<game::Integer>(x);
        form.PieceY(0, 0) = static_cast<game::Integer>(y);
        form.Locate(static_cast<game::Integer>(x), static_cast<game::Integer>(y), 0, 0);
        form.Phase = 0;  // a new turn
        form.Image1_Click(0);
        sounds.effects.clear();
        game::MoveYourChr(form, static_cast<game::Integer>(d), form);
    }
    void ExpectRefused(int x, int y, const char* what) {
        EXPECT_EQ(form.PieceX(0, 0), x) << what;
        EXPECT_EQ(form.PieceY(0, 0), y) << what;
        EXPECT_EQ(form.Phase, 1) << what;
        EXPECT_TRUE(form.Shape1().Visible()) << what << ": the marker stays";
        EXPECT_TRUE(sounds.effects.empty()) << what;
    }
    void ExpectMoved(int x, int y, const char* what) {
        EXPECT_EQ(form.PieceX(0, 0), x) << what;
        EXPECT_EQ(form.PieceY(0, 0), y) << what;
        EXPECT_EQ(form.Phase, 2) << what;
        EXPECT_FALSE(form.Shape1().Visible()) << what;
        EXPECT_EQ(form.Image1(0).Left(), 400 * x + 105) << what;
        EXPECT_EQ(form.Image1(0).Top(), 400 * y) << what;
    }

    testing_support::ScriptedRandom random{[](std::size_t) { return 0.5; }};
    testing_support::RecordedSleep sleep;
    testing_support::RecordedSounds sounds;
    testing_support::RecordedEnd end;
    testing_support::SetUpOnlyForm1 form;
};

TEST_F(PlayerTurnTest, MovesStopAtTheBoardsEdgesExceptUpwards) {
    Try(12, 5, game::MoveRight);
    ExpectRefused(12, 5, "right from column 12 would pass column 15");
    Try(11, 5, game::MoveRight);
    ExpectMoved(15, 5, "right from column 11");
    Try(0, 10, game::MoveDown);
    ExpectRefused(0, 10, "down from row 10 would pass row 13");
    Try(0, 9, game::MoveDown);
    ExpectMoved(0, 13, "down from row 9");
    Try(3, 5, game::MoveLeft);
    ExpectRefused(3, 5, "left from column 3 would pass column 0");
    Try(4, 5, game::MoveLeft);
    ExpectMoved(0, 5, "left from column 4");
    form.lblScore(1).SetCaption("");
    Try(5, 5, game::MoveUp);
    ExpectMoved(5, 1, "up from row 5");
    EXPECT_EQ(form.lblScore(1).Caption(), "Score : 0") << "rewritten even without points";
    EXPECT_EQ(sounds.effects, std::vector<std::string>{"zam1.wav"});

    // Reaching or passing row 0 stops there, then the piece leaves the board for 5.
    form.TakeOffForTest(4, 1);
    form.TakeOffForTest(6, 1);
    for (int y : {4, 2}) {
        int x = y == 4 ? 4 : 6;
        int pieces = form.PlayerPieces;
        int score = form.Score(0);
        Try(x, y, game::MoveUp);
        EXPECT_EQ(form.PieceX(0, 0), -1);
        EXPECT_EQ(form.PieceY(0, 0), -1);
        EXPECT_FALSE(form.Image1(0).Visible());
        EXPECT_EQ(form.Score(0), score + 5);
        EXPECT_EQ(form.PlayerPieces, pieces - 1);
        EXPECT_EQ(form.Phase, 2);
        EXPECT_EQ(sounds.effects, (std::vector<std::string>{"zam1.wav", "zam2.wav"}));
        EXPECT_EQ(sleep.pauses.back(), 1000) << "the game pauses a second after an arrival";
    }
}

TEST_F(PlayerTurnTest, OnlyTheLandingCellCountsOwnPiecesBlockEnemiesAreCaptured) {
    form.PieceX(1, 0) = 5;  // own piece on the landing cell
    form.PieceY(1, 0) = 5;
    Try(5, 9, game::MoveUp);
    ExpectRefused(5, 9, "onto an own piece");

    form.PieceY(1, 0) = 7;  // own piece between
    form.PieceX(3, 1) = 5;  // enemy piece between
    form.PieceY(3, 1) = 6;
    Try(5, 9, game::MoveUp);
    ExpectMoved(5, 5, "jumping over pieces between");
    EXPECT_EQ(form.ComputerPieces, 16);

    form.PieceX(4, 1) = 9;
    form.PieceY(4, 1) = 9;
    Try(5, 9, game::MoveRight);
    ExpectMoved(9, 9, "onto an enemy piece");
    EXPECT_EQ(form.PieceX(4, 1), -1);
    EXPECT_EQ(form.PieceY(4, 1), -1);
    EXPECT_FALSE(form.Image1(20).Visible());
    EXPECT_EQ(form.ComputerPieces, 15);
    EXPECT_EQ(form.Score(0), 1);
    EXPECT_EQ(form.lblScore(1).Caption(), "Score : 1");
    EXPECT_EQ(sounds.effects, (std::vector<std::string>{"zam1.wav", "zam4.wav"}));
}

// Records the areas of a window that are repainted.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* window) { window->installEventFilter(this); }
    QRegion painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

TEST_F(PlayerTurnTest, LandingOnAnEnemyOnRowZeroScoresSixAndIsSeenBeforeItLeaves) {
    std::vector<std::pair<bool, int>> seen;  // the image during the value display
    testing_support::RecordedSleep watching;
    PaintWatch paints(form.Window());
    const QRect piece = form.Image1(0).PixelRect();
    QRect piece_at_rest;
    bool repainted_before_the_pause = false;
    platform::Replace<std::function<void(int)>> look(platform::Pump().sleep, [&](int ms) {
        seen.emplace_back(form.Image1(0).Visible(), form.Image1(0).Top());
        watching.pauses.push_back(ms);
        if (ms == 1000) {
            // Nothing is painted during the pause: the window must already show the piece gone.
            const QRect ink = platform::InkOf(form.Image1(0).GetPicture());
            repainted_before_the_pause = paints.painted.contains(ink.translated(piece_at_rest.topLeft()));
        } else {
            piece_at_rest = form.Image1(0).PixelRect();
            paints.painted = QRegion();
        }
    });
    Try(3, 4, game::MoveUp);
    EXPECT_NE(piece_at_rest, piece);
    EXPECT_TRUE(repainted_before_the_pause) << "the piece must be gone from the screen during the pause";
    EXPECT_EQ(sounds.effects, (std::vector<std::string>{"zam1.wav", "zam4.wav", "zam2.wav"}));
    EXPECT_EQ(form.Score(0), 6);
    EXPECT_EQ(form.PlayerPieces, 15);
    EXPECT_EQ(form.ComputerPieces, 15);
    EXPECT_EQ(form.lblScore(1).Caption(), "Score : 6");
    ASSERT_EQ(watching.pauses.size(), 43u);
    EXPECT_EQ(watching.pauses.back(), 1000);
    EXPECT_EQ(seen.front(), std::make_pair(true, 0)) << "standing on row 0 while its value rises";
    EXPECT_FALSE(seen.back().first) << "gone during the pause that follows";
}

TEST_F(PlayerTurnTest, InputIsIgnoredOutsideItsPhase) {
    testing_support::Click(form, form.Image1(20));
    EXPECT_EQ(form.Phase, 0) << "the computer's pieces are never chosen";
    EXPECT_FALSE(form.Shape1().Visible());
    EXPECT_EQ(sounds.expected, 0) << "nor is the sound output woken";
    QTest::keyClick(form.Picture1().Widget(), Qt::Key_Up);
    testing_support::Click(form, form.Image2(game::MoveUp));
    EXPECT_EQ(form.PieceY(0, 0), 13) << "no direction before a piece is chosen";

    testing_support::Click(form, form.Image1(2));
    testing_support::Click(form, form.Image1(7));
    EXPECT_EQ(form.Phase, 1);
    EXPECT_EQ(form.Selected, 7) << "choosing again just moves the marker";
    EXPECT_EQ(sounds.expected, 2) << "a chosen piece wakes the sound output for its move's effect";
    EXPECT_EQ(form.Shape1().Left(), 400 * 7 + 130);
    QTest::keyClick(form.Picture1().Widget(), Qt::Key_Space);
    QTest::keyClick(form.Picture1().Widget(), Qt::Key_W);
    EXPECT_EQ(form.Phase, 1) << "only the arrow keys move";
    QTest::keyClick(form.Picture1().Widget(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(form.PieceY(7, 0), 9) << "an arrow with Ctrl held moves like the plain key";
    EXPECT_EQ(form.Phase, 2);
    testing_support::Click(form, form.Image1(3));
    testing_support::Click(form, form.Image2(game::MoveUp));
    EXPECT_EQ(form.Phase, 2) << "nothing happens during the computer's turn";
    EXPECT_EQ(sounds.expected, 2);
    EXPECT_EQ(form.PieceY(3, 0), 13);
}

TEST_F(PlayerTurnTest, PiecesOffTheBoardAreNeverChosenOrMoved) {
    // During the end animation the game is over and the player's pieces dance about
    // while their columns say they have left the board.
    form.Phase = -1;
    form.TakeOffForTest(5, 0);
    form.Locate(6, 6, 0, 5);
    testing_support::Click(form, form.Image1(5));
    EXPECT_EQ(form.Phase, -1);
    EXPECT_FALSE(form.Shape1().Visible());
    EXPECT_EQ(sounds.expected, 0);
    // Nor does a stale choice of a piece that has left the board move anything.
    form.Selected = 5;
    form.Phase = 1;
    game::MoveYourChr(form, game::MoveUp, form);
    EXPECT_EQ(form.PieceX(5, 0), -1);
    EXPECT_EQ(form.Phase, 1);
    EXPECT_TRUE(sounds.effects.empty());
}

}  // namespace
