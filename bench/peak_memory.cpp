// Peak resident memory of the program's core at its largest: 50 patterns of
// 10,000 points placed in one box (the layout as the program holds it), the
// layout view's state computed at the fitted and at the closest zoom, and the
// stitch path of the box, 1,000,000 points, packed for a run. The controller
// has 128 MB; the program must stay under 64 MiB resident.
//
//   xvfb-run -a build/bin/bench_peak_memory
//
// Prints the peak resident size (VmHWM of /proc/self/status) after each stage
// and exits with status 1 when it passes 64 MiB.
//
// In a build with the user interface the program's layout view is shown
// (320 x 240) and drawn at each zoom, so the toolkit and the view's pattern
// images count toward the peak; that needs a display, and without one the
// benchmark fails rather than measure less than the program holds. A core-only
// build measures the core alone and says so.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/application_state.h"
#include "base/log.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/view_transform.h"
#include "machine/machine_parameters.h"
#include "machine/stitching/stitch_path.h"
#include "pattern/pattern.h"

#ifdef LONGARM_HAVE_UI
#include <gtk/gtk.h>
#include <unistd.h>

#include "base/screen_config.h"
#include "layout/view_images.h"
#include "machine/stitching/run_state.h"
#include "ui/drawing_area.h"
#include "ui/interface.h"
#endif

namespace {

constexpr int kPatterns = 50;
constexpr int kPointsPerPattern = 10000;
constexpr int kViewWidth = 320, kViewHeight = 240;  // the default screen
constexpr long kLimitKiB = 64L * 1024;

#ifdef LONGARM_HAVE_UI
// The layout view in an undecorated window of the default screen size.
bool OpenView() {
    if (!gtk_init_check(nullptr, nullptr)) return false;
    if (chdir(LONGARM_SOURCE_DIR) != 0) return false;  // the program's images
    ParseConfigFile("/nonexistent/screen.conf");
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_container_add(GTK_CONTAINER(window), SetDrawingArea(kAreaLayoutView));
    gtk_widget_show_all(window);
    while (gtk_events_pending())
        gtk_main_iteration();
    return true;
}

// Draws the view at the scale and pan the core computed, as a redraw of the
// program does, and reports what its pattern images hold.
void DrawView(float scale) {
    zoomed = 1;
    RefreshPatternPix();
    GdkWindow* w = interface->drawingArea->window;
    gdk_window_invalidate_rect(w, nullptr, FALSE);
    gdk_window_process_updates(w, TRUE);
    gdk_display_sync(gdk_display_get_default());
    std::printf("view drawn at %.4f in/px: pattern images hold %ld bytes\n", scale,
                PatternImagesInUse().bytes);
}
#endif

// A field of /proc/self/status in KiB ("VmHWM", "VmRSS"); -1 when unreadable.
long StatusKiB(const char* field) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen("/proc/self/status", "r"), std::fclose);
    if (!f) return -1;
    char line[256];
    const size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f.get()))
        if (std::strncmp(line, field, n) == 0 && line[n] == ':') return std::atol(line + n + 1);
    return -1;
}

long Report(const char* stage) {
    const long peak = StatusKiB("VmHWM");
    std::printf("%-44s VmRSS %7ld KiB  VmHWM %7ld KiB (%.1f MiB)\n", stage, StatusKiB("VmRSS"),
                peak, peak / 1024.0);
    return peak;
}

// A meander of 10,000 points 0.1 inch apart, 50 rows of 200 (19.9 x 4.9
// inches): packing keeps every point.
std::unique_ptr<Pattern> Meander() {
    auto pattern = std::make_unique<Pattern>();
    pattern->name = "meander";
    for (int i = 0; i < kPointsPerPattern; i++) {
        const int row = i / 200, column = i % 200;
        pattern->x.push_back(0.1f * static_cast<float>(row % 2 ? 199 - column : column));
        pattern->y.push_back(0.1f * static_cast<float>(row));
    }
    pattern->pointCount = kPointsPerPattern;
    UpdatePatternSize(pattern.get());
    return pattern;
}

// The view state at one scale: the frame and the marks of every placement, as
// the layout view computes them for a redraw; then the images through the hook.
void ComputeView(float scale, int shiftX, int shiftY) {
    SetViewScale(scale);
    ViewFrame frame = CurrentViewFrame();
    frame.scale = scale;
    frame.panX = shiftX;
    frame.panY = shiftY;
    const std::vector<PlacementMarks> marks = LayoutMarks(frame, CurrentPatternBox());
    std::printf("view at %.4f in/px: %zu placements marked\n", scale, marks.size());
    panX = shiftX;
    panY = shiftY;
#ifdef LONGARM_HAVE_UI
    DrawView(scale);
#endif
}

}  // namespace

int main() {
    SetLogStream(std::fopen("/dev/null", "w"));
    Report("start");
    interface = NewInterfaceStruct();
    SetFactoryDefaults();
    InitPatternBox();
    ClearLayout();
    ClearPatternList();

    // One 110 x 55 inch box holding the patterns five a row, each placed twice
    // (the second a quarter inch lower), so that the box's path has 1,000,000
    // points.
    PatternBox* box = GetPatternBox(CreatePatternBox());
    SetPatternBoxCorners(box, {{0, 55}, {110, 55}, {110, 0}, {0, 0}});
    SetPatternBoxOrigin(box);
    SetCurrentPatternBox(0);
    for (int i = 0; i < kPatterns; i++)
        AddPatternToList(i, Meander());
    for (int copy = 0; copy < 2; copy++)
        for (int i = 0; i < kPatterns; i++)
            NewPatternLayoutNode(i, -1, 0, static_cast<float>(i % 5) * 22,
                                 static_cast<float>(i / 5) * 5.5f + copy * 0.25f);
    Report("layout: 50 patterns, 100 placements");
#ifdef LONGARM_HAVE_UI
    if (!OpenView()) {
        std::puts("no display: run it under xvfb-run so that the view is measured too");
        return 1;
    }
    Report("layout view shown");
#else
    std::puts("core-only build: the layout view and its images are not measured");
#endif

    const ZoomFit fit = ComputeZoomAll(kViewWidth, kViewHeight, box, 108, 54.6f, 0, 0);
    ComputeView(fit.scale, fit.panX, fit.panY);
    Report("view fitted");
    ComputeView(kMinViewScale, -100, -100);
    Report("view at the closest zoom");

    if (PackFullPattern() != 0) {
        std::puts("the path was refused");
        return 1;
    }
    const int points = CountFullPattern(CurrentRun().fullPattern);
    std::printf("path: %d points\n", points);
    const long peak = Report("path packed");

    const bool within = peak > 0 && peak < kLimitKiB;
    std::printf("%s: peak %.1f MiB, limit 64 MiB\n", within ? "PASS" : "FAIL", peak / 1024.0);
    FreeFullPattern(CurrentRun().fullPattern);
    CurrentRun().fullPattern = nullptr;
    return within && points >= 1000000 ? 0 : 1;
}
