#include "layout/view_images.h"

#include <algorithm>
#include <string>

#include "layout/layout_selection.h"
#include "view_fixture.h"

namespace {

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

// Close up, overlapping patterns that each fill the view need more windows than
// the budget holds: the oldest are dropped and drawn again when needed, and the
// picture stays the same.
TEST_F(ViewTest, PatternImagesStayWithinTheBudgetAndPaintTheSamePicture) {
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
    EXPECT_GT(std::count(first.begin(), first.end(), char(0xFF)), 1000);  // opaque black
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
    bool red = false;
    for (std::size_t i = 0; i + 4 <= highlighted.size() && !red; i += 4)
        red = highlighted.compare(i, 4, std::string("\0\0\xFF\xFF", 4)) == 0;
    EXPECT_TRUE(red);
    DropPatternImages();
}

}  // namespace
