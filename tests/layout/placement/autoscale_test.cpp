#include "layout/placement/autoscale.h"
#include "layout/layout_selection.h"

#include <algorithm>
#include <random>

#include "autoscale_fixture.h"
#include "base/application_state.h"
#include "layout/placement/convex_hull.h"
#include "layout/placement/hull_bounce.h"
#include "pattern/pattern_transform.h"

namespace {

PointArrayPtr Candidates(const Points& points) {
    PointArrayPtr a(NewPointArray());
    int n = 0;
    for (const auto& [x, y] : points) {
        HullElement e{x, y, 0, n++};
        g_array_append_val(a.get(), e);
    }
    return a;
}

Points Corners(const PointArray* hull) {
    Points c;
    for (guint i = 0; i < hull->len; i++)
        c.emplace_back(HullAt(hull, i).x, HullAt(hull, i).y);
    return c;
}

TEST(ConvexHull, DegenerateAndOrdinaryPointSets) {
    // Points and their hull in order from the anchor: none, one, all equal,
    // two, a diagonal with repeats, a horizontal line, a square with inner,
    // edge and repeated points.
    const std::pair<Points, Points> cases[] = {
        {{}, {}},
        {{{1, 1}}, {{1, 1}}},
        {{{2, 3}, {2, 3}, {2, 3}}, {{2, 3}}},
        {{{3, 4}, {0, 0}}, {{0, 0}, {3, 4}}},
        {{{1, 1}, {0, 0}, {2, 2}, {1, 1}, {3, 3}, {3, 3}}, {{0, 0}, {3, 3}}},
        {{{0, 5}, {4, 5}, {2, 5}, {4, 5}}, {{4, 5}, {0, 5}}},
        {{{0, 0}, {2, 2}, {4, 0}, {2, 0}, {4, 4}, {4, 2}, {0, 4}, {0, 0}, {1, 3}},
         {{4, 0}, {4, 4}, {0, 4}, {0, 0}}},
    };
    for (const auto& [points, hull] : cases)
        EXPECT_EQ(Corners(Hull(Hull(Candidates(points))).get()), hull) << points.size();
    // Nearer first on a ray from the anchor, the anchor's own place before all.
    const HullElement o{0, 0, 0, 0}, near{1, 1, 0, 1}, far{2, 2, 0, 2}, steep{0.5f, 1, 0, 3};
    EXPECT_EQ(
        (std::vector<int>{Compare(o, near, far), Compare(o, far, near), Compare(o, near, steep),
                          Compare(o, o, near), Compare(o, near, near)}),
        (std::vector<int>{-1, 1, -1, -1, 0}));
}

TEST(ConvexHull, EnclosesEveryPointAndFollowsThePlacement) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-5, 5);
    Points cloud;
    for (int i = 0; i < 2000; i++)
        cloud.emplace_back(coordinate(random), coordinate(random));
    PointArrayPtr hull = Hull(Hull(Candidates(cloud)));
    ASSERT_GE(hull->len, 3u);
    // The hull turns the Left2 way; reversed it is a box polygon for PIP.
    PointArrayPtr box(NewPointArray());
    for (guint i = hull->len; i-- > 0;)
        g_array_append_val(box.get(), HullAt(hull.get(), i));
    int wrong = 0;  // the reversed hull turns the Left way (or runs straight) at every corner
    for (guint i = 0; i < box->len; i++)
        wrong += 1 - LeftOn(&HullAt(box.get(), i).x, &HullAt(box.get(), (i + 1) % box->len).x,
                            &HullAt(box.get(), (i + 2) % box->len).x);
    for (const auto& [x, y] : cloud) {
        const float p[2] = {x, y};
        wrong += PIP(box.get(), p, nullptr, 0) ? 0 : 1;
    }
    EXPECT_EQ(wrong, 0);
    // A pattern whose points do not start at 0 is measured from its corner.
    Pattern p;
    for (const char* line : {"p X5 Y5", "p X7 Y5", "p X6 Y6"})
        addData(&p, line, 0);
    HullBounds b = MeasureHull(ConvexHull(&p, 1, 2).get());
    EXPECT_FLOAT_EQ(b.minX, 1);
    EXPECT_FLOAT_EQ(b.maxY, 3);
    EXPECT_EQ(ConvexHull(nullptr, 0, 0)->len, 0u);
}

// A 2 x 2 square hull in the middle of a 10 x 4 box.
struct BounceTest : AutoScaleTest {
    void SetUp() override {
        AutoScaleTest::SetUp();
        MakeRectBox(0, 0, 10, 4);
        box.reset(BoxPolygon(GetPatternBox(0)));
        hull = Candidates({{4, 1}, {6, 1}, {6, 3}, {4, 3}});
    }
    float Run(int mode, float direction, float gx = 1, float gy = 1, int growLimit = 1,
              float step = 0.05f) {
        const Bounce b{.mode = mode,
                       .step = step,
                       .growX = gx,
                       .growY = gy,
                       .direction = direction,
                       .growLimit = growLimit};
        return HullBounce(box.get(), hull.get(), b, nullptr);
    }
    PointArrayPtr box, hull;
};

TEST_F(BounceTest, MeasuresFreePlayGrowsAndGivesUp) {
    // The travel between the contacts: the free play and a step beyond each wall.
    ExpectNear({Run(kBounceAlongX, 3.1415927f), MeasureHull(hull.get()).CentreX(),
                Run(kBounceAlongY, 3 * 3.1415927f / 2), MeasureHull(hull.get()).CentreY()},
               {8.1, 5, 2.1, 2}, 0.06);

    Run(kBounceAlongX, 3.1415927f, 1.1f, 1.1f, 3);  // three growths after the first wall
    EXPECT_NEAR(MeasureHull(hull.get()).Width(), 2 * 1.331f, 1e-3);
    EXPECT_EQ(PolygonsOverlap(box.get(), hull.get(), nullptr, 0), -1);
    // A bounce that cannot move ends at its time limit.
    UseSteppingClock(1000);
    TakeLog();
    EXPECT_EQ(Run(kBounceReverse, 0, 1, 1, 1, 0), -1);
    EXPECT_NE(TakeLog().find("HullBounce while loop Timeout"), std::string::npos);
    EXPECT_LE(clockMs, kBounceTimeLimitMs + 3000);
    operationRunning = 0;
    EXPECT_EQ(Run(kBounceAlongX, 0), -1);
}

TEST_F(BounceTest, PullsInShrinksAndMeasuresOverlap) {
    MoveHull(hull.get(), 4.5f, 1.5f);  // sticks out right and front
    EXPECT_EQ(PatternInBox(box.get(), hull.get(), nullptr, 0), 1);
    EXPECT_EQ(PolygonsOverlap(box.get(), hull.get(), nullptr, 0), -1);

    ScaleHull(hull.get(), 4, 4);  // 8 x 8: too tall for the box
    PointArrayPtr stuck = CopyHull(hull.get());
    EXPECT_EQ(PatternInBox(box.get(), stuck.get(), nullptr, 0), 0);  // gives up
    EXPECT_EQ(PatternInBox2(box.get(), hull.get(), nullptr, 0), 1);
    const HullBounds b = MeasureHull(hull.get());
    EXPECT_LE(b.Height(), 4.0f);
    EXPECT_GT(b.Height(), 3.9f);
    EXPECT_NEAR(b.CentreX(), 5, 1e-3);

    const struct {
        float p[2];
        EdgeSegment edge;
        float distance;
    } cases[] = {
        {{5, -1}, {0, 10, 0, 0}, 1},          // foot on a horizontal wall
        {{12, -1}, {0, 10, 0, 0}, 2.23607f},  // beyond its end: to the corner
        {{-2, -1}, {0, 10, 0, 0}, 2.23607f},  // before its start
        {{-2, 3}, {0, 0, 0, 4}, 2},           // vertical wall
        {{0, 2}, {0, 2, 0, 2}, 1.41421f},     // slanted wall
    };
    for (const auto& c : cases)
        EXPECT_NEAR(GetOverlapDistance(c.p, c.edge), c.distance, 1e-4);

    const struct {
        Points corners;
        bool fourCorners;
        float x, y;
    } centres[] = {
        {{{0, 0}, {0, 9}, {6, 9}}, false, 2, 6},                    // centroid
        {{{2, 1}, {1, 5}, {7, 5}, {6, 1}}, true, 4, 2.6f},          // diagonals cross
        {{{2, 1}, {1, 5}, {7, 5}, {6, 1}}, false, 4, 3},            // bounding rectangle
        {{{0, 2}, {3, 10}, {9, 10}, {12, 2}, {6, 0}}, true, 6, 5},  // five corners
    };
    for (const auto& c : centres) {
        float x, y;
        ASSERT_EQ(BoxTargetCentre(Candidates(c.corners).get(), c.fourCorners, &x, &y), 1);
        EXPECT_LT(std::hypot(x - c.x, y - c.y), 1e-4);
    }
}

TEST_F(BounceTest, GrowthOfATurnedHullKeepsItsShape) {
    // A 4 x 1 rectangle turned by 30 degrees about (5, 2); grown once by 10 %
    // along its own x.
    Points turned;
    const double r = 30 * 3.141592653589793 / 180;
    for (const auto& [x, y] : Points{{-2, -0.5f}, {2, -0.5f}, {2, 0.5f}, {-2, 0.5f}})
        turned.emplace_back(5 + x * std::cos(r) - y * std::sin(r),
                            2 + x * std::sin(r) + y * std::cos(r));
    hull = Candidates(turned);
    HullBounce(
        box.get(), hull.get(),
        Bounce{.mode = kBounceAlongX, .growX = 1.1f, .direction = 3.1415927f, .rotation = 30},
        nullptr);
    auto side = [&](guint i) {
        const HullElement &a = HullAt(hull.get(), i), &c = HullAt(hull.get(), i + 1);
        return std::hypot(c.x - a.x, c.y - a.y);
    };
    ExpectNear({side(0), side(1)}, {4.4f, 1}, 1e-3);
}

TEST_F(AutoScaleTest, FillsBoxesOfEveryShapeInBothModes) {
    const Points square = {{3, 4}, {3, 14}, {13, 14}, {13, 4}},
                 tall = {{0, 0}, {0, 20}, {6, 20}, {6, 0}}, triangle = {{0, 0}, {0, 9}, {6, 9}},
                 pentagon = {{0, 2}, {3, 10}, {9, 10}, {12, 2}, {6, 0}};
    const struct {
        const Points& box;
        float w, h;  // of the rectangular pattern
        int mode;
        float minWidth, minHeight;  // at least this large afterwards
        float centreX, centreY;     // where it ends, box frame; -1: not checked
    } cases[] = {
        {square, 2, 2, kKeepProportions, 9.5f, 9.5f, 5, 5},
        {tall, 4, 1, kScaleIndependently, 5.5f, 19, 3, 10},
        {triangle, 1, 1, kKeepProportions, 3.2f, 3.2f, -1, -1},
        {pentagon, 3, 1, kScaleIndependently, 7.5f, 5.5f, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box.size());
        InitPatternBox();
        ClearLayout();
        MakeBox(c.box);
        SetCurrentPatternBox(0);
        LayoutNode* n = NewPatternLayoutNode(LoadPoints({{0, 0}, {c.w, 0}, {c.w, c.h}, {0, c.h}}),
                                             -1, 0, 0.5f, 0.5f);
        AutoScaleReport report;
        ASSERT_EQ(AutoScale(n, c.mode, &report), kAutoScaleDone);
        const Pattern* p = GetPattern(n->patternIndex);
        EXPECT_TRUE(p->width >= c.minWidth && p->height >= c.minHeight) << p->width << p->height;
        EXPECT_TRUE(Inside(n) && report.passes > 0 && !HullOutline());
        EXPECT_NEAR(c.mode == kKeepProportions ? p->width / p->height : c.w / c.h, c.w / c.h, 0.01);
        if (c.centreX >= 0)
            ExpectNear({n->x + p->width / 2, n->y + p->height / 2}, {c.centreX, c.centreY}, 0.1);
    }
}

TEST_F(AutoScaleTest, MarginsTurnsAndRefusedBoxes) {
    MakeRectBox(0, 0, 12, 8);
    LayoutNode* n = NewPatternLayoutNode(LoadPoints({{0, 0}, {2, 0}, {2, 2}}), -1, 0, 1, 1);
    Settings().xMargin = 0.5f;
    ASSERT_EQ(AutoScale(n, kKeepProportions), kAutoScaleDone);
    EXPECT_TRUE(Inside(n, -0.45f));
    EXPECT_GT(GetPattern(n->patternIndex)->height, 6.5f);
    EXPECT_NEAR(n->y + GetPattern(n->patternIndex)->height / 2, 4, 0.05);

    Settings().xMargin = 12;  // out of range: reset, then the whole box is used
    ASSERT_EQ(AutoScale(n, kKeepProportions), kAutoScaleDone);
    EXPECT_EQ(Settings().xMargin, 0);
    EXPECT_GT(GetPattern(n->patternIndex)->height, 7.6f);

    Settings().xMargin = 4.5f;  // a margin that leaves no box
    const float w = GetPattern(n->patternIndex)->width;
    EXPECT_EQ(AutoScale(n, kKeepProportions), kAutoScaleBoxNotConvex);
    EXPECT_EQ(GetPattern(n->patternIndex)->width, w);
    Settings().xMargin = 0;

    GetPattern(n->patternIndex)->angle = 30;  // measured in its own unturned frame
    RotatePattern(GetPattern(n->patternIndex), 30);
    ASSERT_EQ(AutoScale(n, kScaleIndependently), kAutoScaleDone);
    EXPECT_EQ(GetPattern(n->patternIndex)->angle, 30);
    EXPECT_TRUE(Inside(n));
    // A box walked the wrong way round is refused with the message.
    int wrong = MakeBox({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    SetCurrentPatternBox(wrong);
    script.shown.clear();
    EXPECT_EQ(AutoScale(n, kKeepProportions), kAutoScaleBoxNotConvex);
    EXPECT_EQ(script.shown, std::vector<std::string>{kNotConvexMessage});
}

TEST_F(AutoScaleTest, DegeneratePatternsCancelAndTheTimeLimit) {
    MakeRectBox(0, 0, 10, 6);
    const Points shapes[] = {{{0, 0}, {3, 0}, {1, 0}}, {{0, 0}, {0, 2}}, {{1, 1}, {1, 1}}};
    for (const Points& shape : shapes) {
        for (int mode : {kKeepProportions, kScaleIndependently}) {
            ClearLayout();
            LayoutNode* n = NewPatternLayoutNode(LoadPoints(shape), -1, 0, 2, 2);
            ASSERT_EQ(AutoScale(n, mode), kAutoScaleDone);
            const Pattern* p = GetPattern(n->patternIndex);
            EXPECT_TRUE(std::isfinite(n->x) && std::isfinite(n->y) && std::isfinite(p->width));
            EXPECT_TRUE(Inside(n) && (p->width == 0 || p->width > 9.5f) &&
                        (p->height == 0 || p->height > 5.5f));
        }
    }
    const int empty = GetNextPattern();
    AddPatternToList(empty, std::make_unique<Pattern>());
    EXPECT_EQ(AutoScale(NewPatternLayoutNode(empty, -1, 0, 0, 0), 0), kAutoScaleNothingToScale);
    // Cancel from the waiting window, seen in the drained events.
    ClearLayout();
    LayoutNode* n = NewPatternLayoutNode(LoadPoints({{0, 0}, {1, 0}, {1, 1}}), -1, 0, 1, 1);
    static int outlineShown;
    outlineShown = 0;
    AutoScaleHooks hooks;
    hooks.redrawView = [] { outlineShown += HullOutline() && !HullOutline()->empty(); };
    SetAutoScaleHooks(hooks);
    drains = 0;
    cancelAfterDrains = 5;
    EXPECT_EQ(AutoScale(n, kKeepProportions), kAutoScaleCancelled);
    EXPECT_EQ(GetPattern(n->patternIndex)->width, 1);
    EXPECT_TRUE(outlineShown > 0 && !HullOutline());
    // Every reading of the clock a second later: the passes stop at 30 s.
    operationRunning = 1;
    cancelAfterDrains = -1;
    UseSteppingClock(1000);
    AutoScaleReport report;
    TakeLog();
    EXPECT_EQ(AutoScale(n, 0, &report), kAutoScaleDone);
    EXPECT_TRUE(report.timedOut);
    EXPECT_NE(TakeLog().find("Bounce Timeout after"), std::string::npos);
    EXPECT_LE(clockMs, kAutoScaleTimeLimitMs + 15000);  // a second per reading
    EXPECT_TRUE(Inside(n));
}

}  // namespace
