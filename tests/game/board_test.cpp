// Setting up a game and the board primitives, on a loaded game window with a
// scripted random generator.

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>

#include "fixtures.h"
#include "game/form1.h"

namespace {

using game::Form1;

// Draw k gives one of six numbers, the two edges r = 0 and r just below 1 among them.
double DealScript(std::size_t k) {
    static const double numbers[] = {0.0, 0.25, 0.5, 0.75, std::nextafter(1.0, 0.0), 0.2499999};
    return numbers[k % 6];
}
int ExpectedValue(std::size_t k) {
    static const int values[] = {1, 2, 3, 4, 4, 1};
    return values[k % 6];
}

class BoardTest : public ::testing::Test {
protected:
    void SetUp() override { form.Show(); }
    void TearDown() override { form.Unload(); }

    testing_support::ScriptedRandom random{DealScript};
    testing_support::RecordedEnd end;
    testing_support::SetUpOnlyForm1 form;
};

TEST_F(BoardTest, DealDrawsOneNumberPerInnerCellInRowMajorOrder) {
    EXPECT_EQ(random.seeds(), 1) << "the load seeds the generator once, before the deal";
    EXPECT_EQ(random.draws(), 192u);
    for (int y = 0; y < game::Rows; ++y) {
        for (int x = 0; x < game::Columns; ++x) {
            if (y == 0 || y == 13) {
                EXPECT_EQ(form.MoveValues(x, y), 1) << x << "," << y;
            } else {
                std::size_t draw = static_cast<std::size_t>((y - 1) * 16 + x);
                EXPECT_EQ(form.MoveValues(x, y), ExpectedValue(draw)) << x << "," << y;
            }
        }
    }
    for (int y = 0; y <= 14; ++y)
        EXPECT_EQ(form.MoveValues(16, y), 0) << "column 16 is declared but never dealt";
    for (int x = 0; x <= 16; ++x)
        EXPECT_EQ(form.MoveValues(x, 14), 0) << "row 14 is declared but never dealt";
}

TEST_F(BoardTest, PiecesStartOnTheirHomeRowsWithImagesOnTheirCells) {
    for (int n = 0; n < 16; ++n) {
        EXPECT_EQ(form.PieceX(n, 0), n);
        EXPECT_EQ(form.PieceY(n, 0), 13);
        EXPECT_EQ(form.PieceX(n, 1), n);
        EXPECT_EQ(form.PieceY(n, 1), 0);
        const auto& player = form.Image1(n);
        EXPECT_EQ(player.Left(), 400 * n + 105);
        EXPECT_EQ(player.Top(), 400 * 13);
        EXPECT_TRUE(player.Visible());
        EXPECT_EQ(player.GetPicture().cacheKey(), form.Image0(0).GetPicture().cacheKey());
        const auto& computer = form.Image1(16 + n);
        EXPECT_EQ(computer.Left(), 400 * n + 105);
        EXPECT_EQ(computer.Top(), 0);
        EXPECT_TRUE(computer.Visible());
        EXPECT_EQ(computer.GetPicture().cacheKey(), form.Image0(1).GetPicture().cacheKey());
    }
    // The unused entries of the declared extents stay zero.
    for (int n : {-4, -1, 16, 20}) {
        EXPECT_EQ(form.PieceX(n, 0), 0);
        EXPECT_EQ(form.PieceY(n, 1), 0);
    }
    EXPECT_EQ(form.PieceX(3, 2), 0);
    EXPECT_EQ(form.Phase, 0);
    EXPECT_EQ(form.Score(0), 0);
    EXPECT_EQ(form.Score(1), 0);
    EXPECT_EQ(form.PlayerPieces, 16);
    EXPECT_EQ(form.ComputerPieces, 16);
}

TEST_F(BoardTest, KcheckTellsWhichSideStandsOnACell) {
    EXPECT_EQ(form.Kcheck(5, 13), 1);
    EXPECT_EQ(form.Kcheck(5, 0), 2);
    EXPECT_EQ(form.Kcheck(5, 6), 0);
    form.PieceX(2, 1) = 7;
    form.PieceY(2, 1) = 9;
    EXPECT_EQ(form.Kcheck(7, 9), 2);
    EXPECT_EQ(form.Kcheck(2, 0), 0) << "the piece has left its start cell";
    // Cells beyond every edge hold nothing; the computer asks about them.
    EXPECT_EQ(form.Kcheck(16, 13), 0);
    EXPECT_EQ(form.Kcheck(-1, 0), 0);
    EXPECT_EQ(form.Kcheck(3, 14), 0);
    EXPECT_EQ(form.Kcheck(3, -4), 0);
}

TEST_F(BoardTest, LocateHidesPiecesAndMovesTheMarkerWithoutRecordingPositions) {
    form.Locate(-1, 7, 1, 4);
    EXPECT_FALSE(form.Image1(20).Visible());
    EXPECT_EQ(form.PieceX(4, 1), 4) << "Locate records nothing";
    EXPECT_EQ(form.PieceY(4, 1), 0);

    form.Locate(6, 4, 1, 4);
    EXPECT_TRUE(form.Image1(20).Visible()) << "every placement shows the image again";
    EXPECT_EQ(form.Image1(20).Left(), 400 * 6 + 105);
    EXPECT_EQ(form.Image1(20).Top(), 400 * 4);

    EXPECT_FALSE(form.Shape1().Visible());
    form.Locate(3, 13, 2, -1);
    EXPECT_TRUE(form.Shape1().Visible());
    EXPECT_EQ(form.Shape1().Left(), 400 * 3 + 130);
    EXPECT_EQ(form.Shape1().Top(), 400 * 13);
    form.Locate(9, 2, 2, 0);
    EXPECT_FALSE(form.Shape1().Visible());
    EXPECT_EQ(form.Shape1().Left(), 400 * 3 + 130) << "hiding ignores the cell";
    form.Locate(4, 5, 7, -1);
    EXPECT_TRUE(form.Shape1().Visible()) << "any mode above 1 is the marker";
}

TEST_F(BoardTest, GridHasFifteenRowLinesAndSeventeenColumnLines) {
    for (int i = 0; i < 32; ++i)
        form.Image1(i).SetVisible(false);
    const QImage board = form.Window()->grab().toImage();
    const QColor grid(0, 100, 150), black(0, 0, 0);
    // Rows from 200 to 5800 twips and columns from 100 to 6500, every 400: 15 row lines and 17 column lines.
    auto line_at = [](int twips) { return platform::TwipsToPixels(twips); };
    int rows = 0, columns = 0;
    for (int y = 0; y < board.height(); ++y)
        rows += board.pixelColor(line_at(300), y) == grid;
    for (int x = 0; x < board.width(); ++x)
        columns += board.pixelColor(x, line_at(400)) == grid;
    EXPECT_EQ(rows, 15);
    EXPECT_EQ(columns, 17);
    for (int k = 0; k < 15; ++k) {
        EXPECT_EQ(board.pixelColor(line_at(100), line_at(200 + 400 * k)), grid) << "row line " << k;
        EXPECT_EQ(board.pixelColor(line_at(6500), line_at(200 + 400 * k)), grid) << "row line " << k;
        EXPECT_EQ(board.pixelColor(line_at(6500) + 1, line_at(200 + 400 * k)), black) << "row line " << k;
    }
    for (int k = 0; k < 17; ++k) {
        EXPECT_EQ(board.pixelColor(line_at(100 + 400 * k), line_at(200)), grid) << "column line " << k;
        EXPECT_EQ(board.pixelColor(line_at(100 + 400 * k), line_at(5800)), grid) << "column line " << k;
        EXPECT_EQ(board.pixelColor(line_at(100 + 400 * k), line_at(5800) + 1), black) << "column line " << k;
    }
}

TEST(BoardArrays, IndexOutsideTheDeclaredExtentStopsTheProgram) {
    Form1 form;
    EXPECT_DEATH((void)form.PieceX(21, 0), "outside its declared bounds");
    EXPECT_DEATH((void)form.MoveValues(0, 15), "outside its declared bounds");
    EXPECT_DEATH((void)form.Score(-1), "outside its declared bounds");
}

}  // namespace
