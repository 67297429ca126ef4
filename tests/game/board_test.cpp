// Setting up a game and the board primitives, on a loaded game window with a
// scripted random generator.

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
    const auto& lines = form.DrawnLines();
    ASSERT_EQ(lines.size(), 32u);
    int horizontal = 0, vertical = 0;
    for (const auto& line : lines) {
        EXPECT_EQ(line.colour, platform::RGB(0, 100, 150));
        if (line.y1 == line.y2) {
            ++horizontal;
            EXPECT_EQ(line.x1, 100);
            EXPECT_EQ(line.x2, 6500);
            EXPECT_EQ((line.y1 - 200) % 400, 0);
        } else {
            ++vertical;
            EXPECT_EQ(line.x1, line.x2);
            EXPECT_EQ(line.y1, 200);
            EXPECT_EQ(line.y2, 5800);
            EXPECT_EQ((line.x1 - 100) % 400, 0);
        }
    }
    EXPECT_EQ(horizontal, 15);
    EXPECT_EQ(vertical, 17);
    EXPECT_EQ(lines.front().y1, 200);
    EXPECT_EQ(lines[14].y1, 5800);
    EXPECT_EQ(lines[15].x1, 100);
    EXPECT_EQ(lines.back().x1, 6500);
}

TEST(BoardArrays, IndexOutsideTheDeclaredExtentStopsTheProgram) {
    Form1 form;
    EXPECT_DEATH((void)form.PieceX(21, 0), "outside its declared bounds");
    EXPECT_DEATH((void)form.MoveValues(0, 15), "outside its declared bounds");
    EXPECT_DEATH((void)form.Score(-1), "outside its declared bounds");
}

}  // namespace
