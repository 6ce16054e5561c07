#include "layout/box_drawing.h"

#include "layout_fixture.h"

namespace {

using BoxDrawing = LayoutTest;

std::vector<float> Corners(const PatternBox& box) {
    std::vector<float> xy;
    for (const PatternBoxPoint& c : box.cornerStore)
        xy.insert(xy.end(), {c.x, c.y});
    return xy;
}

// PLUS at every point but the last, CHECK there (the live corner starts at the
// first), then the box is finished: its corners, or what refused it ("cross":
// the last press was not taken).
TEST_F(BoxDrawing, PressesMakeARectangleAClosedBoxOrARefusal) {
    const struct {
        std::vector<QuiltPoint> pressed;
        std::vector<float> corners;
        const char* refusal;
    } cases[] = {
        // Two corners: the rectangle walked so every corner passes the Left test.
        {{{10, 10}, {20, 5}}, {10, 10, 20, 10, 20, 5, 10, 5}, nullptr},
        {{{10, 5}, {20, 10}}, {10, 5, 10, 10, 20, 10, 20, 5}, nullptr},
        {{{20, 10}, {10, 5}}, {20, 10, 20, 5, 10, 5, 10, 10}, nullptr},
        {{{20, 5}, {10, 10}}, {20, 5, 10, 5, 10, 10, 20, 10}, nullptr},
        {{{10, 10}, {20, 5}, {20, 5}}, {10, 10, 20, 10, 20, 5, 10, 5}, nullptr},
        // CHECK a hair away from the last corner closes the box there.
        {{{5, 5}, {15, 5}, {15, 15}, {5, 15}, {5.002f, 15.003f}},
         {5, 5, 15, 5, 15, 15, 5, 15},
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
        if (refusal) {
            EXPECT_EQ(box->count, 0);
            continue;
        }
        EXPECT_EQ(Corners(*box), c.corners) << c.pressed.back().x;
        const bool rectangle = c.pressed.size() <= 3;  // the old box's centre stays
        ExpectFloats(
            {box->x, box->y, box->width, box->height, box->centreX},
            rectangle ? std::vector<float>{10, 5, 10, 5, 7} : std::vector<float>{5, 5, 10, 10, 5});
        if (rectangle) {
            EXPECT_EQ(box->angle, 0);
            EXPECT_EQ(CheckPatternBox(box.get()), 1);
        }
    }
    PatternBox drawing;
    SetPatternBoxCorners(&drawing, {{1, 1}, {3, 2}});
    std::unique_ptr<PatternBox> none;
    EXPECT_EQ(FinishDrawnBox(drawing, none), nullptr);
}

TEST_F(BoxDrawing, RefusedPressesKeepTheCornersAndTheLiveCornerFollowsTheHead) {
    PatternBox drawing;
    AddPatternBoxPoint(&drawing, 4, 4, 1, 0);
    EXPECT_NEAR(MoveLiveCorner(drawing, {4.015f, 3.99f}), 0.015f, 1e-6);
    ExpectFloats({drawing.x, drawing.y}, {4.015f, 3.99f});  // the origin follows the only corner
    for (QuiltPoint p : std::vector<QuiltPoint>{{5, 5}, {15, 5}, {15, 15}})
        ASSERT_TRUE(PressBoxCorner(drawing, p, false));
    EXPECT_FALSE(PressBoxCorner(drawing, {10, 0}, false));  // back across the first edge
    EXPECT_FALSE(PressBoxCorner(drawing, {20, 10}, true));  // the closing edge would cross
    EXPECT_FALSE(PressBoxCorner(drawing, {15, 20}, true));  // straight on from the last edge
    EXPECT_EQ(Corners(drawing), (std::vector<float>{5, 5, 15, 5, 15, 15, 15, 20}));
    EXPECT_FLOAT_EQ(MoveLiveCorner(drawing, {12, 9.5f}), 10.5f);
    ExpectFloats({drawing.cornerStore.back().x, drawing.cornerStore.back().y, drawing.x},
                 {12, 9.5f, 5});
    EXPECT_TRUE(PressBoxCorner(drawing, {5, 15}, true));
    EXPECT_EQ(Corners(drawing), (std::vector<float>{5, 5, 15, 5, 15, 15, 5, 15}));
    EXPECT_EQ(MoveLiveCorner(*std::make_unique<PatternBox>(), {1, 1}), 0);
}

}  // namespace
