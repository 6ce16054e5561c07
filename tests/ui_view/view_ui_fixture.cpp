#include "view_ui_fixture.h"

#include <unistd.h>

#include <cstdlib>

#include "app/application_state.h"
#include "app/system_paths.h"
#include "support/run_program.h"
#include "ui/drawing_area.h"
#include "ui/gtk_interface.h"
#include "ui/layout_actions.h"
#include "ui/pattern_select.h"
#include "ui/screens.h"
#include "ui/view_interaction.h"
#include "ui/widget_helpers.h"

namespace {

void Xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "/usr/bin/xdotool");
    EXPECT_EQ(RunProgram(args, "", 5000).exitStatus, 0) << args[1];
}

}  // namespace

void ViewScreen::SetUp() {
    if (!EnsureGtk()) GTEST_SKIP() << "no display";
    ViewTest::SetUp();
    folder = std::make_unique<TempDir>();
    char cwd[4096];
    oldDir = getcwd(cwd, sizeof cwd) ? cwd : ".";
    ASSERT_EQ(symlink(LONGARM_SOURCE_DIR "/images", folder->File("images").c_str()), 0);
    ASSERT_EQ(chdir(folder->path.c_str()), 0);
    SetSystemRoot(folder->path.c_str());
    interface = nullptr;  // the window's own record replaces the plain one
    MakeMainWindow(true);
    InstallGtkInterface();
    InstallLayoutInterface();
    responder = std::make_unique<ScriptedResponder>();
    interface->currentPatternBox = 0;
}

void ViewScreen::TearDown() {
    if (!interface) return;
    ReleaseAllUI();
    DropMainWindow();
    responder.reset();
    interface = state.get();
    ViewTest::TearDown();
    if (!oldDir.empty()) {
        EXPECT_EQ(chdir(oldDir.c_str()), 0);
    }
    SetSystemRoot("");
}

void ViewScreen::ShowLayoutView() {
    if (!extents) {
        extents = std::make_unique<PatternBox>();
        SetPatternBoxCorners(extents.get(), {{0, 0}, {40, 0}, {40, 20}, {0, 20}});
        SetPatternBoxOrigin(extents.get());
    }
    menuMainPatternView(nullptr, nullptr);
    Pump(50);
}

void ViewScreen::Redraw() const {
    GdkWindow* window = interface->drawingArea ? interface->drawingArea->window : nullptr;
    if (!window) return;
    gdk_window_invalidate_rect(window, nullptr, FALSE);
    gdk_window_process_updates(window, TRUE);
    gdk_flush();
    Drain();
}

GdkPixbuf* ViewScreen::Capture() const {
    GtkWidget* area = interface->drawingArea;
    if (!isWidget(area) || !area->window) return nullptr;
    Redraw();
    return gdk_pixbuf_get_from_drawable(nullptr, area->window, nullptr, 0, 0, 0, 0,
                                        area->allocation.width, area->allocation.height);
}

void ViewScreen::PointerTo(int x, int y) const {
    int ox = 0, oy = 0;
    gdk_window_get_origin(interface->drawingArea->window, &ox, &oy);
    Xdotool({"mousemove", std::to_string(ox + x), std::to_string(oy + y)});
}

void ViewScreen::Gesture(int x, int y, int dx, int dy) const {
    int ox = 0, oy = 0;
    gdk_window_get_origin(interface->drawingArea->window, &ox, &oy);
    Xdotool({"mousemove", std::to_string(ox + x), std::to_string(oy + y), "mousedown", "1",
             "mousemove", std::to_string(ox + x + dx), std::to_string(oy + y + dy), "mouseup",
             "1"});
    Pump(60);
}

void ViewScreen::Press() const {
    Xdotool({"mousedown", "1"});
}

void ViewScreen::Release() const {
    Xdotool({"mouseup", "1"});
}

void ViewScreen::Pump(int ms) {
    const gint64 end = g_get_monotonic_time() + static_cast<gint64>(ms) * 1000;
    WaitFor([&] { return g_get_monotonic_time() >= end; }, ms + 1000);
    Drain();
}

::testing::AssertionResult LooksLike(GdkPixbuf* picture, const std::string& name,
                                     double tolerance) {
    if (!picture) return ::testing::AssertionFailure() << "no picture";
    const std::string actual = std::string(LONGARM_BINARY_DIR) + "/tests/" + name + ".actual.png";
    GdkPixbuf* reference = gdk_pixbuf_new_from_file(
        (std::string(LONGARM_SOURCE_DIR) + "/tests/data/" + name + ".png").c_str(), nullptr);
    const int w = gdk_pixbuf_get_width(picture), h = gdk_pixbuf_get_height(picture);
    long differing = static_cast<long>(w) * h;
    if (reference && gdk_pixbuf_get_width(reference) == w &&
        gdk_pixbuf_get_height(reference) == h) {
        differing = 0;
        const int na = gdk_pixbuf_get_n_channels(picture),
                  nb = gdk_pixbuf_get_n_channels(reference);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                const guchar* a =
                    gdk_pixbuf_get_pixels(picture) + y * gdk_pixbuf_get_rowstride(picture) + x * na;
                const guchar* b = gdk_pixbuf_get_pixels(reference) +
                                  y * gdk_pixbuf_get_rowstride(reference) + x * nb;
                for (int c = 0; c < 3; c++)
                    if (std::abs(a[c] - b[c]) > 48) {
                        differing++;
                        break;
                    }
            }
    }
    if (reference) g_object_unref(reference);
    if (differing <= tolerance * w * h) return ::testing::AssertionSuccess();
    gdk_pixbuf_save(picture, actual.c_str(), "png", nullptr, nullptr);
    return ::testing::AssertionFailure() << differing << " pixels differ; wrote " << actual;
}
