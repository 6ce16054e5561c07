// Autoscale (SMARTSCALE): the wait at the machine while a pattern is grown
// into its box. Every sample pattern of data/patterns/ (up to the
// 100,000-point one) and a generated 10,000-point rose, each into a 40 x 30
// inch rectangle, a triangle and a five-sided box, keeping the proportions
// (keep) and not (free). Counters: passes of the bounce, how much of the box
// the result fills (hull area / box area) and the free play left along x and
// along y (inches the fitted hull can still move across and down).
//
//   build/bin/bench_autoscale
//   build/bin/bench_autoscale --benchmark_filter=rose
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/application_state.h"
#include "base/log.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/placement/autoscale.h"
#include "layout/placement/box_centre.h"
#include "layout/placement/convex_hull.h"
#include "layout/placement/hull_bounce.h"
#include "pattern/pattern.h"

namespace {

constexpr int kRosePoints = 10000;

struct Box {
    const char* name;
    std::vector<QuiltPoint> corners;  // walked as a quilter draws them
};

const Box kBoxes[] = {
    {"rectangle", {{0, 0}, {0, 30}, {40, 30}, {40, 0}}},
    {"triangle", {{0, 0}, {0, 30}, {40, 30}}},
    {"pentagon", {{0, 8}, {12, 30}, {28, 30}, {40, 8}, {20, 0}}},
};

// A five-petal rose of 10,000 points, 6 inches across.
std::unique_ptr<Pattern> Rose() {
    auto p = std::make_unique<Pattern>();
    p->name = "rose";
    for (int i = 0; i < kRosePoints; i++) {
        const double t = 2 * 3.141592653589793 * i / kRosePoints;
        const double r = 3 * std::cos(5 * t);
        p->x.push_back(static_cast<float>(3 + r * std::cos(t)));
        p->y.push_back(static_cast<float>(3 + r * std::sin(t)));
    }
    p->pointCount = kRosePoints;
    UpdatePatternSize(p.get());
    p->baseWidth = p->width;
    p->baseHeight = p->height;
    return p;
}

std::unique_ptr<Pattern> Sample(const std::string& name) {
    if (name == "rose") return Rose();
    auto p = std::make_unique<Pattern>();
    const std::string path = LONGARM_SOURCE_DIR "/data/patterns/" + name + ".qcc";
    if (!openPattern(p.get(), path.c_str())) return nullptr;
    return p;
}

// The fitted pattern's hull and how it sits in the box polygon.
struct Filled {
    double share = 0;            // hull area / box area
    float playX = 0, playY = 0;  // inches
};

// Free play of the hull along one axis: the bounce's travel less the step it
// makes beyond each wall.
float PlayAlong(const PointArray* box, const PointArray* hull, int mode, float direction) {
    PointArrayPtr copy = CopyHull(hull);
    Bounce b;
    b.mode = mode;
    b.direction = direction;
    const float travel = HullBounce(box, copy.get(), b, nullptr);
    return std::max(0.0f, travel - 2 * b.step);
}

Filled Measure(const LayoutNode* node) {
    Filled f;
    PointArrayPtr box(BoxPolygon(GetPatternBox(0)));
    PointArrayPtr hull = ConvexHull(GetPattern(node->patternIndex), node->x, node->y);
    f.share = PolygonArea(hull.get()) / PolygonArea(box.get());
    f.playX = PlayAlong(box.get(), hull.get(), kBounceAlongX, 3.1415927f);
    f.playY = PlayAlong(box.get(), hull.get(), kBounceAlongY, 3 * 3.1415927f / 2);
    return f;
}

void AutoScaleInto(benchmark::State& state, const std::string& pattern, const Box& shape,
                   int mode) {
    static FILE* devNull = std::fopen("/dev/null", "w");
    SetLogStream(devNull);
    const std::unique_ptr<Pattern> source = Sample(pattern);
    if (!source) {
        state.SkipWithError(("cannot load " + pattern).c_str());
        return;
    }
    AutoScaleReport report;
    LayoutNode* node = nullptr;
    for (auto _ : state) {
        state.PauseTiming();
        InitPatternBox();
        ClearLayout();
        ClearPatternList();
        const int box = CreatePatternBox();
        bool first = true;
        for (const QuiltPoint& c : shape.corners) {
            AddPatternBoxPoint(GetPatternBox(box), c.x, c.y, first, 0);
            first = false;
        }
        SetPatternBoxOrigin(GetPatternBox(box));
        SetCurrentPatternBox(box);
        AddPatternToList(0, std::make_unique<Pattern>(*source));
        node = NewPatternLayoutNode(0, -1, 0, 1, 1);
        operationRunning = 1;
        state.ResumeTiming();
        if (AutoScale(node, mode, &report) != kAutoScaleDone) {
            state.SkipWithError("autoscale failed");
            return;
        }
    }
    const Filled f = Measure(node);
    state.counters["points"] = source->pointCount;
    state.counters["passes"] = report.passes;
    state.counters["fill"] = f.share;
    state.counters["play_x_in"] = f.playX;
    state.counters["play_y_in"] = f.playY;
    ClearLayout();
    ClearPatternList();
}

void RegisterAll() {
    const char* patterns[] = {"stars", "loops", "border", "meander", "rose", "large"};
    for (const char* pattern : patterns)
        for (const Box& box : kBoxes)
            for (int mode : {kKeepProportions, kScaleIndependently}) {
                const std::string name = std::string("autoscale/") + pattern + "/" + box.name +
                                         (mode == kKeepProportions ? "/keep" : "/free");
                benchmark::RegisterBenchmark(
                    name.c_str(),
                    [=](benchmark::State& s) { AutoScaleInto(s, pattern, box, mode); })
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(3);
            }
}

}  // namespace

int main(int argc, char** argv) {
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
