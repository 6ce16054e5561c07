#include "machine/stitching/quilt_area_check.h"

#include <gtest/gtest.h>

#include "layout/pattern_box.h"
#include "support/run_layout.h"

namespace {

// Paths of points (thousandths of an inch) against a 35 x 14 inch area and
// one whose back and front edges slant by an inch: how far beyond each side
// (back, front, left, right), the needle's width allowed for.
TEST(QuiltAreaCheck, PathsOutsideTheAreaAreMeasuredPerSideBeyondTheTolerance) {
    PatternBox square, slanted;
    SetPatternBoxCorners(&square, {{0, 0}, {35, 0}, {35, 14}, {0, 14}});
    SetPatternBoxCorners(&slanted, {{0, 14}, {35, 13}, {35, 1}, {0, 0}});  // walked the other way
    struct Case {
        const PatternBox* area;
        std::vector<PathPointSpec> path;
        float back, front, left, right;
    };
    const Case cases[] = {
        {&square, {{10000, 5000, 0}, {34960, 13960, 0}, {-40, 5000, 0}}, 0, 0, 0, 0},
        {&square, {{10000, 17600, 0}, {10000, 16000, 0}}, 0, 3.6f, 0, 0},
        {&square, {{-1000, 15000, 0}, {36000, -2000, 0}}, 2, 1, 1, 1},
        {&slanted, {{20000, 200, 0}, {20000, 600, 0}}, 0.371f, 0, 0, 0},  // edge at y 0.571
        {&slanted, {{20000, 14000, 0}}, 0, 0.571f, 0, 0},                 // edge at y 13.429
        {&slanted, {{35500, 500, 0}}, 0.514f, 0, 0, 0.5f},
    };
    for (const Case& c : cases) {
        FullPattern_t* path = MakePath(c.path);
        const PathOverrun overrun = CheckPathInQuiltArea(path, *c.area);
        const float want[] = {c.back, c.front, c.left, c.right};
        for (int side = 0; side < kQuiltAreaSides; side++)
            EXPECT_NEAR(overrun.inches[side], want[side], 0.002) << c.path[0].x << " side " << side;
        EXPECT_EQ(overrun.Outside(), c.back + c.front + c.left + c.right > 0);
        FreeFullPattern(path);
    }
    PathOverrun two;
    two.inches[kSideBack] = 3.6f;
    two.inches[kSideRight] = 0.25f;
    EXPECT_EQ(DescribePathOverrun(two, ", "),
              "3.600 IN. BEYOND THE BACK EDGE, 0.250 IN. BEYOND THE RIGHT EDGE");
    EXPECT_EQ(DescribePathOverrun(PathOverrun{}, ", "), "");

    // One position, for marking: how far and which side; inside is 0.
    const QuiltAreaOverrun corner = QuiltAreaOverrunAt(square, -500, 16000);
    EXPECT_NEAR(corner.inches, 2, 1e-4);
    EXPECT_EQ(corner.side, kSideFront);
    EXPECT_EQ(QuiltAreaOverrunAt(square, 1000, 1000).inches, 0);
    PatternBox line;
    SetPatternBoxCorners(&line, {{0, 0}, {35, 0}, {20, 0}});
    EXPECT_EQ(QuiltAreaOverrunAt(line, -9000, -9000).inches, 0);  // no surface: nothing to check
}

}  // namespace
