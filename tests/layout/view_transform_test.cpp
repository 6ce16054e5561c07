// The layout view's arithmetic that the reference pictures of the view cannot
// show: truncation order, grid steps, zoom without box, layout or size, and
// the limit at which markers join. (The fitted zoom and the marker positions
// are checked by those pictures.)
#include "layout/view_transform.h"
#include "layout/layout_selection.h"
#include "layout/view_images.h"

#include <gtest/gtest.h>

#include <tuple>

#include "view_fixture.h"

namespace {

using Transform = ViewTest;

TEST_F(Transform, PlacementsTruncateBeforeTheBoxOffsetAndWildValuesStayInRange) {
    // x: int(int(2.0 / 0.03) + 1.0 / 0.03 + 7) = int(66 + 33.33 + 7) = 106, not 107;
    // y: int(int(0.5 / 0.03) + 2.0 / 0.03 - 12) = int(16 + 66.67 - 12) = 70, not 71.
    const ViewFrame frame{0.03f, 7, -12, 1.0f, 2.0f};
    EXPECT_EQ(PlacementToScreen(frame, 2.0f, 0.5f).x, 106);
    EXPECT_EQ(PlacementToScreen(frame, 2.0f, 0.5f).y, 70);
    EXPECT_EQ(QuiltToScreen(frame, 2.0f, 0.5f).y, 4);  // int(16.67 - 12)
    const ViewFrame unit{1.0f, 0, 0, 0, 0};
    EXPECT_EQ(PlacementToScreen(unit, 1e12f, -1e12f).x, 1000000000);
    EXPECT_EQ(QuiltToScreen(unit, 1e12f, -1e12f).y, -1000000000);
    // An empty current slot gives the frame no box origin.
    SetCurrentPatternBox(7);
    MakeRectBox(4, 5, 10, 10);
    EXPECT_FLOAT_EQ(CurrentViewFrame().boxX, 0);
    // A quarter inch, else half an inch when that is under 10 pixels, else one inch.
    const std::tuple<float, int> grids[] = {
        {0.01f, 25}, {0.03f, 16}, {0.06f, 16}, {0.2f, 5}, {0.0f, 0}};
    for (const auto& [scale, spacing] : grids)
        EXPECT_EQ(GridSpacing(scale), spacing) << scale;
}

TEST_F(Transform, ZoomWithoutBoxLayoutOrSizeKeepsTheFloorAndTheSetupFitsTheLargerRatio) {
    MakeRectBox(2, 3, 19, 9);
    MakeRectBox(0, 0, 0.01f, 0.01f);
    // Without a box the placements (39 x 4 inches from (2, 0.5)) are centred
    // at 0.125 inch per pixel: 160 - int(19.5 / 0.125) - int(2 / 0.125).
    EXPECT_EQ(ComputeZoomAll(320, 160, nullptr, 39, 4, 2, 0.5f).panX, 160 - 156 - 16);
    ExpectFloats(
        {ComputeZoomAll(100000, 100000, GetPatternBox(1), -1, -1, 0, 0).scale,
         ComputeZoomAll(320, 200, nullptr, -1, -1, 0, 0).scale,
         ComputeZoomAll(0, 200, GetPatternBox(0), 5, 5, 0, 0).scale,
         ComputeZoomExtents(320, 200, nullptr), ComputeZoomExtents(320, 200, GetPatternBox(0)),
         ComputeZoomExtents(320, 20, GetPatternBox(0))},
        {0.001f, 0.001f, 0.001f, 0.001f, 19.0f / 320, 9.0f / 20});
}

// The first start is compared with the quilt origin, each later start with the
// end before it; the last placement always ends with a cross.
TEST_F(Transform, MarkersShowWhereEndsAreMoreThanAnEighthInchApart) {
    MakeRectBox(1, 1, 20, 20);
    MakeRectBox(0, 0, 5, 5);
    SetCurrentPatternBox(0);
    SetViewScale(0.125f);
    panX = 3;  // pixels: they must not count as inches
    const int a = LoadPattern({{0, 0}, {2, 0}, {2, 1}});
    NewPatternLayoutNode(a, -1, 0, -0.95f, -1);                            // (0.05, 0) to (2.05, 1)
    NewPatternLayoutNode(LoadPattern({{0, 0}, {0, 3}}), -1, 0, 1.15f, 0);  // from (2.15, 1)
    AppendLayoutNode(a, -1, 0, 0, 0, 1);                                   // another box
    AppendLayoutNode(33, -1, 0, 0, 0, 0);                                  // no pattern
    // Each placement as its start ("o": a circle) and end ("x": a cross).
    auto marks = [] {
        std::string shown;
        for (const PlacementMarks& m : LayoutMarks(CurrentViewFrame(), 0))
            shown += std::string(m.startCircle ? "o" : "-") + (m.endCross ? "x" : "-");
        return shown;
    };
    EXPECT_EQ(marks(), "---x");
    patternLayout->x = -0.8f;        // 0.2 from the origin
    patternLayout->next->x = 1.35f;  // 0.15 from the end before, now (2.2, 1)
    EXPECT_EQ(marks(), "oxox");
}

// The view's pixels after painting the 12 patterns' images with their corner
// at (-600, -700) of an 800 x 600 view.
std::string Paint() {
    cairo_surface_t* view = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 800, 600);
    cairo_t* cr = cairo_create(view);
    for (int slot = 0; slot < 12; slot++)
        PaintPatternImage(cr, slot, -600, -700, 800, 600);
    cairo_destroy(cr);
    cairo_surface_flush(view);
    std::string pixels(reinterpret_cast<const char*>(cairo_image_surface_get_data(view)),
                       static_cast<std::size_t>(cairo_image_surface_get_stride(view)) * 600);
    cairo_surface_destroy(view);
    return pixels;
}

// How many pixels of a painted view have the bytes bgra.
int Pixels(const std::string& view, const char* bgra) {
    int n = 0;
    for (std::size_t i = 0; i + 4 <= view.size(); i += 4)
        n += view.compare(i, 4, bgra, 4) == 0;
    return n;
}

// Close up, overlapping patterns that each fill the view need more windows than
// the budget holds: the oldest are dropped and drawn again when needed, and the
// picture stays the same.
TEST_F(Transform, PatternImagesStayWithinTheBudgetAndPaintTheSamePicture) {
    for (int i = 0; i < 12; i++)
        LoadPattern({{0, 0}, {2, 2}, {0.2f * i, 2}, {2, 0.1f * i}});
    SetViewScale(0.001f);  // 2001 x 2001 pixel images
    DropPatternImages();
    const long drawnBefore = PatternImagesInUse().drawn;
    const std::string first = Paint();
    const PatternImageUse use = PatternImagesInUse();
    EXPECT_EQ(use.drawn - drawnBefore, 12);
    EXPECT_LE(use.bytes, kPatternImageBudget);
    EXPECT_LT(use.windows, 12);
    EXPECT_GT(Pixels(first, "\0\0\0\xFF"), 1000);  // opaque black
    EXPECT_EQ(Paint(), first);
    EXPECT_EQ(PatternImagesInUse().drawn - drawnBefore, 24);  // dropped ones drawn again
    // The highlighted entity of the selected pattern is painted red.
    Pattern* selected = GetPattern(0);
    selected->commandType = {PatternCommandType::EntityStart};
    selected->commandPoint = {1};
    selected->commandCount = 1;
    SetSelectedNode(NewPatternLayoutNode(0, -1, 0, 0, 0));
    SetHighlightIndex(1);
    const std::string highlighted = Paint();
    EXPECT_GT(Pixels(highlighted, "\0\0\xFF\xFF"), 0);
    DropPatternImages();
}

}  // namespace
