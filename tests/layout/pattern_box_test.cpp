#include "layout/pattern_box.h"
#include "layout/layout_selection.h"

#include "layout_fixture.h"

namespace {

using PatternBoxTest = LayoutTest;

TEST_F(PatternBoxTest, CornerCheckRefusesCrossingAndStraightOnEdges) {
    PatternBox box;
    // Any third corner is accepted, even a collinear one.
    EXPECT_EQ(AddPatternBoxPoint(&box, 0, 10, 1, 1), 1);
    EXPECT_EQ(AddPatternBoxPoint(&box, 10, 10, 0, 1), 1);
    EXPECT_EQ(AddPatternBoxPoint(&box, 20, 10, 0, 1), 1);
    EXPECT_EQ(box.count, 3);

    PatternBox square;
    AddPatternBoxPoint(&square, 0, 10, 1, 1);
    AddPatternBoxPoint(&square, 10, 10, 0, 1);
    AddPatternBoxPoint(&square, 10, 0, 0, 1);
    // From (10,0) across the first edge (0,10)-(10,10): refused, nothing changed.
    EXPECT_EQ(AddPatternBoxPoint(&square, 5, 15, 0, 1), 0);
    EXPECT_EQ(square.count, 3);
    // Straight on from the last edge (10,10)->(10,0): refused.
    EXPECT_EQ(AddPatternBoxPoint(&square, 10, -5, 0, 1), 0);
    // A proper fourth corner; the measures follow the corners, the origin stays.
    EXPECT_EQ(AddPatternBoxPoint(&square, 0, 0, 0, 1), 1);
    EXPECT_EQ(square.count, 4);
    EXPECT_FLOAT_EQ(square.width, 10);
    EXPECT_FLOAT_EQ(square.height, 10);
    EXPECT_FLOAT_EQ(square.x, 0);
    EXPECT_FLOAT_EQ(square.y, 10);
    EXPECT_EQ(square.corners->next->next->next->index, 3);
    EXPECT_EQ(CheckPatternBox(&square), 1);
    EXPECT_EQ(AddPatternBoxPoint(nullptr, 1, 1, 0, 1), 1);
    BogusExtents();  // the default diamond is walked in the Left sense too
    EXPECT_EQ(CheckPatternBox(GetPatternBox(0)), 1);

    std::unique_ptr<PatternBox> copy = CopyPatternBox(&square);
    EXPECT_EQ(copy->count, 4);
    EXPECT_FLOAT_EQ(copy->corners->next->x, 10);
    ClearPatternBox(&square);
    EXPECT_EQ(square.count, 0);
    EXPECT_EQ(square.corners, nullptr);
    EXPECT_EQ(copy->count, 4);  // the copy owns its own corners
}

// The closing edge of a finished box, from its last corner back to the first.
TEST_F(PatternBoxTest, ClosingEdgeMayTouchItsNeighboursOnlyAtItsEnds) {
    const std::pair<std::vector<QuiltPoint>, int> cases[] = {
        {{{5, 5}, {15, 5}, {15, 15}, {5, 15}}, 1},
        {{{5, 5}, {15, 5}, {15, 15}, {20, 10}}, 0},  // back across the second edge
        {{{5, 5}, {15, 5}, {15, 15}, {10, 5}}, 0},   // ends on the first edge
        {{{5, 5}, {15, 5}, {20, 5}}, 0},             // back along both edges
    };
    for (const auto& [corners, clear] : cases) {
        PatternBox box;
        SetPatternBoxCorners(&box, corners);
        EXPECT_EQ(ClosingEdgeIsClear(&box), clear) << corners.back().x;
    }
}

// The default quilt area leaves a drawn box alone; removing a box takes the
// records of the arrays only its placements used along.
TEST_F(PatternBoxTest, DefaultAreaKeepsTheBoxesAndRemovalTakesItsArrays) {
    int slot = LoadRectangle(1, 1);
    int arrays[2];
    for (int b = 0; b < 2; b++) {
        MakeBox({{0, 10}, {10, 10}, {10, 0}, {0, 0}});
        SetCurrentPatternBox(b);
        arrays[b] = NewArrayNode(1, 1, 2, 1.5f);
        NewPatternLayoutNode(slot, arrays[b], 1, 0, 0);
        NewPatternLayoutNode(slot, arrays[b], 0, 1.5f, 0);
        if (b > 0) continue;
        PatternBox* first = GetPatternBox(0);
        BogusExtents();
        ASSERT_NE(extents, nullptr);
        EXPECT_FLOAT_EQ(extents->width, 35);
        EXPECT_EQ(patternBoxList.count, 1);
        EXPECT_EQ(GetPatternBox(0), first);
    }
    NewPatternLayoutNode(slot, arrays[0], 0, 3, 0);  // in box 1, of box 0's array

    Logged([&] { RemovePatternBox(1); });
    EXPECT_EQ(GetArrayNode(arrays[1]), nullptr);
    EXPECT_NE(GetArrayNode(arrays[0]), nullptr);
    EXPECT_EQ(CountLayoutNodes(), 2);
}

TEST_F(PatternBoxTest, OriginSizeAngleAndCentre) {
    PatternBox unit;
    SetPatternBoxCorners(&unit, {{0, 1}, {1, 1}, {1, 0}, {0, 0}});
    SetPatternBoxOrigin(&unit);
    EXPECT_FLOAT_EQ(unit.x, 0);
    EXPECT_FLOAT_EQ(unit.y, 0);
    EXPECT_FLOAT_EQ(unit.width, 1);
    EXPECT_FLOAT_EQ(unit.height, 1);
    EXPECT_FLOAT_EQ(unit.centreX, 0.5f);
    EXPECT_FLOAT_EQ(unit.centreY, 0.5f);
    // The box lies on the back side of its first (rightward) edge: no turn.
    EXPECT_NEAR(unit.angle, 0, 1e-4);

    // Walked the other way the first edge runs left with the box behind it.
    PatternBox reversed;
    SetPatternBoxCorners(&reversed, {{1, 1}, {0, 1}, {0, 0}, {1, 0}});
    SetPatternBoxOrigin(&reversed);
    EXPECT_NEAR(reversed.angle, 0, 1e-3);

    PatternBox triangle;
    SetPatternBoxCorners(&triangle, {{0, 0}, {6, 0}, {0, 3}});
    triangle.centreX = -7;
    SetPatternBoxOrigin(&triangle);
    EXPECT_NEAR(triangle.centreX, 2, 1e-5);  // the centroid, in quilt coordinates
    EXPECT_NEAR(triangle.centreY, 1, 1e-5);

    PatternBox flat;
    SetPatternBoxCorners(&flat, {{0, 0}, {1, 0}, {2, 0}});
    flat.centreX = -7;
    SetPatternBoxOrigin(&flat);
    EXPECT_FLOAT_EQ(flat.centreX, -7);  // medians parallel: the centre stays
}

TEST_F(PatternBoxTest, TableFillsUpAndRemovalClosesGapsAndRenumbers) {
    for (int i = 0; i < kPatternBoxSlots; i++)
        ASSERT_EQ(CreatePatternBox(), i);
    EXPECT_EQ(CreatePatternBox(), -1);
    InitPatternBox();
    EXPECT_EQ(CurrentPatternBox(), -1);

    int slot = LoadRectangle(1, 1);
    for (int b = 0; b < 3; b++) {
        MakeBox({{0, 10}, {10, 10}, {10, 0}, {0, 0}});
        SetCurrentPatternBox(b);
        NewPatternLayoutNode(slot, -1, 0, static_cast<float>(b), 0);
    }
    PatternBox* third = GetPatternBox(2);
    SetCurrentPatternBox(2);
    Logged([&] { RemovePatternBox(1); });
    EXPECT_EQ(patternBoxList.count, 2);
    EXPECT_EQ(GetPatternBox(1), third);
    EXPECT_EQ(GetPatternBox(2), nullptr);
    EXPECT_EQ(CurrentPatternBox(), 1);
    ASSERT_EQ(CountLayoutNodes(), 2);
    EXPECT_EQ(patternLayout->boxIndex, 0);
    EXPECT_EQ(patternLayout->next->boxIndex, 1);  // was box 2
    EXPECT_FLOAT_EQ(patternLayout->next->x, 2);
    EXPECT_NE(GetPattern(slot), nullptr);  // still used by the other boxes

    // The box of the first placements: the list starts at the next one left.
    SetCurrentPatternBox(0);
    Logged([&] { RemovePatternBox(0); });
    ASSERT_EQ(CountLayoutNodes(), 1);
    EXPECT_FLOAT_EQ(patternLayout->x, 2);
    EXPECT_EQ(patternLayout->boxIndex, 0);
    EXPECT_EQ(CurrentPatternBox(), 0);  // not below 0
    RemovePatternBox(7);                // an empty slot: nothing
    EXPECT_EQ(patternBoxList.count, 1);
}

}  // namespace
