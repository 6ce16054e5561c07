#include "layout/placement_spot.h"
#include "layout/layout_selection.h"

#include "layout/placement/placement_fixture.h"
#include "support/temp_dir.h"

namespace {

using PlacementSpotTest = LayoutTest;

// Patterns of the given sizes added one after another to a 10 × 6 inch box,
// each at the spot found for it.
TEST_F(PlacementSpotTest, PatternsAddedInARowLieSideBySideWhileTheBoxHasRoom) {
    struct Case {
        const char* what;
        float w, h;
        float x, y;  // the spot expected for this one, given the ones before
    };
    const Case cases[] = {
        {"the first at the origin", 4, 3, 0, 0},
        {"right of it", 4, 2, 4, 0},
        {"under the second, beside the first", 3, 3, 4, 2},
        {"the rest of the top row", 2, 1, 8, 0},
        {"under that one", 2, 1, 8, 1},
        {"too wide for what is left up top: below the first", 4, 3, 0, 3},
        {"no room left: the origin", 5, 5, 0, 0},
    };
    const int box = MakeBox({{0, 6}, {10, 6}, {10, 0}, {0, 0}});
    SetCurrentPatternBox(box);
    for (const Case& c : cases) {
        float x = -1, y = -1;
        NewPlacementSpot(box, c.w, c.h, &x, &y);
        EXPECT_FLOAT_EQ(x, c.x) << c.what;
        EXPECT_FLOAT_EQ(y, c.y) << c.what;
        NewPatternLayoutNode(LoadRectangle(c.w, c.h), -1, 0, x, y);
    }
    // Placements of another box take no room in this one; no box: the origin.
    const int other = MakeBox({{0, 6}, {10, 6}, {10, 0}, {0, 0}});
    float x = -1, y = -1;
    NewPlacementSpot(other, 4, 3, &x, &y);
    ExpectFloats({x, y}, {0, 0});
    NewPlacementSpot(7, 1, 1, &x, &y);
    ExpectFloats({x, y}, {0, 0});
}

// A pattern file added to the current box, turned to the box's angle; refused
// without a box, with an unreadable file or with a full table.
TEST_F(PlacementTest, PatternFilesAreAddedTurnedToTheBoxAngleWhileThereIsRoom) {
    TempDir dir;
    const std::string square = dir.File("square.qcc");
    ASSERT_TRUE(WriteFileText(square, "p X0.000 Y0.000\np X2.000 Y0.000\np X2.000 Y1.000\n"));
    EXPECT_EQ(AddPatternToCurrentBox(square.c_str()), 0);
    SetCurrentPatternBox(MakeBox({{0, 20}, {40, 20}, {40, 0}, {0, 0}}));
    ASSERT_EQ(AddPatternToCurrentBox(square.c_str()), 1);
    EXPECT_EQ(GetPattern(0)->angle, 0);
    GetPatternBox(0)->angle = 90.7f;  // a quarter turn
    ASSERT_EQ(AddPatternToCurrentBox(square.c_str()), 1);
    ExpectNear({GetPattern(1)->width, GetPattern(1)->height}, {1, 2}, 1e-3);
    EXPECT_EQ(GetPattern(1)->angle, 90);
    EXPECT_EQ(CountLayoutNodes(0), 2);
    EXPECT_EQ(AddPatternToCurrentBox(dir.File("missing.qcc").c_str()), 0);
    while (patternList.count < kPatternSlots)
        ASSERT_EQ(AddPatternToCurrentBox(square.c_str()), 1);
    EXPECT_EQ(AddPatternToCurrentBox(square.c_str()), 0);
    EXPECT_EQ(script.shown,
              (std::vector<std::string>{"COULD NOT OPEN PATTERN FILE.",
                                        "MAXIMUM PATTERN COUNT EXCEEDED.\nPLEASE LINK "
                                        "YOUR PATTERNS TO CREATE MORE SPACE."}));
    EXPECT_EQ(CountLayoutNodes(), kPatternSlots);
}

}  // namespace
