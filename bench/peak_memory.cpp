// Peak resident memory of the program's core at its largest: 50 patterns of
// 10,000 points placed in one box (the layout as the program holds it), the
// layout view's state computed at the fitted and at the closest zoom, and the
// stitch path of the box, 1,000,000 points, packed for a run. The controller
// has 128 MB; the program must stay under 64 MiB resident.
//
//   build/bin/bench_peak_memory
//
// Prints the peak resident size (VmHWM of /proc/self/status) after each stage
// and exits with status 1 when it passes 64 MiB.
//
// The view's pattern images are drawn by the user interface, which needs a
// display; they are not held here. addViewImages is where a build with the
// view adds them: it is called at each zoom with the view scale, after the
// core's view state is computed, and what it holds counts toward the peak.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/application_state.h"
#include "base/log.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/view_transform.h"
#include "machine/machine_parameters.h"
#include "machine/stitching/stitch_path.h"
#include "pattern/pattern.h"

namespace {

constexpr int kPatterns = 50;
constexpr int kPointsPerPattern = 10000;
constexpr int kViewWidth = 320, kViewHeight = 240;  // the default screen
constexpr long kLimitKiB = 64L * 1024;

// Hook for the view's pattern images at a view scale (inches per pixel).
void (*addViewImages)(float scale) = nullptr;

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
void ComputeView(float scale, int panX, int panY) {
    interface->viewScale = scale;
    ViewFrame frame = CurrentViewFrame();
    frame.scale = scale;
    frame.panX = panX;
    frame.panY = panY;
    const std::vector<PlacementMarks> marks = LayoutMarks(frame, interface->currentPatternBox);
    std::printf("view at %.4f in/px: %zu placements marked\n", scale, marks.size());
    if (addViewImages) addViewImages(scale);
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
    interface->currentPatternBox = 0;
    for (int i = 0; i < kPatterns; i++)
        AddPatternToList(i, Meander());
    for (int copy = 0; copy < 2; copy++)
        for (int i = 0; i < kPatterns; i++)
            NewPatternLayoutNode(i, -1, 0, static_cast<float>(i % 5) * 22,
                                 static_cast<float>(i / 5) * 5.5f + copy * 0.25f);
    Report("layout: 50 patterns, 100 placements");

    const ZoomFit fit = ComputeZoomAll(kViewWidth, kViewHeight, box, 108, 54.6f, 0, 0);
    ComputeView(fit.scale, fit.panX, fit.panY);
    Report("view fitted");
    ComputeView(kMinViewScale, 0, 0);
    Report("view at the closest zoom");

    if (PackFullPattern() != 0) {
        std::puts("the path was refused");
        return 1;
    }
    const int points = CountFullPattern(interface->fullPattern);
    std::printf("path: %d points\n", points);
    const long peak = Report("path packed");

    const bool within = peak > 0 && peak < kLimitKiB;
    std::printf("%s: peak %.1f MiB, limit 64 MiB\n", within ? "PASS" : "FAIL", peak / 1024.0);
    FreeFullPattern(interface->fullPattern);
    interface->fullPattern = nullptr;
    return within && points >= 1000000 ? 0 : 1;
}
