// The union of a frame's spots, built in one sweep, against Qt's own union.

#include <QRegion>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "platform/window/spots.h"

namespace {

// Random spots of the sizes the game repaints, bunched so that they overlap, touch side
// by side and repeat; some empty. The sweep must give Qt's own union rectangle for
// rectangle, since Qt compares and walks regions in that one form.
TEST(Spots, TheSweepGivesQtsOwnUnion) {
    std::mt19937 random(7);
    auto below = [&](int n) { return static_cast<int>(random() % n); };
    EXPECT_TRUE(platform::UnionOf({}).isEmpty());
    EXPECT_TRUE(platform::UnionOf({QRect(), QRect(5, 5, 0, 3)}).isEmpty());
    for (int round = 0; round < 300; ++round) {
        std::vector<QRect> spots;
        QRegion expected;
        const int count = 1 + below(80);
        for (int i = 0; i < count; ++i) {
            QRect spot(4 * below(30), 4 * below(25), 4 * below(10), 4 * below(12));
            if (below(5) == 0 && !spots.empty())
                spot = spots[below(static_cast<int>(spots.size()))];  // the same spot again
            spots.push_back(spot);
            expected += spot;
        }
        const QRegion sweep = platform::UnionOf(spots);
        ASSERT_EQ(sweep, expected) << "round " << round << ", " << count << " spots";
        ASSERT_EQ(sweep.rectCount(), expected.rectCount());
    }
}

}  // namespace
