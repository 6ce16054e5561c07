#include "view_ui_fixture.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "app/application_state.h"
#include "app/screen_config.h"
#include "app/startup_ui.h"
#include "app/system_paths.h"
#include "app/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "pattern/pattern.h"
#include "support/run_program.h"
#include "support_ui/ui_fixture.h"
#include "ui/drawing_area.h"
#include "ui/gtk_interface.h"
#include "ui/layout_actions.h"
#include "ui/menu.h"
#include "ui/pattern_select.h"
#include "ui/screens.h"
#include "ui/view_interaction.h"
#include "ui/widget_helpers.h"

bool EnsureViewGtk() {
    return EnsureGtk();
}

void Pump(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        while (gtk_events_pending())
            gtk_main_iteration();
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (std::chrono::steady_clock::now() < end);
}

void ViewScreen::SetUp() {
    if (!EnsureViewGtk()) GTEST_SKIP() << "no display";
    folder = std::make_unique<TempDir>();
    char cwd[4096];
    oldDir = getcwd(cwd, sizeof cwd) ? cwd : ".";
    ASSERT_EQ(symlink(LONGARM_SOURCE_DIR "/images", folder->File("images").c_str()), 0);
    ASSERT_EQ(chdir(folder->path.c_str()), 0);
    SetSystemRoot(folder->path.c_str());

    interface = NewInterfaceStruct();
    InitPatternBox();
    InitArrays();
    ClearLayout();
    ClearPatternList();
    InstallGtkInterface();
    InstallLayoutInterface();
    SetUserInterfaceHooks({});  // messages are printed and answered with OK
    SetStatusBar(nullptr);
    command = -1;
    panX = panY = 0;
    menuReady = 0;

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_widget_set_size_request(window, screen_width, screen_height);
    gtk_window_move(GTK_WINDOW(window), 0, 0);
    KeepWidget(&interface->window, window);
    KeepWidget(&interface->mainBox, gtk_vbox_new(FALSE, 0));
    gtk_container_add(GTK_CONTAINER(window), interface->mainBox);
    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), createMenu(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), createToolbar(), TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(interface->mainBox), row, FALSE, FALSE, 0);
    interface->menu = MenuRecord();
    interface->toolbar = ToolbarRecord();
    gtk_widget_show_all(window);
    Pump();
}

void ViewScreen::TearDown() {
    if (!interface) return;
    ReleaseAllUI();
    clearScreen();
    if (isWidget(interface->window)) gtk_widget_destroy(interface->window);
    Pump();
    FreeLayout();
    InitPatternBox();
    extents.reset();
    if (interface->gridPixbuf) g_object_unref(interface->gridPixbuf);
    delete interface;
    interface = nullptr;
    showPatternPopup = nullptr;
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
    ShowScreen([] { return createPatternViewScreen(0, kAreaLayoutView); }, kLayoutViewMask,
               "layout view");
    Pump(50);
}

int ViewScreen::LoadPath(const std::vector<QuiltPoint>& points) {
    auto p = std::make_unique<Pattern>();
    for (const QuiltPoint& q : points) {
        p->x.push_back(q.x);
        p->y.push_back(q.y);
    }
    p->pointCount = static_cast<int>(p->x.size());
    UpdatePatternSize(p.get());
    OffsetPattern(p.get(), p->minX, p->minY);
    UpdatePatternSize(p.get());
    const int slot = GetNextPattern();
    AddPatternToList(slot, std::move(p));
    return slot;
}

int ViewScreen::MakeRectBox(float x, float y, float w, float h) {
    const int slot = CreatePatternBox();
    PatternBox* box = GetPatternBox(slot);
    SetPatternBoxCorners(box, {{x, y + h}, {x + w, y + h}, {x + w, y}, {x, y}});
    SetPatternBoxOrigin(box);
    if (interface->currentPatternBox < 0) interface->currentPatternBox = slot;
    return slot;
}

GdkPixbuf* ViewScreen::Capture() const {
    GtkWidget* area = interface->drawingArea;
    if (!isWidget(area) || !area->window) return nullptr;
    Redraw();
    const int w = area->allocation.width, h = area->allocation.height;
    return gdk_pixbuf_get_from_drawable(nullptr, area->window, nullptr, 0, 0, 0, 0, w, h);
}

void ViewScreen::Redraw() const {
    if (!isWidget(interface->drawingArea) || !interface->drawingArea->window) return;
    gdk_window_invalidate_rect(interface->drawingArea->window, nullptr, FALSE);
    gdk_window_process_updates(interface->drawingArea->window, TRUE);
    gdk_flush();
    Pump();
}

void ViewScreen::ToRoot(int x, int y, int* rx, int* ry) const {
    int ox = 0, oy = 0;
    gdk_window_get_origin(interface->drawingArea->window, &ox, &oy);
    *rx = ox + x;
    *ry = oy + y;
}

void ViewScreen::PointerTo(int x, int y) const {
    int rx = 0, ry = 0;
    ToRoot(x, y, &rx, &ry);
    EXPECT_TRUE(Xdotool({"mousemove", std::to_string(rx), std::to_string(ry)}));
}

void ViewScreen::Press() const {
    EXPECT_TRUE(Xdotool({"mousedown", "1"}));
}

void ViewScreen::Release() const {
    EXPECT_TRUE(Xdotool({"mouseup", "1"}));
}

bool Xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"/usr/bin/xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    const ProgramResult result = RunProgram(argv, "", 5000);
    return result.exitStatus == 0;
}

std::vector<QuiltPoint> Meander(float width, float height, int loops) {
    std::vector<QuiltPoint> points;
    const int steps = 40 * loops;
    for (int i = 0; i <= steps; i++) {
        const float t = static_cast<float>(i) / steps;
        const float x = t * width;
        const float y = height / 2 * (1 - std::cos(t * loops * 2 * static_cast<float>(M_PI)));
        points.push_back({x, y});
    }
    return points;
}

std::vector<QuiltPoint> Star(float radius, int tips) {
    std::vector<QuiltPoint> points;
    for (int i = 0; i <= 2 * tips; i++) {
        const double a = M_PI * i / tips - M_PI / 2;
        const double r = i % 2 ? radius * 0.45 : radius;
        points.push_back({static_cast<float>(radius + r * std::cos(a)),
                          static_cast<float>(radius + r * std::sin(a))});
    }
    return points;
}

::testing::AssertionResult LooksLike(GdkPixbuf* picture, const std::string& name,
                                     double tolerance) {
    if (!picture) return ::testing::AssertionFailure() << "no picture";
    const std::string actual = std::string(LONGARM_BINARY_DIR) + "/tests/" + name + ".actual.png";
    GdkPixbuf* reference = gdk_pixbuf_new_from_file(
        (std::string(LONGARM_SOURCE_DIR) + "/tests/data/" + name + ".png").c_str(), nullptr);
    if (!reference) {
        gdk_pixbuf_save(picture, actual.c_str(), "png", nullptr, nullptr);
        return ::testing::AssertionFailure() << "no reference image; wrote " << actual;
    }
    const int w = gdk_pixbuf_get_width(picture), h = gdk_pixbuf_get_height(picture);
    if (gdk_pixbuf_get_width(reference) != w || gdk_pixbuf_get_height(reference) != h) {
        g_object_unref(reference);
        gdk_pixbuf_save(picture, actual.c_str(), "png", nullptr, nullptr);
        return ::testing::AssertionFailure() << "size " << w << "x" << h << " differs";
    }
    const int na = gdk_pixbuf_get_n_channels(picture), nb = gdk_pixbuf_get_n_channels(reference);
    long differing = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const guchar* a =
                gdk_pixbuf_get_pixels(picture) + y * gdk_pixbuf_get_rowstride(picture) + x * na;
            const guchar* b =
                gdk_pixbuf_get_pixels(reference) + y * gdk_pixbuf_get_rowstride(reference) + x * nb;
            for (int c = 0; c < 3; c++)
                if (std::abs(a[c] - b[c]) > 48) {
                    differing++;
                    break;
                }
        }
    g_object_unref(reference);
    const double share = static_cast<double>(differing) / (static_cast<double>(w) * h);
    if (share > tolerance) {
        gdk_pixbuf_save(picture, actual.c_str(), "png", nullptr, nullptr);
        return ::testing::AssertionFailure()
               << differing << " pixels (" << share * 100 << "%) differ; wrote " << actual;
    }
    return ::testing::AssertionSuccess();
}
