#include "machine/stitching/point_select.h"

#include <gtest/gtest.h>

#include "machine/stitching/stitch_path.h"
#include "support/run_layout.h"

namespace {

FullPattern_t* Nth(FullPattern_t* first, int n) {
    while (n-- > 0 && first)
        first = first->next();
    return first;
}

TEST(NearestPathPoint, PicksNearestSkipsHaltPointsAndKeepsEarlierOnTies) {
    // 0: (0,0)  1: (1000,0) halt  2: (1000,1000)  3: (3000,0)  4: (1000,-1000)
    FullPattern_t* path =
        MakePath({{0, 0, 0}, {1000, 0, 1}, {1000, 1000, 0}, {3000, 0, 0}, {1000, -1000, 0}});
    struct Case {
        float x, y;
        int want;
    } cases[] = {
        {1000, 0, 0},  // on the halt point, which is not counted: 0, 2 and 4 tie, 0 wins
        {1001, -1, 4},
        {50000, 10, 3},
        {-2000000000, -2000000000, 0},  // squared distances beyond the int32 range
        {2000000000, 2000000000, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NearestPathPoint(path, c.x, c.y), Nth(path, c.want)) << c.x << "," << c.y;
    FreeFullPattern(path);

    EXPECT_EQ(NearestPathPoint(nullptr, 0, 0), nullptr);
    FullPattern_t* halts = MakePath({{0, 0, 1}, {500, 500, 1}});
    EXPECT_EQ(NearestPathPoint(halts, 0, 0), nullptr);
    FreeFullPattern(halts);
}

}  // namespace
