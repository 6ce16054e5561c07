// The layout view as the quilter sees it: three fixed layouts compared with
// reference pictures, the grid image, and the pattern images kept across
// redraws until the scale changes.
#include <gtest/gtest.h>

#include "app/application_state.h"
#include "app/screen_config.h"
#include "app/startup_ui.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/view_gestures.h"
#include "pattern/pattern.h"
#include "ui/drawing_area.h"
#include "ui/layout_view.h"
#include "ui/menu.h"
#include "ui/view_interaction.h"
#include "view_ui_fixture.h"

namespace {

using LayoutViewScreen = ViewScreen;

// Two boxes; in the first a chain of two meanders (joined, so one circle and
// one cross), a star on its own and the star selected.
void BuildChainLayout() {
    ViewTest::MakeRectBox(2, 2, 30, 12);
    ViewTest::MakeRectBox(2, 14, 30, 5);
    const int meander = ViewTest::LoadPath(ViewTest::Meander(8, 3, 4));
    const int star = ViewTest::LoadPath(ViewTest::Star(2, 5));
    NewPatternLayoutNode(meander, -1, 0, 1, 1);
    NewPatternLayoutNode(meander, -1, 0, 9, 1);
    interface->selectedNode = NewPatternLayoutNode(star, -1, 0, 20, 5);
}

TEST_F(LayoutViewScreen, AChainOfPatternsInTheFirstOfTwoBoxes) {
    BuildChainLayout();
    ShowLayoutView();
    SetStatusBar("Drag To Pan");
    GdkPixbuf* picture = Capture();
    EXPECT_TRUE(LooksLike(picture, "layout_view_chain"));
    if (picture) g_object_unref(picture);
}

TEST_F(LayoutViewScreen, MovingAnArrayInTheSecondBoxWithThePad) {
    MakeRectBox(2, 2, 30, 12);
    MakeRectBox(4, 4, 20, 9);
    interface->currentPatternBox = 1;
    interface->motorDirection = 0xC8;
    const int star = LoadPath(Star(1.5f, 6));
    for (int column = 0; column < 3; column++)
        NewPatternLayoutNode(star, 0, column == 0, 1 + 4.0f * column, 1);
    NewArrayNode(1, 0, 3, 4);
    NewPatternLayoutNode(LoadPath(Meander(6, 2, 3)), -1, 0, 1, 5);
    interface->selectedNode = patternLayout->next;
    ShowLayoutView();
    command = kModeMoveSelected;
    SetStatusBar("Drag Pattern or Use Increment Buttons");
    GdkPixbuf* picture = Capture();
    EXPECT_TRUE(LooksLike(picture, "layout_view_move"));
    if (picture) g_object_unref(picture);
}

TEST_F(LayoutViewScreen, ALayoutBeyondItsBoxWithEditButtonsAndThePopupHint) {
    MakeRectBox(3, 3, 10, 6);
    const int meander = LoadPath(Meander(12, 4, 5));
    NewPatternLayoutNode(meander, -1, 0, -1, 1);
    NewPatternLayoutNode(LoadPath(Star(2.5f, 4)), -1, 0, 12, 0.5f);
    ShowLayoutView();
    SetEditButtons(0x1F);
    HighlightButton(2);
    menuReady = 1;
    GdkPixbuf* picture = Capture();
    EXPECT_TRUE(LooksLike(picture, "layout_view_edit"));
    if (picture) g_object_unref(picture);
    menuReady = 0;
}

TEST_F(LayoutViewScreen, GridLinesAreHalfTransparentCyanAtTheirSpacing) {
    interface->viewScale = 0.01f;
    ASSERT_EQ(DrawGrid(), 25);
    GdkPixbuf* grid = interface->gridPixbuf;
    ASSERT_TRUE(grid);
    EXPECT_EQ(gdk_pixbuf_get_width(grid), view_area_width);
    auto pixel = [&](int x, int y) {
        const guchar* p = gdk_pixbuf_get_pixels(grid) + y * gdk_pixbuf_get_rowstride(grid) + x * 4;
        return std::vector<int>{p[0], p[1], p[2], p[3]};
    };
    EXPECT_EQ(pixel(13, 50), (std::vector<int>{0, 255, 255, 128}));  // horizontal line
    EXPECT_EQ(pixel(75, 13), (std::vector<int>{0, 255, 255, 128}));  // vertical line
    EXPECT_EQ(pixel(13, 13), (std::vector<int>{255, 255, 255, 0}));  // between lines
    EXPECT_EQ(pixel(13, 51), (std::vector<int>{255, 255, 255, 0}));
    // Lines stop 4 pixels short of the right and bottom edges.
    EXPECT_EQ(pixel(view_area_width - 3, 50)[3], 0);
    interface->viewScale = 0.2f;
    EXPECT_EQ(DrawGrid(), 5);
    EXPECT_EQ(pixel(5, 13)[3], 128);
}

TEST_F(LayoutViewScreen, PatternImagesAreRebuiltOnlyWhenTheScaleChanges) {
    BuildChainLayout();
    ShowLayoutView();
    Pattern* star = GetPattern(1);
    GdkPixbuf* first = star->pixbuf.get();
    ASSERT_TRUE(first);
    // A pixel of the star's image is black where its path runs.
    Redraw();
    SetZoomAll();
    Redraw();
    EXPECT_EQ(star->pixbuf.get(), first);  // same scale: kept
    EXPECT_EQ(gdk_pixbuf_get_width(first),
              static_cast<int>(star->width / interface->viewScale) + 1);

    interface->viewScale *= 0.5f;  // a manual zoom
    zoomed = 1;
    Redraw();
    EXPECT_NE(star->pixbuf.get(), first);
    EXPECT_EQ(gdk_pixbuf_get_width(star->pixbuf.get()),
              static_cast<int>(star->width / interface->viewScale) + 1);
}

TEST_F(LayoutViewScreen, PatternViewNeedsAQuiltAreaAndZoomAllFitsAgain) {
    command = kModePan;
    menuMainPatternView(nullptr, nullptr);
    EXPECT_STREQ(CurrentScreenName(), "quilt-area setup");
    EXPECT_EQ(MenuStateMask(), 0x3u);
    EXPECT_EQ(command, kModeNone);
    BuildChainLayout();
    ShowLayoutView();
    EXPECT_STREQ(CurrentScreenName(), "layout view");
    EXPECT_EQ(MenuStateMask(), 0x37FFFFFu);
    const int fittedX = panX;
    const float fittedScale = interface->viewScale;
    menuViewPan(nullptr, nullptr);
    panX += 50;
    interface->viewScale *= 2;
    zoomed = 1;
    menuReady = 1;  // a long press left pending
    menuViewZoomAll(nullptr, nullptr);
    Redraw();
    EXPECT_EQ(command, kModeNone);
    EXPECT_EQ(menuReady, 0);
    EXPECT_EQ(panX, fittedX);
    EXPECT_FLOAT_EQ(interface->viewScale, fittedScale);
}

// Share of the picture's pixels that are (nearly) pure blue.
double BlueShare(GdkPixbuf* picture) {
    const int w = gdk_pixbuf_get_width(picture), h = gdk_pixbuf_get_height(picture);
    const int n = gdk_pixbuf_get_n_channels(picture);
    long blue = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const guchar* p =
                gdk_pixbuf_get_pixels(picture) + y * gdk_pixbuf_get_rowstride(picture) + x * n;
            blue += p[0] < 40 && p[1] < 40 && p[2] > 200;
        }
    g_object_unref(picture);
    return static_cast<double>(blue) / (static_cast<double>(w) * h);
}

TEST_F(LayoutViewScreen, TheCameraPictureIsTheBackgroundOnlyNearItsOwnScale) {
    BuildChainLayout();
    ShowLayoutView();
    interface->captureImage = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 64, 48);
    gdk_pixbuf_fill(interface->captureImage, 0x0000FFFFu);
    interface->cameraInchPerPixel = interface->viewScale + 0.2f;
    EXPECT_GT(BlueShare(Capture()), 0.5);
    interface->cameraInchPerPixel = interface->viewScale + 0.3f;
    EXPECT_EQ(BlueShare(Capture()), 0.0);
    g_object_unref(interface->captureImage);
    interface->captureImage = nullptr;
}

TEST(OnViewButton, TextButtonsAreOpaqueWhereDrawnAndClearElsewhere) {
    GdkPixbuf* button = DrawButton(40, 30, "OK", nullptr, 200);
    ASSERT_TRUE(button);
    auto at = [&](int x, int y) {
        return gdk_pixbuf_get_pixels(button) + y * gdk_pixbuf_get_rowstride(button) + x * 4;
    };
    EXPECT_EQ(at(0, 0)[3], 0);  // the red ground outside the ring is transparent
    EXPECT_EQ(at(20, 4)[3], 200);
    EXPECT_EQ(at(20, 4)[0], at(20, 4)[2]);  // the grey disc
    int blue = 0;
    for (int y = 0; y < 30; y++)
        for (int x = 0; x < 40; x++)
            blue += at(x, y)[2] > 200 && at(x, y)[0] < 60 && at(x, y)[3] == 200;
    EXPECT_GT(blue, 10);  // the text
    g_object_unref(button);
    EXPECT_EQ(DrawButton(40, 30, nullptr, "./no/such.png", 200), nullptr);
}

}  // namespace
