#include "layout/placement_edit.h"

#include <cmath>

#include "layout/layout_selection.h"
#include "layout/placement/array_repeat.h"
#include "layout/placement/placement_fixture.h"
#include "layout/view_transform.h"

namespace {

using PlacementEditTest = PlacementTest;

// Centre of a single placement in the box frame.
QuiltPoint CentreOf(const LayoutNode* n) {
    const Pattern* p = GetPattern(n->patternIndex);
    return {n->x + p->width / 2, n->y + p->height / 2};
}

// The span of all placements whose patterns are w x h: its centre and size.
std::vector<float> Span(float w, float h) {
    float minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
    for (LayoutNode* n = patternLayout; n; n = n->next) {
        minX = std::min(minX, n->x), maxX = std::max(maxX, n->x + w);
        minY = std::min(minY, n->y), maxY = std::max(maxY, n->y + h);
    }
    return {(minX + maxX) / 2, (minY + maxY) / 2, maxX - minX, maxY - minY};
}

TEST_F(PlacementEditTest, QuarterTurnsKeepASinglePlacementCentredAndComeBackAfterFour) {
    MakeRectBox(0, 0, 20, 20);
    int slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}, {0.5f, 0.25f}});
    GetPattern(slot)->angle = 30;
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 3, 3);
    const std::vector<float> x0 = GetPattern(slot)->x, y0 = GetPattern(slot)->y;
    float cx, cy;
    ASSERT_EQ(PlacementRotationCentre(n, &cx, &cy), 1);
    ExpectNear({cx, cy}, {1, 0.5f}, 1e-6);
    ASSERT_EQ(RotatePlacement(n, 90), 1);
    const Pattern* p = GetPattern(slot);
    // The centre stays at (4, 3.5); clockwise on screen: the first point (top
    // left) goes to the top right.
    ExpectNear({p->width, p->height, n->x, n->y, p->x[0], p->y[0]}, {1, 2, 3.5f, 2.5f, 1, 0}, 2e-3);
    for (int i = 0; i < 3; i++)
        RotatePlacement(n, 90);
    ExpectNear(p->x, x0, 5e-3);
    ExpectNear(p->y, y0, 5e-3);
    ExpectNear({n->x, n->y}, {3, 3}, 1e-3);
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
    LayoutNode* parent = NewPatternLayoutNode(LoadPoints({{0, 0}, {2, 0}, {2, 1}}), -1, 0, 10, 10);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 3, 0}), 1);  // 3 across: 10 … 16
    LayoutNode* member = parent->next->next;
    float cx, cy;
    ASSERT_EQ(PlacementRotationCentre(member, &cx, &cy), 1);
    ExpectNear({cx, cy}, {13, 10.5f}, 1e-6);
    ASSERT_EQ(RotatePlacement(member, 90), 1);
    // Now a column of three 1 x 2 patterns centred on (13, 10.5).
    ExpectNear(Span(1, 2), {13, 10.5f, 1, 6}, 1e-3);
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
    AppendLayoutNode(other, -1, 0, 2, 2, 1);                        // box 1: untouched
    LayoutNode* twin = NewPatternLayoutNode(single, -1, 0, 20, 1);  // shares the pattern
    RotateFullPattern(static_cast<float>(M_PI / 2));
    // Each pattern turned once, not per placement or member.
    ExpectNear(
        {GetPattern(single)->width, CentreOf(twin).x, CentreOf(twin).y, GetPattern(arrayed)->width,
         GetPattern(arrayed)->height, GetPattern(other)->width, CentreOf(s).x, CentreOf(s).y},
        {1, 21, 1.5f, 1, 4, 3, 2, 1.5f}, 1e-3);
}

TEST_F(PlacementEditTest, ScalingKeepsTheCentreOfAPlacementAndOfAnArray) {
    MakeRectBox(0, 0, 40, 40);
    int slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}});
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 4, 4);
    const QuiltPoint before = CentreOf(n);
    ASSERT_EQ(ScalePlacement(n, 200, 100), 1);
    const Pattern* p = GetPattern(slot);
    ExpectNear({p->width, p->height, p->baseWidth, CentreOf(n).x, CentreOf(n).y},
               {4, 1, 4, before.x, before.y}, 1e-4);
    EXPECT_EQ(ScalePlacement(n, 0, 100), 0);
    EXPECT_EQ(ScalePlacement(nullptr, 100, 100), 0);

    LayoutNode* parent = NewPatternLayoutNode(LoadPoints({{0, 0}, {1, 0}, {1, 1}}), -1, 0, 10, 10);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 2, 1}), 1);  // 10 … 11, 12 … 13
    LayoutNode* member = parent->next;
    ASSERT_EQ(ScalePlacement(member, 50, 300), 1);
    // Both copies shrink to 0.5 wide and their gap scales with them, the
    // array's centre (11.5, 10.5) stays; the other placement did not move.
    ExpectNear({member->x - parent->x, (parent->x + member->x + 0.5f) / 2, parent->y + 1.5f, n->x},
               {1, 11.5f, 10.5f, before.x - 2}, 1e-4);
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
    RemovePlacementOrArray(parent->next->next);  // a repeat, not the parent
    EXPECT_EQ(CountLayoutNodes(), 2);
    EXPECT_TRUE(patternLayout == single && single->next == other);
    EXPECT_EQ(GetArrayNode(array), nullptr);
    EXPECT_EQ(GetPattern(a), nullptr);  // nothing shows it any more
    RemovePlacementOrArray(other);
    RemovePlacementOrArray(nullptr);
    EXPECT_EQ(CountLayoutNodes(), 1);
    EXPECT_NE(GetPattern(b), nullptr);  // still shown by the single placement
}

TEST_F(PlacementEditTest, NextSkipsTheWholeArrayAndWrapsToTheNearest) {
    MakeRectBox(0, 0, 100, 100);
    SetViewScale(0.1f);  // 10 pixels per inch, no pan
    int slot = LoadPoints({{0, 0}, {1, 0}, {1, 1}});
    LayoutNode* nearest = NewPatternLayoutNode(slot, -1, 0, 0, 0);  // pixel (0, 0)
    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 2, 0);   // 20 px
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 3, 0}), 1);  // 20, 30, 40 px
    LayoutNode* far = NewPatternLayoutNode(slot, -1, 0, 9, 0);      // 90 px
    // From the array all three are skipped; past the farthest back to the nearest.
    const std::pair<LayoutNode*, int> steps[] = {{parent, 1}, {far, 4}, {nearest, 0}};
    LayoutNode* at = nearest;
    int skip = 0;
    for (const auto& [next, skipped] : steps) {
        at = NextPlacement(0, 0, at, &skip);
        EXPECT_EQ(at, next);
        EXPECT_EQ(skip, skipped);
    }
    skip = 2;  // a member in the middle of the array selected
    EXPECT_EQ(NextPlacement(0, 0, parent->next, &skip), far);
}

TEST_F(PlacementEditTest, PropertiesMoveOnlyTheAxisThatChangedResizeOrMoveTheBox) {
    MakeRectBox(5, 7, 40, 40);
    int slot = LoadPoints({{1, 0}, {2, 0}, {2, 1}, {0, 1}});
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 2, 3);
    PlacementProperties shown;
    ASSERT_EQ(GetPlacementProperties(n, &shown), 1);
    // The first point in the box and on the quilt.
    ExpectNear({shown.startX, shown.actualX, shown.actualY, shown.width}, {3, 8, 10, 2}, 1e-6);
    // The entries show three decimals: an untouched entry reads back rounded.
    ASSERT_EQ(ApplyPlacementProperties(n, shown, 6.5f, 3.0002f, 2, 1, 0), 1);
    ExpectNear({n->x, n->y}, {5.5f, 3}, 1e-6);

    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 10, 10);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 2, 0}), 1);
    LayoutNode* member = parent->next;
    GetPlacementProperties(member, &shown);
    ASSERT_EQ(ApplyPlacementProperties(member, shown, shown.startX, shown.startY + 1, 2, 1, 0), 1);
    ExpectNear({parent->y, member->y, member->x, n->y}, {11, 11, 12, 3}, 1e-6);
    // A new size; the start stays where the entry says.
    n = NewPatternLayoutNode(slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}}), -1, 0, 2, 3);
    GetPlacementProperties(n, &shown);
    ASSERT_EQ(ApplyPlacementProperties(n, shown, shown.startX, shown.startY, 4, 3, 0), 1);
    PlacementProperties now;
    GetPlacementProperties(n, &now);
    ExpectNear({GetPattern(slot)->width, GetPattern(slot)->height, now.startX, now.startY},
               {4, 3, shown.startX, shown.startY}, 1e-4);
    EXPECT_EQ(ApplyPlacementProperties(n, now, now.startX, now.startY, 0, 3, 0), 0);
    EXPECT_EQ(ApplyPlacementProperties(n, now, now.startX, now.startY, 4, 0, 0), 0);
    // No size to scale from: refused, nothing changes.
    int flat = LoadPoints({{0, 0}, {2, 0}});
    LayoutNode* line = NewPatternLayoutNode(flat, -1, 0, 1, 1);
    GetPlacementProperties(line, &shown);
    EXPECT_EQ(ApplyPlacementProperties(line, shown, 1, 1, 2, 1, 0), 0);
    EXPECT_EQ(ApplyPlacementProperties(line, shown, 1, 1, -2, 0, 0), 0);
    EXPECT_FLOAT_EQ(GetPattern(flat)->height, 0);
    // With Move All the box moves, not the placements; sizes are ignored.
    n = NewPatternLayoutNode(slot, -1, 0, 2, 3);
    GetPlacementProperties(n, &shown);
    zoomAll = 0;
    ASSERT_EQ(ApplyPlacementProperties(n, shown, shown.startX + 1.5f, shown.startY - 1, 9, 9, 1),
              1);
    const PatternBox* b = GetPatternBox(0);
    ExpectNear(
        {n->x, n->y, GetPattern(slot)->width, b->x, b->y, b->corners->x, b->corners->next->next->y},
        {2, 3, 4, 6.5f, 6, 6.5f, 46}, 1e-6);
    EXPECT_EQ(zoomAll, 1);
    zoomAll = 0;
}

}  // namespace
