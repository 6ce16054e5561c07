#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "base/system_paths.h"
#include "layout/layout_selection.h"
#include "layout/placement/array_merge.h"
#include "layout/placement/array_repeat.h"
#include "layout/placement/auto_center.h"
#include "layout/placement/autofill.h"
#include "layout/placement/autoscale.h"
#include "layout/placement/box_centre.h"
#include "layout/placement/convex_hull.h"
#include "layout/placement/hull_bounce.h"
#include "pattern/pattern_merge.h"
#include "pattern/pattern_transform.h"
#include "placement_fixture.h"
#include "support/temp_dir.h"

namespace {

// Helpers of the automatic placement tests: a scripted Cancel through the
// drained events and a check that every placed point lies in the box.
struct AutoScaleTest : PlacementTest {
    void SetUp() override {
        PlacementTest::SetUp();
        ASSERT_EQ(SetSystemRoot(root.path.c_str()), 1);  // the undo step goes there
        cancelAfterDrains = -1;
        drains = 0;
        UserInterfaceHooks hooks = GetUserInterfaceHooks();
        hooks.drainEvents = [] {
            if (++drains == cancelAfterDrains) {
                operationRunning = 0;
                mergePatternsActive = 0;
            }
        };
        hooks.openWaitingWindow = [](const char* title, int cancellable) {
            waitingWindows.push_back(std::string(title) + (cancellable ? " (Cancel)" : ""));
        };
        SetUserInterfaceHooks(hooks);
        waitingWindows.clear();
        operationRunning = 1;
        SetViewScale(0.05f);  // small pattern images
    }
    void TearDown() override {
        SetSystemRoot(nullptr);
        PlacementTest::TearDown();
    }
    // Every point of the placement's pattern lies within `slack` inches
    // outside the current box at most (a negative slack: that far inside).
    static bool Inside(const LayoutNode* node, float slack = 0.01f) {
        const Pattern* p = GetPattern(node->patternIndex);
        PointArray* box = BoxPolygon(GetPatternBox(CurrentPatternBox()));
        bool inside = true;
        for (int i = 0; i < p->pointCount && inside; i++) {
            const float x = node->x + p->x[i] - p->minX, y = node->y + p->y[i] - p->minY;
            for (guint e = 0; e < box->len; e++) {
                const auto& a = g_array_index(box, PointArrayElement, e);
                const auto& b = g_array_index(box, PointArrayElement, (e + 1) % box->len);
                const float len = std::hypot(b.x - a.x, b.y - a.y);
                // Distance to the inner side of the edge (boxes turn the Left way).
                const float d = ((b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y)) / len;
                if (d > slack) inside = false;
            }
        }
        g_array_free(box, TRUE);
        return inside;
    }
    TempDir root;
    static inline std::vector<std::string> waitingWindows;  // titles, "(Cancel)" when cancellable
    static inline int drains = 0, cancelAfterDrains = -1;   // the drain that presses Cancel
};

// The places of all placements as "x,y", rounded to 0.01.
std::string Positions() {
    std::string out;
    char at[40];
    for (const LayoutNode* n = patternLayout; n; n = n->next) {
        std::snprintf(at, sizeof at, "%s%g,%g", out.empty() ? "" : " ",
                      std::round(n->x * 100) / 100, std::round(n->y * 100) / 100);
        out += at;
    }
    return out;
}

TEST_F(PlacementTest, RepeatsFillTheGridWithSpacingsInRowOrder) {
    MakeRectBox(0, 0, 40, 40);
    int slot = LoadPoints({{0, 0}, {4, 0}, {4, 2}});
    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 1, 1);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{3, 0.5f, 2, 0.25f}), 1);
    EXPECT_EQ(Positions(), "1,1 5.25,1 1,3.5 5.25,3.5 1,6 5.25,6");
    const int array = parent->arrayIndex;
    ASSERT_GE(array, 0);
    EXPECT_EQ(parent->parent, 1);
    for (const LayoutNode* n = parent->next; n; n = n->next)
        EXPECT_TRUE(n->arrayIndex == array && n->parent == 0 && n->patternIndex == slot &&
                    n->boxIndex == parent->boxIndex);
    // The dialog opens again on the same values, from any member.
    EXPECT_EQ(ArrayParentOf(parent->next->next), parent);
    RepeatSettings again = RepeatStartValues(ArrayParentOf(parent->next));
    ExpectFloats({1.0f * again.down, 1.0f * again.across, again.spacingDown, again.spacingAcross},
                 {3, 2, 0.5f, 0.25f});
    // A 2 x 1 pattern turned a quarter: the grid runs down the table. Column
    // step (base width 2 + 0.5, 0) turns to (0, 2.5); row step (0, 1 + 0.25)
    // to (-1.25, 0).
    ClearLayout();
    GetPattern(slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}}))->angle = 90;
    parent = NewPatternLayoutNode(slot, -1, 0, 10, 10);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{2, 0.25f, 2, 0.5f}), 1);
    EXPECT_EQ(Positions(), "10,10 10,12.5 8.75,10 8.75,12.5");
}

TEST_F(PlacementTest, CountsReplaceTheRepeatsOneByOneDissolvesAndAFullTableRefuses) {
    MakeRectBox(0, 0, 40, 40);
    int slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}});
    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 0, 0);
    LayoutNode* other = NewPatternLayoutNode(slot, -1, 0, 30, 30);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{2, 0, 3, 0}), 1);
    EXPECT_EQ(CountLayoutNodes(), 7);
    const int array = parent->arrayIndex;
    // The record is overwritten in place.
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 2, 1}), 1);
    EXPECT_EQ(
        (std::vector<int>{CountLayoutNodes(), parent->arrayIndex, GetArrayNode(array)->across}),
        (std::vector<int>{3, array, 2}));
    EXPECT_FLOAT_EQ(other->next->x, 3);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 1, 0}), 1);
    EXPECT_EQ((std::vector<int>{CountLayoutNodes(), parent->arrayIndex, parent->parent}),
              (std::vector<int>{2, -1, 0}));
    EXPECT_TRUE(!GetArrayNode(array) && GetPattern(slot));
    EXPECT_TRUE(patternLayout == parent && parent->next == other);
    // A full table refuses a new array with a message; dissolving needs no slot.
    for (int i = 0; i < kArraySlots; i++)
        ASSERT_GE(NewArrayNode(1, 0, 2, 0), 0);
    EXPECT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 2, 0}), 0);
    EXPECT_TRUE(CountLayoutNodes() == 2 && parent->arrayIndex == -1);
    EXPECT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 1, 0}), 1);
    EXPECT_EQ(script.shown, std::vector<std::string>{"COULD NOT ADD ARRAY"});
    // Counts are kept to 1 … 20.
    InitArrays();
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{0, 0, 25, 0}), 1);
    EXPECT_EQ(CountLayoutNodes(), 21);
    RemoveArrayNode(parent->arrayIndex);
    EXPECT_EQ(RepeatStartValues(parent).across, 1);
    EXPECT_EQ(parent->arrayIndex, -1) << "a parent whose slot went empty starts alone";
}

// Each axis on its own; an array moves whole, a single placement alone.
TEST_F(PlacementTest, RectangleCentresEachAxisOnItsOwnAndAnArrayWhole) {
    MakeRectBox(3, 4, 10, 6);
    int slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}});
    LayoutNode* a = NewPatternLayoutNode(slot, -1, 0, 1, 0);
    LayoutNode* b = NewPatternLayoutNode(slot, -1, 0, 3, 2);  // span x 1 … 5, y 0 … 3
    AutoCenter(1, 0);  // horizontal: span centre 3 → box centre 5
    ExpectFloats({a->x, b->x, a->y, b->y}, {3, 5, 0, 2});
    AutoCenter(0, 1);  // vertical: span centre 1.5 → 3; x untouched
    ExpectFloats({a->x, a->y, b->y}, {3, 1.5f, 3.5f});
    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 1, 1);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{2, 0, 2, 0}), 1);  // span 1 … 5, 1 … 3
    AutoCenterPattern(parent->next, 1, 1);
    ExpectFloats({parent->x, parent->y, parent->next->next->next->x, a->x}, {3, 2, 5, 3});
    AutoCenterPattern(a, 0, 1);  // alone: only itself, only y
    ExpectFloats({a->x, a->y, parent->y}, {3, 2.5f, 2});
    // Another box's placements stay where they are.
    int other = MakeRectBox(30, 30, 10, 10);
    LayoutNode* c = AppendLayoutNode(slot, -1, 0, 0, 0, other);
    SetCurrentPatternBox(0);
    AutoCenter(1, 1);
    ExpectFloats({c->x, c->y}, {0, 0});
}

TEST_F(PlacementTest, TriangleCentresOnTheCentroidNotTheRectangle) {
    // Right triangle (0,0), (0,9), (6,9): rectangle centre (3, 4.5), centroid (2, 6).
    int box = MakeBox({{0, 0}, {0, 9}, {6, 9}});
    SetCurrentPatternBox(box);
    int slot = LoadPoints({{0, 0}, {1, 0}, {1, 1}});
    LayoutNode* a = NewPatternLayoutNode(slot, -1, 0, 0, 0);
    AutoCenter(1, 1);
    ExpectNear({a->x + 0.5f, a->y + 0.5f}, {2, 6}, 1e-3);
    float cx, cy;
    Settings().xMargin = 0.5f;
    ASSERT_EQ(CurrentBoxTargetCentre(&cx, &cy), 1);
    // Moving every edge inward by the same amount shrinks the triangle about
    // its incentre (2.09, 6.91); the target is the smaller triangle's centroid.
    ExpectNear({cx, cy}, {2.0219f, 6.2171f}, 2e-3);
    AdjustForMargin(nullptr);  // logged, nothing else
    EXPECT_EQ(BoxPolygon(nullptr), nullptr);
}

TEST_F(AutoScaleTest, GridCountsAndRefusals) {
    const struct {
        const char* name;
        float boxW, boxH, patternW, patternH, margin;
        int down, across;   // 0, 0: refused
        const char* shown;  // the message, or none
    } cases[] = {
        {"10 x 10 in 25 x 12", 25, 12, 10, 10, 0, 1, 2, nullptr},
        {"as wide, half as tall", 8, 6, 8, 3, 0, 2, 1, nullptr},
        {"the margin takes the second copy", 25, 22, 10, 10, 5.5f, 0, 0, kNoRoomMessage},
        {"too large", 5, 5, 6, 1, 0, 0, 0, kNoRoomMessage},
        {"tiny: at most 20 a side", 30, 30, 0.5f, 1, 0, 20, 20, nullptr},
        {"no width", 10, 10, 0, 2, 0, 5, 1, nullptr},
    };
    for (const auto& c : cases) {
        InitPatternBox();
        ClearLayout();
        ClearPatternList();
        MakeRectBox(0, 0, c.boxW, c.boxH);
        Settings().xMargin = Settings().yMargin = c.margin;
        LayoutNode* n = NewPatternLayoutNode(
            LoadPoints({{0, 0}, {c.patternW, 0}, {c.patternW, c.patternH}}), -1, 0, 0, 0);
        script.shown.clear();
        AutofillGrid grid;
        EXPECT_EQ(PlanAutofill(n, &grid), c.down ? 1 : 0) << c.name;
        EXPECT_EQ(c.down ? std::pair(grid.down, grid.across) : std::pair(0, 0),
                  std::pair(c.down, c.across))
            << c.name;
        EXPECT_EQ(script.shown,
                  c.shown ? std::vector<std::string>{c.shown} : std::vector<std::string>{})
            << c.name;
    }
    Settings().xMargin = Settings().yMargin = 0;
    EXPECT_EQ(Autofill(nullptr), kAutofillNothing);
}

TEST_F(AutoScaleTest, FillsTheBoxAndCancelBringsTheLayoutBack) {
    MakeRectBox(2, 3, 13, 9.5f);  // six across and nine down, with room to grow
    LayoutNode* n = NewPatternLayoutNode(LoadPoints({{0, 0}, {2, 0}, {2, 1}, {0, 1}}), -1, 0, 1, 1);
    script.messageResponse = kResponseYes;  // keep the proportions
    ASSERT_EQ(Autofill(n), kAutofillDone);
    EXPECT_EQ(CountLayoutNodes(), 6 * 9);
    const Pattern* p = GetPattern(n->patternIndex);
    EXPECT_GT(p->height, 1.04f);
    EXPECT_NEAR(p->width / p->height, 2, 0.01);
    EXPECT_NEAR(n->next->x - n->x, p->width, 1e-3);  // the copies grew apart with the pattern
    float minX = 99, minY = 99, maxX = -99, maxY = -99;
    for (const LayoutNode* m = patternLayout; m; m = m->next) {
        EXPECT_TRUE(Inside(m));
        minX = std::min(minX, m->x), maxX = std::max(maxX, m->x + p->width);
        minY = std::min(minY, m->y), maxY = std::max(maxY, m->y + p->height);
    }
    ExpectNear({(minX + maxX) / 2, (minY + maxY) / 2}, {6.5f, 4.75f}, 0.02);  // centred in the box
    EXPECT_EQ(HullOutline(), nullptr);
    // SMARTSCALE of a member scales the whole array.
    EXPECT_EQ(SmartScale(n->next, kScaleIndependently), kAutoScaleDone);
    EXPECT_EQ(operationRunning, 0);
    EXPECT_GT(GetPattern(n->patternIndex)->width, 2.15f);
    EXPECT_EQ(waitingWindows, (std::vector<std::string>{std::string(kAutofillTitle) + " (Cancel)",
                                                        std::string(kScalingTitle) + " (Cancel)"}));
    // The question cancelled: nothing changes.
    ClearLayout();
    n = NewPatternLayoutNode(LoadPoints({{0, 0}, {2, 0}, {2, 1}}), -1, 0, 1, 1);
    script.messageResponse = kResponseCancel;
    EXPECT_EQ(Autofill(n), kAutofillNotAsked);
    EXPECT_EQ(CountLayoutNodes(), 1);
}

// Types and 1-based points of the commands of a pattern, as "s@2 es@1 ...".
std::string Commands(const Pattern& p) {
    std::string out;
    const char* names[] = {"s", "f", "es", "ee"};
    for (int k = 0; k < p.commandCount; k++)
        out += std::string(out.empty() ? "" : " ") + names[int(p.commandType[k])] + "@" +
               std::to_string(p.commandPoint[k]);
    return out;
}

TEST_F(AutoScaleTest, MergedPathJoinsTouchingCopiesAndStopsElsewhere) {
    Pattern line;  // (0, 0) to (2, 0), a stop before its second point
    for (const char* l : {"p X0 Y0", "c s", "p X1 Y0", "p X2 Y0"})
        addData(&line, l, 1);
    line.name = "line";
    const struct {
        MergeGrid grid;
        const char* commands;
    } cases[] = {
        {{1, 2, 0, 0, 1, 1}, "es@1 s@2 ee@4 es@4 s@5 ee@7 s@7"},      // touching: no stop
        {{1, 2, 0, 1, 1, 1}, "es@1 s@2 ee@4 s@4 es@4 s@5 ee@7 s@7"},  // an inch apart
        {{2, 1, 0, 0, 1, 1}, "es@1 s@2 ee@4 s@4 es@4 s@5 ee@7 s@7"},  // a new row
    };
    for (const auto& c : cases) {
        std::unique_ptr<Pattern> m = BuildMergedPattern(line, c.grid, nullptr);
        ASSERT_TRUE(m);
        EXPECT_EQ(Commands(*m), c.commands);
        EXPECT_EQ(m->name + " " + std::to_string(m->pointCount), "line_merged 6");
        EXPECT_FLOAT_EQ(m->minX, 1);  // where the array was
    }
    std::unique_ptr<Pattern> m = BuildMergedPattern(line, {2, 2, 0.5f, 1, 0, 0}, nullptr);
    EXPECT_FLOAT_EQ(m->x[9], 2 + 1);  // row 1, column 1: width + spacing across
    EXPECT_FLOAT_EQ(m->y[9], 0.5f);
    EXPECT_FALSE(BuildMergedPattern(line, {2, 2, 0, 0, 0, 0}, [](int k, int) { return k < 3; }));
}

TEST_F(AutoScaleTest, MergeKeepsTheLayoutWhenCancelledOrShared) {
    MakeRectBox(0, 0, 20, 20);
    const int slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}});
    LayoutNode* single = NewPatternLayoutNode(slot, -1, 0, 15, 15);
    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 1, 1);
    ApplyRepeat(parent, RepeatSettings{2, 0, 3, 0});
    const Pattern* source = GetPattern(slot);
    drains = 0;
    cancelAfterDrains = 3;  // Cancel during the second copy
    EXPECT_EQ(MergePatterns(parent->next), 0);
    EXPECT_TRUE(GetPattern(slot) == source && GetArrayNode(parent->arrayIndex) &&
                CountLayoutNodes() == 7);
    cancelAfterDrains = -1;
    script.messageResponse = kResponseNo;
    EXPECT_EQ((std::pair{MergeWithConfirmation(parent), CountLayoutNodes()}), std::pair(0, 7));
    script.messageResponse = kResponseYes;
    script.shown.clear();
    EXPECT_EQ(MergeWithConfirmation(parent->next), 1);
    EXPECT_EQ(script.shown.back(), kMergeCompleted);
    ASSERT_EQ(CountLayoutNodes(), 2);
    EXPECT_TRUE(parent->arrayIndex == -1 && parent->parent == 0 && !GetArrayNode(0));
    // The single placement still shows the source; the parent the merged path.
    EXPECT_EQ(GetPattern(single->patternIndex), source);
    EXPECT_EQ(GetPattern(parent->patternIndex)->name + " " +
                  std::to_string(GetPattern(parent->patternIndex)->pointCount),
              "test_merged 18");
    script.shown.clear();
    EXPECT_EQ(MergeWithConfirmation(single), 0);
    EXPECT_EQ(script.shown, std::vector<std::string>{kMergeOnlyArrays});
}

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

TEST(ConvexHull, DegenerateAndRandomPointSetsAndThePlacement) {
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
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-5, 5);
    Points cloud;
    for (int i = 0; i < 2000; i++)
        cloud.emplace_back(coordinate(random), coordinate(random));
    PointArrayPtr hull = Hull(Hull(Candidates(cloud)));
    ASSERT_GE(hull->len, 3u);
    // The hull turns the Left2 way: no point lies on the Left side of an edge.
    int wrong = 0;
    for (guint i = 0; i < hull->len; i++)
        for (const auto& [x, y] : cloud) {
            const float p[2] = {x, y};
            wrong += Left(&HullAt(hull.get(), i).x, &HullAt(hull.get(), (i + 1) % hull->len).x, p);
        }
    EXPECT_EQ(wrong, 0);
    // A pattern whose points do not start at 0 is measured from its corner.
    Pattern p;
    for (const char* line : {"p X5 Y5", "p X7 Y5", "p X6 Y6"})
        addData(&p, line, 0);
    HullBounds b = MeasureHull(ConvexHull(&p, 1, 2).get());
    LayoutTest::ExpectFloats({b.minX, b.maxY}, {1, 3});
    EXPECT_EQ(ConvexHull(nullptr, 0, 0)->len, 0u);
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

}  // namespace
