#include "layout/placement_edit.h"
#include "layout/layout_selection.h"

#include <cmath>

#include "layout/placement/array_repeat.h"
#include "layout/placement/placement_fixture.h"
#include "layout/view_transform.h"
#include "pattern/pattern_transform.h"

namespace {

using PlacementEditTest = PlacementTest;

// Centre of a single placement in the box frame.
QuiltPoint CentreOf(const LayoutNode* n) {
    const Pattern* p = GetPattern(n->patternIndex);
    return {n->x + p->width / 2, n->y + p->height / 2};
}

TEST_F(PlacementEditTest, QuarterTurnsKeepASinglePlacementCentredAndComeBackAfterFour) {
    MakeRectBox(0, 0, 20, 20);
    int slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}, {0.5f, 0.25f}});
    GetPattern(slot)->angle = 30;
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 3, 3);
    const std::vector<float> x0 = GetPattern(slot)->x, y0 = GetPattern(slot)->y;

    float cx, cy;
    ASSERT_EQ(PlacementRotationCentre(n, &cx, &cy), 1);
    EXPECT_FLOAT_EQ(cx, 1);
    EXPECT_FLOAT_EQ(cy, 0.5f);

    ASSERT_EQ(RotatePlacement(n, 90), 1);
    const Pattern* p = GetPattern(slot);
    EXPECT_NEAR(p->width, 1, 1e-4);
    EXPECT_NEAR(p->height, 2, 1e-4);
    EXPECT_NEAR(n->x, 3.5f, 1e-4);  // shift (0.5, -0.5): the centre stays at (4, 3.5)
    EXPECT_NEAR(n->y, 2.5f, 1e-4);
    // Clockwise on screen: the first point (top left) goes to the top right.
    EXPECT_NEAR(p->x[0], 1, 2e-3);
    EXPECT_NEAR(p->y[0], 0, 2e-3);

    for (int i = 0; i < 3; i++)
        RotatePlacement(n, 90);
    for (size_t i = 0; i < x0.size(); i++) {
        EXPECT_NEAR(p->x[i], x0[i], 5e-3) << i;
        EXPECT_NEAR(p->y[i], y0[i], 5e-3) << i;
    }
    EXPECT_NEAR(n->x, 3, 1e-3);
    EXPECT_NEAR(n->y, 3, 1e-3);
    EXPECT_EQ(p->angle, 30);  // quarter turns leave the angle

    EXPECT_EQ(RotatePlacement(nullptr, 90), 0);
    LayoutNode orphan;
    orphan.patternIndex = 40;  // empty slot
    EXPECT_EQ(RotatePlacement(&orphan, 90), 0);

    // The rotate dialog adds whole degrees and wraps at 360.
    EXPECT_EQ(ApplyRotateAngle(n, 350.7), 1);
    EXPECT_EQ(ApplyRotateAngle(n, 20), 1);
    EXPECT_EQ(p->angle, 40);
    const std::vector<float> x = p->x;
    for (double refused : {0.0, -5.0, std::nan("")})
        EXPECT_EQ(ApplyRotateAngle(n, refused), 0) << refused;
    EXPECT_EQ(p->x, x);
    EXPECT_EQ(p->angle, 40);
}

TEST_F(PlacementEditTest, TurningAnArrayMemberTurnsTheWholeArrayAboutItsCentre) {
    MakeRectBox(0, 0, 30, 30);
    int slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}});
    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 10, 10);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 3, 0}), 1);  // 3 across: 10 … 16
    LayoutNode* member = parent->next->next;
    float cx, cy;
    ASSERT_EQ(PlacementRotationCentre(member, &cx, &cy), 1);
    EXPECT_FLOAT_EQ(cx, 13);
    EXPECT_FLOAT_EQ(cy, 10.5f);

    ASSERT_EQ(RotatePlacement(member, 90), 1);
    // Now a column of three 1 x 2 patterns centred on (13, 10.5).
    float minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
    for (LayoutNode* n = patternLayout; n; n = n->next) {
        minX = std::min(minX, n->x), maxX = std::max(maxX, n->x + 1);
        minY = std::min(minY, n->y), maxY = std::max(maxY, n->y + 2);
        EXPECT_NEAR(n->x, 12.5f, 1e-3);  // one column
    }
    EXPECT_NEAR((minX + maxX) / 2, 13, 1e-3);
    EXPECT_NEAR((minY + maxY) / 2, 10.5f, 1e-3);
    EXPECT_NEAR(maxY - minY, 6, 1e-3);
}

TEST_F(PlacementEditTest, FullPatternTurnVisitsSinglesAndArrayParentsOfTheCurrentBoxOnly) {
    MakeRectBox(0, 0, 30, 30);
    MakeRectBox(0, 40, 30, 30);
    SetCurrentPatternBox(0);
    int single = LoadPoints({{0, 0}, {2, 0}, {2, 1}});
    int arrayed = LoadPoints({{0, 0}, {4, 0}, {4, 1}});
    LayoutNode* s = NewPatternLayoutNode(single, -1, 0, 1, 1);
    LayoutNode* parent = NewPatternLayoutNode(arrayed, -1, 0, 5, 5);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{2, 0, 1, 0}), 1);  // two rows
    int other = LoadPoints({{0, 0}, {3, 0}, {3, 1}});
    AppendLayoutNode(other, -1, 0, 2, 2, 1);  // box 1: untouched

    LayoutNode* twin = NewPatternLayoutNode(single, -1, 0, 20, 1);  // shares the pattern

    RotateFullPattern(static_cast<float>(M_PI / 2));
    EXPECT_NEAR(GetPattern(single)->width, 1, 1e-4);  // turned once for both
    EXPECT_NEAR(CentreOf(twin).x, 21, 1e-3);
    EXPECT_NEAR(CentreOf(twin).y, 1.5f, 1e-3);
    EXPECT_NEAR(GetPattern(arrayed)->width, 1, 1e-4);  // turned once, not per member
    EXPECT_NEAR(GetPattern(arrayed)->height, 4, 1e-4);
    EXPECT_NEAR(GetPattern(other)->width, 3, 1e-6);
    EXPECT_NEAR(CentreOf(s).x, 2, 1e-3);
    EXPECT_NEAR(CentreOf(s).y, 1.5f, 1e-3);
}

TEST_F(PlacementEditTest, ScalingKeepsTheCentreOfAPlacementAndOfAnArray) {
    MakeRectBox(0, 0, 40, 40);
    int slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}});
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 4, 4);
    const QuiltPoint before = CentreOf(n);
    ASSERT_EQ(ScalePlacement(n, 200, 100), 1);
    EXPECT_FLOAT_EQ(GetPattern(slot)->width, 4);
    EXPECT_FLOAT_EQ(GetPattern(slot)->height, 1);
    EXPECT_FLOAT_EQ(GetPattern(slot)->baseWidth, 4);
    EXPECT_NEAR(CentreOf(n).x, before.x, 1e-4);
    EXPECT_NEAR(CentreOf(n).y, before.y, 1e-4);
    EXPECT_EQ(ScalePlacement(n, 0, 100), 0);
    EXPECT_EQ(ScalePlacement(nullptr, 100, 100), 0);

    int tile = LoadPoints({{0, 0}, {1, 0}, {1, 1}});
    LayoutNode* parent = NewPatternLayoutNode(tile, -1, 0, 10, 10);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 2, 1}), 1);  // 10 … 11, 12 … 13
    LayoutNode* member = parent->next;
    ASSERT_EQ(ScalePlacement(member, 50, 300), 1);
    // Both copies shrink to 0.5 wide and their gap scales with them, the
    // array's centre (11.5, 10.5) stays.
    EXPECT_NEAR(member->x - parent->x, 1, 1e-4);
    const float minX = parent->x, maxX = member->x + 0.5f;
    EXPECT_NEAR((minX + maxX) / 2, 11.5f, 1e-4);
    EXPECT_NEAR(parent->y + 1.5f, 10.5f, 1e-4);
    EXPECT_FLOAT_EQ(n->x, before.x - 2);  // the other placement did not move
}

TEST_F(PlacementEditTest, RemovingAMemberRemovesItsWholeArrayAndNothingElse) {
    MakeRectBox(0, 0, 40, 40);
    int a = LoadPoints({{0, 0}, {1, 0}, {1, 1}});
    int b = LoadPoints({{0, 0}, {1, 0}, {1, 1}});
    LayoutNode* single = NewPatternLayoutNode(b, -1, 0, 30, 30);
    LayoutNode* parent = NewPatternLayoutNode(a, -1, 0, 0, 0);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{2, 0, 2, 0}), 1);
    LayoutNode* other = NewPatternLayoutNode(b, -1, 0, 20, 20);
    const int array = parent->arrayIndex;
    ASSERT_EQ(CountLayoutNodes(), 6);

    RemovePlacementOrArray(parent->next->next);  // a repeat, not the parent
    EXPECT_EQ(CountLayoutNodes(), 2);
    EXPECT_EQ(patternLayout, single);
    EXPECT_EQ(single->next, other);
    EXPECT_EQ(GetArrayNode(array), nullptr);
    EXPECT_EQ(GetPattern(a), nullptr);  // nothing shows it any more
    EXPECT_NE(GetPattern(b), nullptr);

    RemovePlacementOrArray(other);
    EXPECT_EQ(CountLayoutNodes(), 1);
    EXPECT_NE(GetPattern(b), nullptr);  // still shown by the single placement
    RemovePlacementOrArray(nullptr);
    EXPECT_EQ(CountLayoutNodes(), 1);
}

TEST_F(PlacementEditTest, NextSkipsTheWholeArrayAndWrapsToTheNearest) {
    MakeRectBox(0, 0, 100, 100);
    SetViewScale(0.1f);  // 10 pixels per inch, no pan
    int slot = LoadPoints({{0, 0}, {1, 0}, {1, 1}});
    LayoutNode* nearest = NewPatternLayoutNode(slot, -1, 0, 0, 0);  // pixel (0, 0)
    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 2, 0);   // 20 px
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 3, 0}), 1);  // 20, 30, 40 px
    LayoutNode* far = NewPatternLayoutNode(slot, -1, 0, 9, 0);      // 90 px

    int skip = 0;
    LayoutNode* at = NextPlacement(0, 0, nearest, &skip);
    EXPECT_EQ(at, parent);
    EXPECT_EQ(skip, 1);
    at = NextPlacement(0, 0, at, &skip);  // from the array: all three skipped
    EXPECT_EQ(at, far);
    EXPECT_EQ(skip, 4);
    at = NextPlacement(0, 0, at, &skip);  // past the farthest: back to the nearest
    EXPECT_EQ(at, nearest);
    EXPECT_EQ(skip, 0);

    // Selecting a member in the middle of the array skips the rest of it too.
    skip = 2;
    EXPECT_EQ(NextPlacement(0, 0, parent->next, &skip), far);
}

TEST_F(PlacementEditTest, PropertiesMoveOnlyTheAxisThatChangedResizeOrMoveTheBox) {
    MakeRectBox(5, 7, 40, 40);
    int slot = LoadPoints({{1, 0}, {2, 0}, {2, 1}, {0, 1}});
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 2, 3);
    PlacementProperties shown;
    ASSERT_EQ(GetPlacementProperties(n, &shown), 1);
    EXPECT_FLOAT_EQ(shown.startX, 3);   // the first point, in the box
    EXPECT_FLOAT_EQ(shown.actualX, 8);  // and on the quilt
    EXPECT_FLOAT_EQ(shown.actualY, 10);
    EXPECT_FLOAT_EQ(shown.width, 2);
    // The entries show three decimals: an untouched entry reads back rounded.
    ASSERT_EQ(ApplyPlacementProperties(n, shown, 6.5f, 3.0002f, 2, 1, 0), 1);
    EXPECT_FLOAT_EQ(n->x, 5.5f);
    EXPECT_FLOAT_EQ(n->y, 3);

    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 10, 10);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 2, 0}), 1);
    LayoutNode* member = parent->next;
    GetPlacementProperties(member, &shown);
    ASSERT_EQ(ApplyPlacementProperties(member, shown, shown.startX, shown.startY + 1, 2, 1, 0), 1);
    EXPECT_FLOAT_EQ(parent->y, 11);
    EXPECT_FLOAT_EQ(member->y, 11);
    EXPECT_FLOAT_EQ(member->x, 12);
    EXPECT_FLOAT_EQ(n->y, 3);

    // A new size.
    n = NewPatternLayoutNode(slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}}), -1, 0, 2, 3);
    GetPlacementProperties(n, &shown);
    ASSERT_EQ(ApplyPlacementProperties(n, shown, shown.startX, shown.startY, 4, 3, 0), 1);
    EXPECT_FLOAT_EQ(GetPattern(slot)->width, 4);
    EXPECT_FLOAT_EQ(GetPattern(slot)->height, 3);
    PlacementProperties now;
    GetPlacementProperties(n, &now);
    EXPECT_NEAR(now.startX, shown.startX, 1e-4);  // the start stays where the entry says
    EXPECT_NEAR(now.startY, shown.startY, 1e-4);
    EXPECT_EQ(ApplyPlacementProperties(n, now, now.startX, now.startY, 0, 3, 0), 0);
    EXPECT_EQ(ApplyPlacementProperties(n, now, now.startX, now.startY, 4, 0, 0), 0);

    // No size to scale from: refused, nothing changes.
    int flat = LoadPoints({{0, 0}, {2, 0}});
    LayoutNode* line = NewPatternLayoutNode(flat, -1, 0, 1, 1);
    GetPlacementProperties(line, &shown);
    EXPECT_EQ(ApplyPlacementProperties(line, shown, 1, 1, 2, 1, 0), 0);
    EXPECT_FLOAT_EQ(GetPattern(flat)->height, 0);
    EXPECT_EQ(ApplyPlacementProperties(line, shown, 1, 1, -2, 0, 0), 0);

    // With Move All the box moves, not the placements; sizes are ignored.
    n = NewPatternLayoutNode(slot, -1, 0, 2, 3);
    GetPlacementProperties(n, &shown);
    zoomAll = 0;
    ASSERT_EQ(ApplyPlacementProperties(n, shown, shown.startX + 1.5f, shown.startY - 1, 9, 9, 1),
              1);
    EXPECT_FLOAT_EQ(n->x, 2);
    EXPECT_FLOAT_EQ(n->y, 3);
    EXPECT_FLOAT_EQ(GetPattern(slot)->width, 4);
    const PatternBox* b = GetPatternBox(0);
    EXPECT_FLOAT_EQ(b->x, 6.5f);
    EXPECT_FLOAT_EQ(b->y, 6);
    EXPECT_FLOAT_EQ(b->corners->x, 6.5f);
    EXPECT_FLOAT_EQ(b->corners->next->next->y, 46);
    EXPECT_EQ(zoomAll, 1);
    zoomAll = 0;
}

}  // namespace
