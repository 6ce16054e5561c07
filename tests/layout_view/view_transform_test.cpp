// The layout view's arithmetic: inches to pixels, grid spacing, zoom to fit,
// and the start / end markers.
#include "layout/view_transform.h"

#include <gtest/gtest.h>

#include "view_fixture.h"

namespace {

using Transform = ViewTest;

TEST_F(Transform, PlacementsTruncateBeforeTheBoxOffsetAndWildValuesStayInRange) {
    struct Case {
        ViewFrame frame;
        float x, y;
        ScreenPoint placement, quilt;
    } cases[] = {
        // x: int(int(2.0 / 0.03) + 1.0 / 0.03 + 7) = int(66 + 33.33 + 7) = 106;
        // y: int(int(0.5 / 0.03) + 2.0 / 0.03 - 12) = int(16 + 66.67 - 12) = 70.
        // Absolute: int(2.0 / 0.03 + 7) = 73, int(0.5 / 0.03 - 12) = 4.
        {{0.03f, 7, -12, 1.0f, 2.0f}, 2.0f, 0.5f, {106, 70}, {73, 4}},
        {{1.0f, 0, 0, 0, 0}, 1e12f, -1e12f, {1000000000, -1000000000}, {1000000000, -1000000000}},
    };
    for (const Case& c : cases) {
        const ScreenPoint p = PlacementToScreen(c.frame, c.x, c.y);
        const ScreenPoint q = QuiltToScreen(c.frame, c.x, c.y);
        EXPECT_EQ(p.x, c.placement.x);
        EXPECT_EQ(p.y, c.placement.y);
        EXPECT_EQ(q.x, c.quilt.x);
        EXPECT_EQ(q.y, c.quilt.y);
    }
    // The view's frame takes the current box's origin; an empty slot gives (0, 0).
    MakeRectBox(4, 5, 10, 10);
    interface->currentPatternBox = 0;
    EXPECT_FLOAT_EQ(CurrentViewFrame().boxY, 5);
    interface->currentPatternBox = 7;
    EXPECT_FLOAT_EQ(CurrentViewFrame().boxX, 0);

    // Grid: a quarter inch, else half an inch when that is under 10 pixels, else one inch.
    struct Grid {
        float scale;
        int spacing;
    } grids[] = {{0.01f, 25}, {0.03f, 16}, {0.06f, 16}, {0.2f, 5}, {0.0f, 0}};
    for (const Grid& g : grids)
        EXPECT_EQ(GridSpacing(g.scale), g.spacing) << g.scale;
}

TEST_F(Transform, ZoomFitsTheBoxOrALargerLayoutAndNeverGoesBelowTheFloor) {
    MakeRectBox(2, 3, 19, 9);  // 19 x 9 inches, plus one inch: 20 x 10
    ZoomFit fit = ComputeZoomAll(160, 80, GetPatternBox(0), 5, 5, 1, 1);
    EXPECT_FALSE(fit.layoutExceedsBox);
    EXPECT_FLOAT_EQ(fit.scale, 0.125f);  // 20 / 160 and 10 / 80
    // The box centred: (W - int(19 / 0.125)) / 2 - int(2 / 0.125), likewise y.
    EXPECT_EQ(fit.panX, (160 - 152) / 2 - 16);
    EXPECT_EQ(fit.panY, (80 - 72) / 2 - 24);

    // Placements spanning 39 x 4 inches from (2, 0.5) reach beyond the box:
    // (39 + 1) / 320 against (19 + 1) / 320, and the layout is centred.
    fit = ComputeZoomAll(320, 160, GetPatternBox(0), 39, 4, 2, 0.5f);
    EXPECT_TRUE(fit.layoutExceedsBox);
    EXPECT_FLOAT_EQ(fit.scale, 0.125f);
    // W/2 - int(lw / 2 / s) - int(lx / s) - int(Bx / s), likewise y.
    EXPECT_EQ(fit.panX, 160 - 156 - 16 - 16);
    EXPECT_EQ(fit.panY, 80 - 16 - 4 - 24);
    EXPECT_EQ(ComputeZoomAll(320, 160, nullptr, 39, 4, 2, 0.5f).panX, 160 - 156 - 16);

    // The floor of 0.001 inch per pixel, also without box, layout or size.
    MakeRectBox(0, 0, 0.01f, 0.01f);
    EXPECT_FLOAT_EQ(ComputeZoomAll(100000, 100000, GetPatternBox(1), -1, -1, 0, 0).scale, 0.001f);
    EXPECT_FLOAT_EQ(ComputeZoomAll(320, 200, nullptr, -1, -1, 0, 0).scale, 0.001f);
    EXPECT_FLOAT_EQ(ComputeZoomAll(0, 200, GetPatternBox(0), 5, 5, 0, 0).scale, 0.001f);
    // The setup view fits the larger of the two ratios.
    EXPECT_FLOAT_EQ(ComputeZoomExtents(320, 200, nullptr), 0.001f);
    EXPECT_FLOAT_EQ(ComputeZoomExtents(320, 200, GetPatternBox(0)), 19.0f / 320);
    EXPECT_FLOAT_EQ(ComputeZoomExtents(320, 20, GetPatternBox(0)), 9.0f / 20);
}

// Two placements joined within 0.125 inch: a chain with one circle and one cross.
TEST_F(Transform, JoinedEndsCarryNoMarkers) {
    MakeRectBox(1, 1, 20, 20);
    interface->currentPatternBox = 0;
    interface->viewScale = 0.125f;
    const int a = LoadPath({{0, 0}, {2, 0}, {2, 1}});
    const int b = LoadPath({{0, 0}, {0, 3}});
    NewPatternLayoutNode(a, -1, 0, 1, 1);     // ends at (1 + 1 + 2, 1 + 1 + 1) = (4, 3)
    NewPatternLayoutNode(b, -1, 0, 3.1f, 2);  // starts at (5.1, 3): 0.1 from the end
    std::vector<PlacementMarks> marks = LayoutMarks(CurrentViewFrame(), 0);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_TRUE(marks[0].startCircle);  // (2, 2) is far from the quilt origin
    EXPECT_FALSE(marks[0].endCross);
    EXPECT_FALSE(marks[1].startCircle);
    EXPECT_TRUE(marks[1].endCross);  // the last placement always ends with a cross
    // Screen points: position int(1 / 0.125) + 1 / 0.125, plus the path offset.
    EXPECT_EQ(marks[0].position.x, 16);
    EXPECT_EQ(marks[0].end.x, 32);
    EXPECT_EQ(marks[0].end.y, 24);
    EXPECT_EQ(marks[0].width, 16);
    EXPECT_EQ(marks[1].end.y, 24 + 24);

    // 0.15 inch apart: both markers show.
    patternLayout->next->x = 3.15f;
    marks = LayoutMarks(CurrentViewFrame(), 0);
    EXPECT_TRUE(marks[0].endCross);
    EXPECT_TRUE(marks[1].startCircle);
}

TEST_F(Transform, TheFirstStartIsComparedWithTheQuiltOriginWhateverThePan) {
    MakeRectBox(0, 0, 20, 20);
    interface->currentPatternBox = 0;
    panX = 3;  // pixels: they must not count as inches
    const int a = LoadPath({{0, 0}, {1, 1}});
    NewPatternLayoutNode(a, -1, 0, 0.1f, 0);
    EXPECT_FALSE(LayoutMarks(CurrentViewFrame(), 0)[0].startCircle);
    patternLayout->x = 0.2f;
    EXPECT_TRUE(LayoutMarks(CurrentViewFrame(), 0)[0].startCircle);
    // Placements of other boxes, and those whose pattern is gone, are left out.
    MakeRectBox(0, 0, 5, 5);
    AppendLayoutNode(a, -1, 0, 0, 0, 1);
    AppendLayoutNode(33, -1, 0, 0, 0, 0);
    EXPECT_EQ(LayoutMarks(CurrentViewFrame(), 0).size(), 1u);
}

}  // namespace
