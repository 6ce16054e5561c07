// Stitch paths and their figures on hand-made paths: the path of a layout,
// point selection, the quilt-area check and the estimate.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <tuple>
#include <vector>

#include "base/log.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/machine_parameters.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/point_select.h"
#include "machine/stitching/quilt_area_check.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/stitch_estimate.h"
#include "machine/stitching/stitch_path.h"
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
    ASSERT_EQ(path.size(), 8u);  // 0.19-inch moves stay whole
    // Box origin 1 + placement 2.
    EXPECT_EQ((std::vector<float>{path[0]->x, path[0]->y, path[1]->x, path[2]->y}),
              (std::vector<float>{3000, 4000, 3190, 4190}));
    for (size_t i = 0; i < path.size(); i++) {
        EXPECT_EQ(path[i]->halt, i == 1 || i == 3 ? 1 : 0) << i;
        EXPECT_EQ(path[i]->inserted, 0);
    }
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
    ASSERT_EQ(path.size(), 21u);  // 2 inches in 20 pieces
    // The passes keep the end points at 0.
    EXPECT_EQ(std::pair(path.front()->feed, path.back()->feed), std::pair(0.0f, 0.0f));
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
    std::vector<FullPattern_t*> at;
    for (FullPattern_t* p = path; p; p = p->next())
        at.push_back(p);
    for (const Case& c : cases)
        EXPECT_EQ(NearestPathPoint(path, c.x, c.y), at[c.want]) << c.x << "," << c.y;
    FreeFullPattern(path);

    EXPECT_EQ(NearestPathPoint(nullptr, 0, 0), nullptr);
    FullPattern_t* halts = MakePath({{0, 0, 1}, {500, 500, 1}});
    EXPECT_EQ(NearestPathPoint(halts, 0, 0), nullptr);
    FreeFullPattern(halts);
}

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

RunSpeeds Speeds(float jumpStitch, int stitchRep) {
    RunSpeeds s;
    s.topSpeed = 40;                // feed 100: 4 inches per second
    s.minimumFeed = 2 * 10.0f / 6;  // minimumSpeed 2
    s.leadLineSpeed = 60;           // feed 10: 0.6 inch per second
    s.acceleration = 40;
    s.jumpStitch = jumpStitch;
    s.stitchRep = stitchRep;
    return s;
}

// Sewn 1 in, sewn 1 in to a section end, a 0.05 in jump (sewn with stitching
// on), sewn 1 in to a section end, a 3 in jump, the 0.1 in tie-on move, sewn
// 1 in. Feeds are all 100.
TEST(StitchEstimate, CountsWhatTheStitcherSewsAndTimesEveryMove) {
    FullPattern_t* path = MakePath({{0, 0, 0},
                                    {1000, 0, 0},
                                    {2000, 0, 1},
                                    {2050, 0, 0},
                                    {3050, 0, 1},
                                    {6050, 0, 0},
                                    {6150, 0, 0},
                                    {7150, 0, 0}});
    const MoveKind kinds[] = {kMoveSewn, kMoveSewn,  kMoveSewn, kMoveSewn,
                              kMoveJump, kMoveTieOn, kMoveSewn, kMoveSewn};
    int i = 0;
    for (const FullPattern_t* p = path; p; p = p->next(), i++)
        EXPECT_EQ(ClassifyMove(p), kinds[i]) << "move from point " << i;

    const struct {
        float jumpStitch;
        int cuts;
    } cuts[] = {{2, 1}, {3, 0}};  // cut only when longer than jumpStitch
    for (const auto& c : cuts) {
        const StitchEstimate e = EstimateStitchPath(path, Speeds(c.jumpStitch, 0));
        EXPECT_EQ((std::vector<int>{e.points, e.sections, e.stitches, e.jumps, e.threadCuts,
                                    e.lockStitches}),
                  (std::vector<int>{8, 3, 5, 1, c.cuts, 4}));
        EXPECT_NEAR(e.stitchedInches, 4.05, 1e-4);
        EXPECT_NEAR(e.jumpInches, 3, 1e-4);
    }

    // Without lock-stitch trips: a sewn inch at feed 100 takes 0.25 s; the
    // short jump runs as a lead line at feed 10 of the lead-line speed.
    const std::vector<double> left = SecondsLeftAtPoints(path, Speeds(0, 0));
    ASSERT_EQ(left.size(), 8u);
    EXPECT_NEAR(left[0] - left[1], 0.25, 1e-6);
    EXPECT_NEAR(left[2] - left[3], 0.05 / 0.6, 1e-6);
    EXPECT_NEAR(left[6] - left[7], 0.25, 1e-6);
    EXPECT_EQ(left[7], 0);
    // The 3 in jump runs as 30 pieces that accelerate from and brake to the
    // minimum feed: feed² grows by 2 × 1400 × 0.1 per piece from either end.
    const double least = 2 * 10.0 / 6;
    double jump = 0;
    for (int k = 1; k <= 30; k++)
        jump += 0.1 / (std::sqrt(least * least + 280.0 * std::min(k, 30 - k)) / 100 * 6);
    EXPECT_NEAR(left[4] - left[5], jump, 1e-4);
    EXPECT_EQ(EstimateStitchPath(path, Speeds(0, 0)).seconds, left[0]);
    // Four repetitions tie off twice out and back at feed 30 and speed 40.
    const std::vector<double> tied = SecondsLeftAtPoints(path, Speeds(0, 4));
    EXPECT_NEAR(tied[7], 2 * 2 * 1.0 / 1.2, 1e-6);
    // Start, end and the jump's tie-off over 1 in, the tie-on over 0.1 in.
    EXPECT_NEAR(tied[0] - left[0], 3 * 2 * 2 * 1.0 / 1.2 + 2 * 2 * 0.1 / 1.2, 1e-6);

    // A top speed of 0 gives no time rather than none at all.
    RunSpeeds stopped = Speeds(0, 0);
    stopped.topSpeed = 0;
    EXPECT_EQ(EstimateStitchPath(path, stopped).seconds, -1);
    EXPECT_TRUE(SecondsLeftAtPoints(path, stopped).empty());
    FreeFullPattern(path);
    EXPECT_EQ(EstimateStitchPath(nullptr, Speeds(0, 0)).seconds, 0);
    EXPECT_EQ(FormatDuration(-1) + "|" + FormatDuration(59.6) + "|" + FormatDuration(7620),
              "UNKNOWN|1 MIN 00 S|2 H 07 MIN");
    EXPECT_EQ(FormatRunProgress({0.426, 61}) + "|" + FormatRunProgress({0.5, -1}),
              "42% DONE, 1 MIN 01 S LEFT|50% DONE");
}

}  // namespace
