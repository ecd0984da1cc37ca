// The selection's moves when rows come and go, in the fewest mark changes,
// and the font's zoom steps.
#include <gtest/gtest.h>

#include "selection.h"

using namespace nuntio;
using Rows = std::vector<int>;

TEST(Selection, ARowAtTheTopMovesEveryRunDownWithTwoChanges) {
    const struct {
        Rows selected;
        bool selectNew;
        Rows off, on, after;
    } cases[] = {
        {{}, true, {}, {0}, {0}},
        {{}, false, {}, {}, {}},
        {{0}, true, {}, {1}, {0, 1}},                 // a new alert over the last one
        {{0, 1, 2}, true, {}, {3}, {0, 1, 2, 3}},     // a run from the top grows by one
        {{0, 1, 2}, false, {0}, {3}, {1, 2, 3}},      // a trade message: the run moves
        {{2, 3, 4, 7, 9}, false, {2, 7, 9}, {5, 8, 10}, {3, 4, 5, 8, 10}},
        {{5}, true, {5}, {0, 6}, {0, 6}},
    };
    for (const auto& c : cases) {
        const SelectionMove m = AfterInsertAtTop(c.selected, c.selectNew);
        EXPECT_EQ(m.off, c.off);
        EXPECT_EQ(m.on, c.on);
        EXPECT_EQ(m.after, c.after);
    }
}

TEST(Zoom, TheHeightGrowsAndShrinksByOneAndNeverReachesZero) {
    const struct {
        int32_t height;
        bool enlarge;
        int32_t want;
    } cases[] = {
        {-12, true, -13}, {-12, false, -11}, {-1, false, -1}, {-2, false, -1},
        {12, true, 13},   {12, false, 11},   {1, false, 1},   {0, true, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ZoomedHeight(c.height, c.enlarge), c.want) << c.height << (c.enlarge ? " +" : " -");
}
