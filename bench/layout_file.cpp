// Save and load of a layout file holding 50 patterns of 10,000 points each
// (about 4 MB), placed in two boxes, with the quilt area measured: the time a
// quilter waits for Save Layout and Open Layout, and the undo step before
// every edit.
//
//   build/bin/bench_layout_file
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <memory>
#include <string>

#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "pattern/pattern.h"
#include "support/temp_dir.h"

namespace {

constexpr int kPatterns = 50;
constexpr int kPointsPerPattern = 10000;

// A spiral of 10,000 points in a 6-inch square, with a few commands.
std::unique_ptr<Pattern> Spiral(int seed) {
    auto pattern = std::make_unique<Pattern>();
    pattern->name = "spiral" + std::to_string(seed);
    for (int i = 0; i < kPointsPerPattern; i++) {
        const float t = static_cast<float>(i) / kPointsPerPattern;
        const float angle = t * 60.0f + static_cast<float>(seed);
        pattern->x.push_back(3.0f + 3.0f * t * std::cos(angle));
        pattern->y.push_back(3.0f + 3.0f * t * std::sin(angle));
    }
    pattern->pointCount = kPointsPerPattern;
    pattern->commandType = {PatternCommandType{}, PatternCommandType{}};
    pattern->commandPoint = {1, kPointsPerPattern / 2};
    pattern->commandCount = 2;
    UpdatePatternSize(pattern.get());
    pattern->baseWidth = pattern->width;
    pattern->baseHeight = pattern->height;
    return pattern;
}

void BuildLayout() {
    FreeLayout();
    InitPatternBox();
    extents = std::make_unique<PatternBox>();
    SetPatternBoxCorners(extents.get(), {{0, 0}, {120, 0}, {120, 60}, {0, 60}});
    SetPatternBoxOrigin(extents.get());
    for (int b = 0; b < 2; b++) {
        PatternBox* box = GetPatternBox(CreatePatternBox());
        const float x0 = 60.0f * static_cast<float>(b);
        SetPatternBoxCorners(box, {{x0, 60}, {x0 + 60, 60}, {x0 + 60, 0}, {x0, 0}});
        SetPatternBoxOrigin(box);
    }
    for (int i = 0; i < kPatterns; i++) {
        AddPatternToList(i, Spiral(i));
        AppendLayoutNode(i, -1, 0, static_cast<float>(i % 10) * 6, static_cast<float>(i / 10) * 6,
                         i % 2);
    }
}

void BM_SaveLayout(benchmark::State& state) {
    TempDir dir;
    BuildLayout();
    const std::string path = dir.File("bench");
    for (auto _ : state)
        if (!SaveLayout(path.c_str(), 0, 1)) state.SkipWithError("save failed");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(SerializeLayout().size()));
}
BENCHMARK(BM_SaveLayout)->Unit(benchmark::kMillisecond);

void BM_LoadLayout(benchmark::State& state) {
    TempDir dir;
    BuildLayout();
    const std::string path = dir.File("bench");
    SaveLayout(path.c_str(), 0, 1);
    const std::string file = path + ".qlf";
    for (auto _ : state) {
        if (!LoadLayout(file.c_str(), 1, 1)) state.SkipWithError("load failed");
        if (patternList.count != kPatterns) state.SkipWithError("patterns missing");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(SerializeLayout().size()));
}
BENCHMARK(BM_LoadLayout)->Unit(benchmark::kMillisecond);

void BM_SerializeForCrashImage(benchmark::State& state) {
    BuildLayout();
    for (auto _ : state)
        benchmark::DoNotOptimize(SerializeLayout());
}
BENCHMARK(BM_SerializeForCrashImage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
