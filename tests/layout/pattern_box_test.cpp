#include "layout/pattern_box.h"
#include "layout/box_drawing.h"
#include "layout/layout_selection.h"

#include "layout_fixture.h"

namespace {

using PatternBoxTest = LayoutTest;

TEST_F(PatternBoxTest, CornerCheckRefusesCrossingAndStraightOnEdges) {
    PatternBox box;
    // Any third corner is accepted, even a collinear one.
    for (float x : {0, 10, 20})
        EXPECT_EQ(AddPatternBoxPoint(&box, x, 10, x == 0, 1), 1);
    EXPECT_EQ(box.count, 3);

    PatternBox square;
    for (const auto& [x, y] : Points{{0, 10}, {10, 10}, {10, 0}})
        AddPatternBoxPoint(&square, x, y, x == 0, 1);
    // Across the first edge, or straight on from the last: refused, nothing changed.
    EXPECT_EQ(AddPatternBoxPoint(&square, 5, 15, 0, 1), 0);
    EXPECT_EQ(AddPatternBoxPoint(&square, 10, -5, 0, 1), 0);
    EXPECT_EQ(square.count, 3);
    // A proper fourth corner; the measures follow the corners, the origin stays.
    EXPECT_EQ(AddPatternBoxPoint(&square, 0, 0, 0, 1), 1);
    EXPECT_EQ(square.count, 4);
    ExpectFloats({square.width, square.height, square.x, square.y}, {10, 10, 0, 10});
    EXPECT_EQ(square.corners->next->next->next->index, 3);
    EXPECT_EQ(CheckPatternBox(&square), 1);
    EXPECT_EQ(AddPatternBoxPoint(nullptr, 1, 1, 0, 1), 1);
    BogusExtents();  // the default diamond is walked in the Left sense too
    EXPECT_EQ(CheckPatternBox(GetPatternBox(0)), 1);

    std::unique_ptr<PatternBox> copy = CopyPatternBox(&square);
    ClearPatternBox(&square);
    EXPECT_TRUE(square.count == 0 && square.corners == nullptr);
    EXPECT_EQ(copy->count, 4);  // the copy owns its own corners
    EXPECT_FLOAT_EQ(copy->corners->next->x, 10);
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

// Origin, size, angle and centre of boxes set up from corners, the centre
// -7 before.
TEST_F(PatternBoxTest, OriginSizeAngleAndCentre) {
    auto boxOf = [](const std::vector<QuiltPoint>& corners) {
        auto box = std::make_unique<PatternBox>();
        SetPatternBoxCorners(box.get(), corners);
        box->centreX = -7;
        SetPatternBoxOrigin(box.get());
        return box;
    };
    const auto owner = boxOf({{0, 1}, {1, 1}, {1, 0}, {0, 0}});
    const PatternBox& unit = *owner;
    ExpectFloats({unit.x, unit.y, unit.width, unit.height, unit.centreX, unit.centreY},
                 {0, 0, 1, 1, 0.5f, 0.5f});
    // The box lies on the back side of its first (rightward) edge: no turn;
    // walked the other way the first edge runs left with the box behind it.
    EXPECT_NEAR(unit.angle, 0, 1e-4);
    EXPECT_NEAR(boxOf({{1, 1}, {0, 1}, {0, 0}, {1, 0}})->angle, 0, 1e-3);
    const auto triangle = boxOf({{0, 0}, {6, 0}, {0, 3}});
    // the centroid, in quilt coordinates
    ExpectNear({triangle->centreX, triangle->centreY}, {2, 1}, 1e-5);
    EXPECT_FLOAT_EQ(boxOf({{0, 0}, {1, 0}, {2, 0}})->centreX, -7);  // medians parallel
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
    EXPECT_TRUE(GetPatternBox(1) == third && GetPatternBox(2) == nullptr);
    ASSERT_EQ(CountLayoutNodes(), 2);
    // Box 2 is box 1 now.
    EXPECT_EQ((std::vector<int>{patternBoxList.count, CurrentPatternBox(), patternLayout->boxIndex,
                                patternLayout->next->boxIndex}),
              (std::vector<int>{2, 1, 0, 1}));
    EXPECT_FLOAT_EQ(patternLayout->next->x, 2);
    EXPECT_NE(GetPattern(slot), nullptr);  // still used by the other boxes
    // The box of the first placements: the list starts at the next one left.
    SetCurrentPatternBox(0);
    Logged([&] { RemovePatternBox(0); });
    RemovePatternBox(7);  // an empty slot: nothing
    ASSERT_EQ(CountLayoutNodes(), 1);
    EXPECT_FLOAT_EQ(patternLayout->x, 2);
    // The current box does not go below 0.
    EXPECT_EQ(
        (std::vector<int>{patternLayout->boxIndex, CurrentPatternBox(), patternBoxList.count}),
        (std::vector<int>{0, 0, 1}));
}

std::vector<float> Corners(const PatternBox& box) {
    std::vector<float> xy;
    for (const PatternBoxPoint& c : box.cornerStore)
        xy.insert(xy.end(), {c.x, c.y});
    return xy;
}

// Drawn corner by corner: PLUS at every point but the last, CHECK there (the
// live corner starting at the first), then finished into a box with centre 7.
TEST_F(PatternBoxTest, DrawnCornersMakeARectangleAClosedBoxOrARefusal) {
    const struct {
        std::vector<QuiltPoint> pressed;
        std::vector<float> corners;
        const char* refusal;  // "cross": the last press was not taken
    } cases[] = {
        // Two corners: the rectangle walked so every corner passes the Left test.
        {{{10, 10}, {20, 5}}, {10, 10, 20, 10, 20, 5, 10, 5}, nullptr},
        {{{10, 5}, {20, 10}}, {10, 5, 10, 10, 20, 10, 20, 5}, nullptr},
        {{{20, 10}, {10, 5}}, {20, 10, 20, 5, 10, 5, 10, 10}, nullptr},
        {{{20, 5}, {10, 10}}, {20, 5, 10, 5, 10, 10, 20, 10}, nullptr},
        {{{10, 10}, {20, 5}, {20, 5}}, {10, 10, 20, 10, 20, 5, 10, 5}, nullptr},
        // CHECK up to 0.005 away from the last corner closes the box there.
        {{{0, 10}, {10, 10}, {10, 0}, {0, 0}, {0.005f, 0.005f}},
         {0, 10, 10, 10, 10, 0, 0, 0},
         nullptr},
        {{{7, 7}, {7, 7}}, {}, kNoBoxCorners},
        {{{7, 7}}, {}, kNoBoxCorners},
        {{{5, 5}, {5, 12}}, {}, kNoBoxFromCorners},
        {{{12, 5}, {3, 5}}, {}, kNoBoxFromCorners},
        // Farther away is a corner of its own, here back along the last edge.
        {{{5, 5}, {15, 5}, {15, 15}, {5, 15}, {5.02f, 15}}, {}, "cross"},
        {{{5, 5}, {15, 5}, {15, 15}, {20, 10}}, {}, "cross"},  // the closing edge crosses
    };
    for (const auto& c : cases) {
        PatternBox drawing;
        AddPatternBoxPoint(&drawing, c.pressed[0].x, c.pressed[0].y, 1, 0);
        const char* refusal = nullptr;
        for (size_t i = 0; i < c.pressed.size() && !refusal; i++)
            if (!PressBoxCorner(drawing, c.pressed[i], i + 1 == c.pressed.size()))
                refusal = "cross";
        auto box = std::make_unique<PatternBox>();
        box->centreX = 7;
        box->angle = 33;
        if (!refusal) refusal = FinishDrawnBox(drawing, box);
        EXPECT_STREQ(refusal, c.refusal) << c.pressed.back().x;
        EXPECT_EQ(Corners(*box), c.corners) << c.pressed.back().x;
        if (refusal) continue;
        const bool rectangle = c.pressed.size() <= 3;
        ExpectFloats(
            {box->x, box->y, box->width, box->height, box->centreX},
            rectangle ? std::vector<float>{10, 5, 10, 5, 7} : std::vector<float>{0, 0, 10, 10, 5});
        if (rectangle) {
            EXPECT_EQ(box->angle, 0);
            EXPECT_EQ(CheckPatternBox(box.get()), 1);
        }
    }
    // Refused presses keep the corners, the live corner at the head.
    PatternBox drawing;
    AddPatternBoxPoint(&drawing, 4, 4, 1, 0);
    EXPECT_NEAR(MoveLiveCorner(drawing, {4.015f, 3.99f}), 0.015f, 1e-6);
    ExpectFloats({drawing.x, drawing.y}, {4.015f, 3.99f});  // the origin follows the only corner
    for (QuiltPoint p : std::vector<QuiltPoint>{{5, 5}, {15, 5}, {15, 15}})
        ASSERT_TRUE(PressBoxCorner(drawing, p, false));
    EXPECT_FALSE(PressBoxCorner(drawing, {10, 0}, false));  // back across the first edge
    EXPECT_FALSE(PressBoxCorner(drawing, {15, 20}, true));  // straight on from the last edge
    EXPECT_EQ(Corners(drawing), (std::vector<float>{5, 5, 15, 5, 15, 15, 15, 20}));
    EXPECT_FLOAT_EQ(MoveLiveCorner(drawing, {12, 9.5f}), 10.5f);
    ExpectFloats({drawing.cornerStore.back().y, drawing.x}, {9.5f, 5});
    std::unique_ptr<PatternBox> none;
    EXPECT_EQ(FinishDrawnBox(drawing, none), nullptr);
}

}  // namespace
