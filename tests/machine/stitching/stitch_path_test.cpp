#include "machine/stitching/stitch_path.h"
#include "layout/layout_selection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/application_state.h"
#include "base/log.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/machine_parameters.h"
#include "machine/stitching/run_state.h"
#include "pattern/pattern.h"
#include "support/run_layout.h"

namespace {

struct StitchPathTest : ::testing::Test {
    void SetUp() override {
        ResetLayout();
        SetFactoryDefaults();  // acceleration 40, curvature 40, minimumSpeed 2
        SetCurrentPatternBox(MakeBox({{1, 21}, {41, 21}, {41, 1}, {1, 1}}));  // origin (1, 1)
        SetLogStream(std::tmpfile());
    }
    void TearDown() override {
        SetLogStream(stdout);
        FreeFullPattern(CurrentRun().fullPattern);
        CurrentRun().fullPattern = nullptr;
        ResetLayout();
    }

    // Loads a pattern from pattern-file lines and places it at (x, y) in the box.
    int Place(std::vector<const char*> lines, float x, float y) {
        const int slot = LoadPatternLines(lines);
        NewPatternLayoutNode(slot, -1, 0, x, y);
        return slot;
    }

    std::vector<FullPattern_t*> Path() {
        std::vector<FullPattern_t*> points;
        for (FullPattern_t* p = CurrentRun().fullPattern; p; p = p->next())
            points.push_back(p);
        return points;
    }
};

TEST_F(StitchPathTest, PointsAreJoinedInThousandthsAndStopsAndGapsMakeHalts) {
    // The second point is 0.04 inch from the first and is dropped with its
    // stop; the stop before the fourth point makes a halt.
    Place({"p X0.000 Y0.000", "c s", "p X0.040 Y0.000", "p X0.190 Y0.000", "c s", "p X0.190 Y0.190",
           "p X0.290 Y0.190"},
          2, 3);
    // The next placement starts 0.3 inch to the right of the first one's end,
    // the one after it touches the second's end: no halt.
    Place({"p X0.000 Y0.000", "p X0.100 Y0.000"}, 2.59f, 3.19f);
    Place({"p X0.000 Y0.000", "p X0.100 Y0.000"}, 2.79f, 3.29f);
    PackFullPattern();
    std::vector<FullPattern_t*> path = Path();
    ASSERT_EQ(path.size(), 8u);         // 0.19-inch moves stay whole
    EXPECT_FLOAT_EQ(path[0]->x, 3000);  // box origin 1 + placement 2
    EXPECT_FLOAT_EQ(path[0]->y, 4000);
    EXPECT_FLOAT_EQ(path[1]->x, 3190);
    EXPECT_FLOAT_EQ(path[2]->y, 4190);
    for (size_t i = 0; i < path.size(); i++) {
        EXPECT_EQ(path[i]->halt, i == 1 || i == 3 ? 1 : 0) << i;
        EXPECT_EQ(path[i]->inserted, 0);
    }
    EXPECT_EQ(path[1]->prev(), path[0]);
    EXPECT_EQ(path[7]->next(), nullptr);
}

TEST_F(StitchPathTest, LongMovesAreCutIntoPiecesShorterThanTwoTenths) {
    FullPattern_t s, e, pieces[3];
    s.x = 0, e.x = 350;  // 0.35 inch: three pieces
    pieces[2].x = -1;
    EXPECT_EQ(ExplodeLine(&e, &s, 100), 3);
    EXPECT_EQ(ExplodeLine(&e, &s, 100, pieces), 3);
    EXPECT_NEAR(pieces[0].x, 116.667, 0.01);
    EXPECT_NEAR(pieces[1].x, 233.333, 0.01);
    EXPECT_FLOAT_EQ(pieces[2].x, -1);  // two points between three pieces
    EXPECT_EQ(pieces[0].inserted, 1);
    EXPECT_FLOAT_EQ(pieces[0].feed, 100);
    e.x = 190;
    EXPECT_EQ(ExplodeLine(&e, &s, 100, pieces), 0);
    e.x = 200;
    EXPECT_EQ(ExplodeLine(&e, &s, 100, pieces), 2);
    EXPECT_NEAR(pieces[0].x, 100, 1e-3);

    // In a packed path only the jump stays long.
    Place({"p X0.000 Y0.000", "p X1.000 Y0.000", "c s", "p X3.000 Y0.000", "p X3.500 Y0.000"}, 0,
          0);
    PackFullPattern();
    std::vector<FullPattern_t*> path = Path();
    for (size_t i = 1; i < path.size(); i++) {
        float d = std::hypot(path[i]->x - path[i - 1]->x, path[i]->y - path[i - 1]->y);
        if (path[i - 1]->halt)
            EXPECT_FLOAT_EQ(d, 2000);
        else
            EXPECT_LT(d, 200);
    }
    EXPECT_EQ(path.size(), 2u + 10u + 5u);  // 0 … 1 in tenths, the jump, 3 … 3.5 in tenths
}

TEST_F(StitchPathTest, FeedAtACornerAndOnABend) {
    float turn = -1;
    float a[2] = {0, 0}, b[2] = {1, 0}, corner[2] = {1, 1};
    // The angle limit is 0 at a right angle; the curvature of the tight circle
    // limits it too; the result is the minimum feed.
    EXPECT_FLOAT_EQ(GetMaxFeed(a, b, corner, 1, 3.33f, &turn), 3.33f);
    EXPECT_NEAR(turn, 90, 1e-3);
    float straight[2] = {2, 0};
    EXPECT_FLOAT_EQ(GetMaxFeed(a, b, straight, 1, 3.33f, &turn), 100);
    EXPECT_NEAR(turn, 0, 1e-3);
    // A 10-degree bend keeps 100 from the angle limit; on a 1-inch chord the
    // circle is wide enough that curvature does not limit either.
    float bend[2] = {1 + std::cos(10 * M_PI / 180), std::sin(10 * static_cast<float>(M_PI) / 180)};
    EXPECT_FLOAT_EQ(GetMaxFeed(a, b, bend, 1, 3.33f, &turn), 100);
    EXPECT_NEAR(turn, 10, 1e-2);
    // A reversal is clamped to 90 degrees.
    float back[2] = {0.5f, 0};
    GetMaxFeed(a, b, back, 1, 0, &turn);
    EXPECT_FLOAT_EQ(turn, 90);
    // 50 degrees: ((1 - 40/80)^2) = 25 from the angle limit on a large circle.
    float wide[2] = {10 + 10 * std::cos(50 * static_cast<float>(M_PI) / 180),
                     10 * std::sin(50 * static_cast<float>(M_PI) / 180)};
    float a10[2] = {0, 0}, b10[2] = {10, 0};
    EXPECT_NEAR(GetMaxFeed(a10, b10, wide, 1, 0, &turn), 25, 0.01);
}

TEST_F(StitchPathTest, FeedsAccelerateOutOfTheStartAndBrakeIntoTheEnd) {
    Place({"p X0.000 Y0.000", "p X2.000 Y0.000"}, 0, 0);
    PackFullPattern();
    std::vector<FullPattern_t*> path = Path();
    ASSERT_EQ(path.size(), 21u);             // 2 inches in 20 pieces
    EXPECT_FLOAT_EQ(path.front()->feed, 0);  // the passes keep the end points at 0
    EXPECT_FLOAT_EQ(path.back()->feed, 0);
    // The passes limit the middle to what 1 inch of acceleration reaches
    // (sqrt(2 × 1400 × 1)); smoothing stretches the feeds between minSpeed and that.
    float highest = 0, lowest = 1000;
    for (size_t i = 1; i + 1 < path.size(); i++) {
        highest = std::max(highest, path[i]->feed);
        lowest = std::min(lowest, path[i]->feed);
    }
    EXPECT_NEAR(highest, std::sqrt(2800.0f), 1e-3);
    EXPECT_NEAR(lowest, Machine().minSpeed, 1e-4);
    EXPECT_LT(path[1]->feed, path[10]->feed);
}

// Found by fuzzing: a 2 KB layout file whose long moves, broken into tenths of
// an inch, made millions of points (a gigabyte) when its box was packed. Such
// a path, and one with a point beyond the board's range, is refused before any
// move is broken up.
TEST_F(StitchPathTest, PathsTooLargeForTheBoardOrTheMemoryAreRefused) {
    Place({"p X0 Y0", "p X19000 Y0", "p X0 Y0", "p X19000 Y0", "p X0 Y0", "p X19000 Y0", "p X0 Y0"},
          0, 0);
    EXPECT_EQ(PackFullPattern(), -1);  // six moves of 190,000 pieces each
    EXPECT_EQ(CurrentRun().fullPattern, nullptr);
    ClearLayout();
    ClearPatternList();
    Place({"p X0 Y0", "p X0.1 Y25000"}, 0, 0);
    EXPECT_EQ(PackFullPattern(), -1);

    LoadLayout(LONGARM_SOURCE_DIR "/tests/data/fuzz/layout_long_moves.qlf", 1, 1);
    int refused = 0;
    for (int box = 0; box < patternBoxList.count; box++) {
        SetCurrentPatternBox(box);
        refused += PackFullPattern() == -1;
        EXPECT_LE(CountFullPattern(CurrentRun().fullPattern), kMostPathPoints);
    }
    EXPECT_GE(refused, 1);

    // A placement added under an event drained by the progress window between
    // counting the points and writing them: refused, nothing written past the path.
    ClearLayout();
    ClearPatternList();
    Place({"p X0 Y0", "p X0.1 Y0", "p X0.2 Y0"}, 0, 0);
    for (int i = 0; i < 200; i++)
        NewPatternLayoutNode(0, -1, 0, 0, 0.1f * static_cast<float>(i));
    UserInterfaceHooks hooks;
    hooks.updateStatusWindow = [](StatusWindow* w) {
        if (w->pulses == 3) NewPatternLayoutNode(0, -1, 0, 5, 5);  // the second walk's first
    };
    SetUserInterfaceHooks(hooks);
    StatusWindow status;
    bool unstitchable = false;
    EXPECT_EQ(PackBoxPath(CurrentPatternBox(), &status, &unstitchable), nullptr);
    EXPECT_TRUE(unstitchable);
    SetUserInterfaceHooks({});
}

TEST_F(StitchPathTest, ShortAndEmptyPaths) {
    PackFullPattern();  // an empty box
    EXPECT_EQ(CurrentRun().fullPattern, nullptr);
    Place({"p X0.000 Y0.000", "p X0.100 Y0.000"}, 0, 0);
    PackFullPattern();
    std::vector<FullPattern_t*> path = Path();
    ASSERT_EQ(path.size(), 2u);
    EXPECT_FLOAT_EQ(path[0]->feed, 10);
    EXPECT_FLOAT_EQ(path[1]->feed, 10);
    SetFeeds(nullptr, 1);  // no path: nothing to do, nothing touched
}

}  // namespace
