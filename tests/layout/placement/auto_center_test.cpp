#include "layout/placement/auto_center.h"
#include "layout/layout_selection.h"

#include "base/program_settings.h"
#include "layout/placement/array_repeat.h"
#include "layout/placement/box_centre.h"
#include "placement_fixture.h"

namespace {

using AutoCenterTest = PlacementTest;

TEST_F(AutoCenterTest, RectangleCentresEachAxisOnItsOwn) {
    MakeRectBox(3, 4, 10, 6);
    int slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}});
    LayoutNode* a = NewPatternLayoutNode(slot, -1, 0, 1, 0);
    LayoutNode* b = NewPatternLayoutNode(slot, -1, 0, 3, 2);  // span x 1 … 5, y 0 … 3

    AutoCenter(1, 0);  // horizontal: span centre 3 → box centre 5
    ExpectFloats({a->x, b->x, a->y, b->y}, {3, 5, 0, 2});

    AutoCenter(0, 1);  // vertical: span centre 1.5 → 3; x untouched
    ExpectFloats({a->x, a->y, b->y}, {3, 1.5f, 3.5f});
    // Another box's placements stay where they are.
    int other = MakeRectBox(30, 30, 10, 10);
    LayoutNode* c = AppendLayoutNode(slot, -1, 0, 0, 0, other);
    SetCurrentPatternBox(0);
    AutoCenter(1, 1);
    ExpectFloats({c->x, c->y}, {0, 0});
    // A margin moves every edge in alike: the centre of a rectangle stays.
    Settings().xMargin = 1;
    AutoCenter(1, 1);
    ExpectNear({a->x, a->y}, {3, 1.5f}, 1e-4);
    Settings().xMargin = 12;  // out of range: reset to 0 in the setting itself
    AutoCenter(1, 1);
    EXPECT_FLOAT_EQ(Settings().xMargin, 0);
}

TEST_F(AutoCenterTest, TriangleCentresOnTheCentroidNotTheRectangle) {
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

TEST_F(AutoCenterTest, ArrayCentringMovesTheArrayOnly) {
    MakeRectBox(0, 0, 20, 20);
    int slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}});
    LayoutNode* single = NewPatternLayoutNode(slot, -1, 0, 0, 0);
    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 1, 1);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{2, 0, 2, 0}), 1);  // span 1 … 5, 1 … 3
    AutoCenterPattern(parent->next, 1, 1);
    ExpectFloats({parent->x, parent->y, parent->next->next->next->x, single->x}, {8, 9, 10, 0});

    AutoCenterPattern(single, 0, 1);  // alone: only itself, only y
    ExpectFloats({single->x, single->y, parent->y}, {0, 9.5f, 9});
}

}  // namespace
