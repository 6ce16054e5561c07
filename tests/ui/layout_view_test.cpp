// The layout view as the quilter sees and touches it: three fixed layouts
// compared with reference pictures of tests/data, the pattern images kept
// across redraws, the camera background, and real pointer presses through
// xdotool for the long press and the direction pad (the gestures themselves
// are the core's).
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>

#include "base/system_paths.h"
#include "layout/layout_selection.h"
#include "layout/view_fixture.h"
#include "layout/view_gestures.h"
#include "layout/view_transform.h"
#include "machine/machine_parameters.h"
#include "machine/stitching/run_state.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support_ui/touch_targets.h"
#include "support_ui/ui_fixture.h"
#include "ui/drawing_area.h"
#include "ui/gtk_interface.h"
#include "ui/interface.h"
#include "ui/layout_actions.h"
#include "ui/layout_view.h"
#include "ui/layout_view_images.h"
#include "ui/pattern_popup.h"
#include "ui/startup.h"
#include "ui/view_interaction.h"

namespace {

// A real press at view pixel (x, y) that moves by (dx, dy) in `steps` steps
// 30 ms apart (none: at once, a fast swipe), holds for holdMs and releases; one
// xdotool run, so its timing does not depend on how fast programs start, while
// whileHeld keeps the main loop running.
void Drag(int x, int y, int dx, int dy, int steps = 0, int holdMs = 0,
          const std::function<void()>& whileHeld = Drain) {
    int ox = 0, oy = 0;
    gdk_window_get_origin(interface->drawingArea->window, &ox, &oy);
    std::vector<std::string> args{"/usr/bin/xdotool"};
    auto add = [&](std::initializer_list<std::string> words) { args.insert(args.end(), words); };
    auto moveTo = [&](int px, int py) {
        add({"mousemove", std::to_string(ox + px), std::to_string(oy + py)});
    };
    const int n = std::max(steps, 1);
    moveTo(x, y);
    add({"sleep", "0.02", "mousedown", "1"});
    for (int i = 1; i <= n; i++) {
        add({"sleep", steps ? "0.03" : "0"});
        moveTo(x + dx * i / n, y + dy * i / n);
    }
    add({"sleep", std::to_string(holdMs / 1000.0), "mouseup", "1"});
    EXPECT_EQ(RunProgram(args, "", 10000, whileHeld).exitStatus, 0);
    gdk_display_sync(gdk_display_get_default());
    Drain();
}

const guchar* PixelAt(GdkPixbuf* picture, int x, int y) {
    return gdk_pixbuf_get_pixels(picture) + y * gdk_pixbuf_get_rowstride(picture) +
           x * gdk_pixbuf_get_n_channels(picture);
}

// The real main window with the menu row, in a program folder of its own
// (images linked in, system paths below it), with an empty layout.
struct ViewScreen : ViewTest {
    void SetUp() override {
        ASSERT_TRUE(EnsureGtk()) << "no X display for the window tests";
        ViewTest::SetUp();
        char cwd[4096];
        oldDir = getcwd(cwd, sizeof cwd) ? cwd : ".";
        ASSERT_EQ(symlink(LONGARM_SOURCE_DIR "/images", folder.File("images").c_str()), 0);
        ASSERT_EQ(chdir(folder.path.c_str()), 0);
        SetSystemRoot(folder.path.c_str());
        previous = interface;
        interface = nullptr;  // the window's own record replaces the program's
        MakeMainWindow(true);
        InstallGtkInterface();
        InstallLayoutInterface();
        responder = std::make_unique<ScriptedResponder>();  // answers any message with OK
        SetCurrentPatternBox(0);
    }
    void TearDown() override {
        if (!interface) return;
        ReleaseAllUI();
        DropMainWindow();
        responder.reset();
        delete interface;  // the window's own record, made by MakeMainWindow
        interface = previous;
        ResetLayoutSelection();
        ViewTest::TearDown();
        EXPECT_EQ(chdir(oldDir.c_str()), 0);
        SetSystemRoot("");
    }

    // Shows the layout view on a measured 40 x 20 inch table.
    static void ShowLayoutView() {
        extents = std::make_unique<PatternBox>();
        SetPatternBoxCorners(extents.get(), {{0, 0}, {40, 0}, {40, 20}, {0, 20}});
        SetPatternBoxOrigin(extents.get());
        menuMainPatternView(nullptr, nullptr);
        Drain();
    }
    // The drawing area's picture as it is on the screen, after a redraw.
    static GdkPixbuf* Capture() {
        GtkWidget* area = interface->drawingArea;
        if (!area || !area->window) return nullptr;
        gdk_window_invalidate_rect(area->window, nullptr, FALSE);
        gdk_window_process_updates(area->window, TRUE);
        gdk_flush();
        Drain();
        return gdk_pixbuf_get_from_drawable(nullptr, area->window, nullptr, 0, 0, 0, 0,
                                            area->allocation.width, area->allocation.height);
    }

    TempDir folder;
    std::unique_ptr<ScriptedResponder> responder;
    std::string oldDir;
    Interface* previous = nullptr;
};

// Compares the view, redrawn, with tests/data/NAME.png.
::testing::AssertionResult LooksLike(const std::string& name) {
    GdkPixbuf* picture = ViewScreen::Capture();
    ::testing::AssertionResult result = PictureLooksLike(picture, name);
    if (picture) g_object_unref(picture);
    return result;
}

using LayoutViewScreen = ViewScreen;

// Two boxes; in the first a chain of two meanders (joined, so one circle and
// one cross), a star on its own and the star selected.
TEST_F(LayoutViewScreen, AChainOfPatternsItsImagesZoomAllAndTheCameraBackground) {
    command = kModePan;
    menuMainPatternView(nullptr, nullptr);  // no quilt area measured yet
    EXPECT_STREQ(CurrentScreenName(), "quilt-area setup");
    EXPECT_EQ(command, kModeNone);

    MakeRectBox(2, 2, 30, 12);
    MakeRectBox(2, 14, 30, 5);
    const int meander = LoadPattern(Meander(8, 3, 4));
    NewPatternLayoutNode(meander, -1, 0, 1, 1);
    NewPatternLayoutNode(meander, -1, 0, 9, 1);
    SetSelectedNode(NewPatternLayoutNode(LoadPattern(Star(2, 5)), -1, 0, 20, 5));
    ShowLayoutView();
    SetStatusBar("Drag To Pan");
    EXPECT_TRUE(LooksLike("layout_view_chain"));

    // The pattern images are kept while the scale stays.
    const int fittedX = panX;
    const float fittedScale = ViewScale();
    const PatternImageUse fitted = PatternImagesInUse();
    EXPECT_GT(fitted.windows, 0);
    SetZoomAll();
    g_object_unref(Capture());
    EXPECT_EQ(PatternImagesInUse().drawn, fitted.drawn);

    // A manual zoom and pan with a long press pending: new images at the new
    // scale, within the budget; Zoom All ends the mode and the hint and fits again.
    menuViewPan(nullptr, nullptr);
    panX += 50;
    SetViewScale(ViewScale() * 0.5f);
    zoomed = 1;
    menuReady = 1;
    g_object_unref(Capture());
    EXPECT_GT(PatternImagesInUse().drawn, fitted.drawn);
    SetViewScale(0.001f);  // close up: the images would be 30000 pixels wide
    g_object_unref(Capture());
    EXPECT_LE(PatternImagesInUse().bytes, kPatternImageBudget);
    menuViewZoomAll(nullptr, nullptr);
    g_object_unref(Capture());
    EXPECT_EQ(command, kModeNone);
    EXPECT_EQ(menuReady, 0);
    EXPECT_EQ(panX, fittedX);
    EXPECT_FLOAT_EQ(ViewScale(), fittedScale);

    // The camera picture is the background only near its own scale.
    interface->captureImage = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 64, 48);
    gdk_pixbuf_fill(interface->captureImage, 0x0000FFFFu);
    auto blueShare = [] {
        GdkPixbuf* picture = Capture();
        const int w = gdk_pixbuf_get_width(picture), h = gdk_pixbuf_get_height(picture);
        double blue = 0;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                const guchar* p = PixelAt(picture, x, y);
                blue += p[0] < 40 && p[1] < 40 && p[2] > 200;
            }
        g_object_unref(picture);
        return blue / (w * h);
    };
    interface->cameraInchPerPixel = ViewScale() + 0.2f;
    EXPECT_GT(blueShare(), 0.5);
    interface->cameraInchPerPixel = ViewScale() + 0.3f;
    EXPECT_EQ(blueShare(), 0.0);
    g_object_unref(interface->captureImage);
    interface->captureImage = nullptr;
}

TEST_F(LayoutViewScreen, MovingAnArrayInTheSecondBoxWithThePad) {
    MakeRectBox(2, 2, 30, 12);
    MakeRectBox(4, 4, 20, 9);
    SetCurrentPatternBox(1);
    CurrentRun().motorDirection = 0xC8;
    const int star = LoadPattern(Star(1.5f, 6));
    for (int column = 0; column < 3; column++)
        NewPatternLayoutNode(star, 0, column == 0, 1 + 4.0f * column, 1);
    NewArrayNode(1, 0, 3, 4);
    NewPatternLayoutNode(LoadPattern(Meander(6, 2, 3)), -1, 0, 1, 5);
    SetSelectedNode(patternLayout->next);
    ShowLayoutView();
    command = kModeMoveSelected;
    SetStatusBar("Drag Pattern or Use Increment Buttons");
    EXPECT_TRUE(LooksLike("layout_view_move"));
}

TEST_F(LayoutViewScreen, ALayoutBeyondItsBoxWithEditButtonsAndThePopupHint) {
    MakeRectBox(3, 3, 10, 6);
    NewPatternLayoutNode(LoadPattern(Meander(12, 4, 5)), -1, 0, -1, 1);
    NewPatternLayoutNode(LoadPattern(Star(2.5f, 4)), -1, 0, 12, 0.5f);
    ShowLayoutView();
    SetEditButtons(0x1F);
    HighlightButton(2);
    menuReady = 1;
    EXPECT_TRUE(LooksLike("layout_view_edit"));
    menuReady = 0;
}

// The pattern pop-up's menu while it is open, or null.
GtkWidget* OpenPopup() {
    GtkWidget* window = FindToplevel(kPopupWindowName);
    GtkWidget* child = window ? gtk_bin_get_child(GTK_BIN(window)) : nullptr;
    return child && GTK_IS_MENU(child) ? child : nullptr;
}

// Real presses on the view: a star in the first of two boxes.
struct ViewTouch : ViewScreen {
    void SetUp() override {
        ViewScreen::SetUp();
        if (IsSkipped()) return;
        MakeRectBox(2, 2, 30, 12);
        MakeRectBox(2, 14, 30, 5);
        node = NewPatternLayoutNode(LoadPattern(Star(2, 5)), -1, 0, 10, 4);
        ShowLayoutView();
    }
    LayoutNode* node = nullptr;
};

TEST_F(ViewTouch, ALongPressOpensThePopupButNotDuringARunAndThePadMovesByTheIncrement) {
    // A little drift still counts as holding still: the hint shows before the
    // release, the pop-up after it, where the press began.
    bool hint = false;
    Drag(100, 80, 14, 0, 1, 1200, [&] {
        Drain();
        hint = hint || (menuReady == 1 && OpenPopup() == nullptr);
    });
    EXPECT_TRUE(hint);
    GtkWidget* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(SelectedNode(), node);
    // The position every entry of the pop-up is given.
    const auto* at = static_cast<const PopupPosition*>(
        g_object_get_data(G_OBJECT(popup), "longarm-popup-position"));
    ASSERT_NE(at, nullptr);
    EXPECT_EQ(at->x, 100);
    EXPECT_EQ(at->y, 80);
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(popup));
    Drain();
    command = kModeSpeed;  // not during a run
    Drag(100, 80, 0, 0, 1, 1200);
    EXPECT_EQ(OpenPopup(), nullptr);
    command = kModeNone;

    // The direction pad moves by the increment; drags inside it move nothing.
    Machine().moveIncrement = 0.25f;
    menuEditMove(nullptr, nullptr);
    EXPECT_EQ(command, kModeMoveAll);
    struct stat info;
    EXPECT_EQ(stat((SystemPath("/tmp/undo") + ".qlf").c_str(), &info), 0);  // undo point

    const PadGeometry pad = PadForIconStyle(0);
    const int W = interface->drawingArea->allocation.width;
    const int H = interface->drawingArea->allocation.height;
    int x = 0, y = 0, ox = 0, oy = 0;
    ASSERT_TRUE(PadImageOrigin(kPadUp, W, H, pad, &x, &y));
    ASSERT_TRUE(PadImageOrigin(kPadOk, W, H, pad, &ox, &oy));
    Drag(x + pad.s / 2, y + pad.s / 2, 0, 0);
    EXPECT_FLOAT_EQ(node->x, 10);
    EXPECT_FLOAT_EQ(node->y, 3.75f);  // exactly one increment up

    // A drag between the pad images moves nothing; one outside the pad moves
    // every pattern of the box by the distance dragged.
    Drag(ox - 3, oy - 20, 0, 15, 5, 100);
    EXPECT_FLOAT_EQ(node->y, 3.75f);
    Drag(60, 60, 20, 0, 10, 100);
    EXPECT_NEAR(node->x, 10 + 20 * ViewScale(), 1e-4);
    EXPECT_FLOAT_EQ(node->y, 3.75f);

    Drag(ox + 5, oy + 5, 0, 0);  // OK ends the mode
    EXPECT_EQ(command, kModeNone);
}

// Close up, overlapping patterns that each fill the view need more windows than
// the budget holds: the oldest are dropped and drawn again when needed, and the
// picture stays the same.
TEST_F(ViewTest, PatternImagesStayWithinTheBudgetAndPaintTheSamePicture) {
    for (int i = 0; i < 12; i++)
        LoadPattern({{0, 0}, {2, 2}, {0.2f * i, 2}, {2, 0.1f * i}});
    SetViewScale(0.001f);  // 2001 x 2001 pixel images
    auto paint = [] {
        cairo_surface_t* view = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 800, 600);
        cairo_t* cr = cairo_create(view);
        for (int slot = 0; slot < 12; slot++)
            PaintPatternImage(cr, slot, -600, -700, 800, 600);
        cairo_destroy(cr);
        cairo_surface_flush(view);
        const unsigned char* data = cairo_image_surface_get_data(view);
        std::string pixels(reinterpret_cast<const char*>(data),
                           static_cast<std::size_t>(cairo_image_surface_get_stride(view)) * 600);
        cairo_surface_destroy(view);
        return pixels;
    };
    DropPatternImages();
    const long drawnBefore = PatternImagesInUse().drawn;
    const std::string first = paint();
    const PatternImageUse use = PatternImagesInUse();
    EXPECT_EQ(use.drawn - drawnBefore, 12);
    EXPECT_LE(use.bytes, kPatternImageBudget);
    EXPECT_LT(use.windows, 12);
    EXPECT_GT(std::count(first.begin(), first.end(), char(0xFF)), 1000);  // opaque black
    EXPECT_EQ(paint(), first);
    EXPECT_EQ(PatternImagesInUse().drawn - drawnBefore, 24);  // dropped ones drawn again

    // The highlighted entity of the selected pattern is painted red.
    Pattern* selected = GetPattern(0);
    selected->commandType = {PatternCommandType::EntityStart};
    selected->commandPoint = {1};
    selected->commandCount = 1;
    SetSelectedNode(NewPatternLayoutNode(0, -1, 0, 0, 0));
    SetHighlightIndex(1);
    const std::string highlighted = paint();
    bool red = false;
    for (std::size_t i = 0; i + 4 <= highlighted.size() && !red; i += 4)
        red = highlighted.compare(i, 4, std::string("\0\0\xFF\xFF", 4)) == 0;
    EXPECT_TRUE(red);
    DropPatternImages();
}

}  // namespace
