// The layout view with 50 placed patterns of 10,000 points each: rasterising
// every pattern image (time per point), a zoom (which makes the images again
// and rebuilds the grid), and a full redraw of the view on the screen, fitted
// and close up. image_MB is what the view's pattern images hold afterwards.
// Needs a display:
//
//   xvfb-run -a build/bin/bench_layout_view
#include <benchmark/benchmark.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <cmath>
#include <memory>

#include "base/application_state.h"
#include "base/screen_config.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/view_images.h"
#include "layout/view_transform.h"
#include "pattern/pattern.h"
#include "pattern/pattern_image.h"
#include "ui/drawing_area.h"
#include "ui/interface.h"
#include "ui/layout_view.h"
#include "ui/widget_helpers.h"

namespace {

constexpr int kPatterns = 50;
constexpr int kPointsPerPattern = 10000;

std::unique_ptr<Pattern> Spiral(int seed) {
    auto pattern = std::make_unique<Pattern>();
    for (int i = 0; i < kPointsPerPattern; i++) {
        const float t = static_cast<float>(i) / kPointsPerPattern;
        const float angle = t * 60.0f + static_cast<float>(seed);
        pattern->x.push_back(3.0f + 3.0f * t * std::cos(angle));
        pattern->y.push_back(3.0f + 3.0f * t * std::sin(angle));
    }
    pattern->pointCount = kPointsPerPattern;
    UpdatePatternSize(pattern.get());
    return pattern;
}

GtkWidget* window = nullptr;

// The layout (one 60 x 30 inch box, ten patterns a row) and a shown layout view.
bool Setup() {
    static int state = -1;
    if (state >= 0) return state == 1;
    state = 0;
    if (!gtk_init_check(nullptr, nullptr)) return false;
    if (chdir(LONGARM_SOURCE_DIR) != 0) return false;  // the program's images
    ParseConfigFile("/nonexistent/screen.conf");
    interface = NewInterfaceStruct();
    InitPatternBox();
    InitArrays();
    PatternBox* box = GetPatternBox(CreatePatternBox());
    SetPatternBoxCorners(box, {{0, 30}, {60, 30}, {60, 0}, {0, 0}});
    SetPatternBoxOrigin(box);
    SetCurrentPatternBox(0);
    for (int i = 0; i < kPatterns; i++) {
        AddPatternToList(i, Spiral(i));
        NewPatternLayoutNode(i, -1, 0, static_cast<float>(i % 10) * 6,
                             static_cast<float>(i / 10) * 6);
    }

    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    GtkWidget* area = SetDrawingArea(kAreaLayoutView);
    gtk_container_add(GTK_CONTAINER(window), area);
    gtk_widget_show_all(window);
    while (gtk_events_pending())
        gtk_main_iteration();
    zoomed = 0;
    ZoomAll(area->window);
    state = 1;
    return true;
}

// The bytes of pattern images the view holds, in MB.
double ImageMB() {
    return static_cast<double>(PatternImagesInUse().bytes) / 1e6;
}

void Redraw() {
    GdkWindow* w = interface->drawingArea->window;
    gdk_window_invalidate_rect(w, nullptr, FALSE);
    gdk_window_process_updates(w, TRUE);
    gdk_display_sync(gdk_display_get_default());
}

// Rasterising all 50 whole images at the fitted scale (about 0.19 inch per
// pixel), as the view draws them when it first shows them.
void BM_RasterisePatternImages(benchmark::State& state) {
    if (!Setup()) return state.SkipWithError("no display");
    const float scale = ViewScale();
    for (auto _ : state) {
        for (int i = 0; i < kPatterns; i++) {
            PatternImageMask mask;
            PatternImageSize(GetPattern(i), scale, &mask.width, &mask.height);
            DrawPatternMask(GetPattern(i), scale, -1, mask);
            benchmark::DoNotOptimize(mask.ink.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * kPatterns * kPointsPerPattern);
    state.counters["ns_per_point"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kPatterns * kPointsPerPattern,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["scale_in_per_px"] = scale;
}
BENCHMARK(BM_RasterisePatternImages)->Unit(benchmark::kMillisecond);

// Zoom All, then the redraw: every image and the grid rebuilt and drawn.
void BM_ZoomAllAndRedraw(benchmark::State& state) {
    if (!Setup()) return state.SkipWithError("no display");
    for (auto _ : state) {
        SetViewScale(0.5f);  // so that zoom to fit changes the scale
        zoomed = 0;
        SetZoomAll();
        Redraw();
    }
    state.counters["image_MB"] = ImageMB();
}
BENCHMARK(BM_ZoomAllAndRedraw)->Unit(benchmark::kMillisecond);

// A redraw of the fitted view (a pan, a move or a status change).
void BM_Redraw(benchmark::State& state) {
    if (!Setup()) return state.SkipWithError("no display");
    Redraw();
    for (auto _ : state)
        Redraw();
    state.counters["image_MB"] = ImageMB();
}
BENCHMARK(BM_Redraw)->Unit(benchmark::kMillisecond);

// Zooming in close up and the redraw that follows: the images are made again
// at the new scale (alternating 0.010 and 0.011 inch per pixel).
void BM_ZoomCloseUpAndRedraw(benchmark::State& state) {
    if (!Setup()) return state.SkipWithError("no display");
    const float saved = ViewScale();
    zoomed = 1;
    panX = -100;
    panY = -100;
    int n = 0;
    for (auto _ : state) {
        SetViewScale(n++ % 2 ? 0.011f : 0.010f);
        RefreshPatternPix();
        Redraw();
    }
    state.counters["image_MB"] = ImageMB();
    SetViewScale(saved);
    zoomed = 0;
    RefreshPatternPix();
}
BENCHMARK(BM_ZoomCloseUpAndRedraw)->Unit(benchmark::kMillisecond);

// A redraw close up (0.01 inch per pixel), where most of each large image lies
// outside the view.
void BM_RedrawCloseUp(benchmark::State& state) {
    if (!Setup()) return state.SkipWithError("no display");
    const float saved = ViewScale();
    SetViewScale(0.01f);
    zoomed = 1;
    RefreshPatternPix();
    panX = -100;
    panY = -100;
    Redraw();
    for (auto _ : state)
        Redraw();
    state.counters["image_MB"] = ImageMB();
    SetViewScale(saved);
    zoomed = 0;
    RefreshPatternPix();
}
BENCHMARK(BM_RedrawCloseUp)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
