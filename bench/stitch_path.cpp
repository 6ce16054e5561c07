// Packing the stitch path before a run (the wait under "CREATING PATTERN OUTPUT
// FILE"): the 100,000-point sample pattern, and a layout of ten placements of
// it (1,000,000 pattern points). Reports the time and the peak of allocated
// memory per point of the finished path.
//
//   build/bin/bench_stitch_path
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "base/application_state.h"
#include "base/log.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/machine_parameters.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/stitch_path.h"
#include "pattern/pattern.h"

// Every allocation of the program is counted, so that the peak held while
// packing can be read.
namespace {
std::atomic<long> heldBytes{0};
std::atomic<long> peakBytes{0};

void* Allocate(size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    const long now = heldBytes += static_cast<long>(malloc_usable_size(p));
    long peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void Release(void* p) {
    if (!p) return;
    heldBytes -= static_cast<long>(malloc_usable_size(p));
    std::free(p);
}
}  // namespace

void* operator new(size_t size) {
    return Allocate(size);
}
void* operator new[](size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, size_t) noexcept {
    Release(p);
}

namespace {

constexpr int kGeneratedPoints = 100000;

// A meander of 100,000 points 0.1 inch apart: none is dropped when packing.
std::unique_ptr<Pattern> Meander() {
    auto pattern = std::make_unique<Pattern>();
    for (int i = 0; i < kGeneratedPoints; i++) {
        const int row = i / 200, column = i % 200;
        pattern->x.push_back(0.1f * (row % 2 ? 199 - column : column));
        pattern->y.push_back(0.1f * row);
    }
    pattern->pointCount = kGeneratedPoints;
    UpdatePatternSize(pattern.get());
    return pattern;
}

// The sample pattern (kind 0) or the meander (kind 1) placed `copies` times
// side by side in one box.
bool MakeLayout(int kind, int copies) {
    SetLogStream(std::fopen("/dev/null", "w"));
    SetFactoryDefaults();
    InitPatternBox();
    ClearLayout();
    ClearPatternList();
    auto pattern = kind == 0 ? std::make_unique<Pattern>() : Meander();
    if (kind == 0 && !openPattern(pattern.get(), LONGARM_SOURCE_DIR "/data/patterns/large.qcc"))
        return false;
    const float width = pattern->width;
    AddPatternToList(0, std::move(pattern));
    const int box = CreatePatternBox();
    SetCurrentPatternBox(box);
    for (int i = 0; i < copies; i++)
        AppendLayoutNode(0, -1, 0, i * (width + 1.0f), 0, box);
    return true;
}

void PackLayout(benchmark::State& state) {
    if (!MakeLayout(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)))) {
        state.SkipWithError("data/patterns/large.qcc did not load");
        return;
    }
    long points = 0;
    long peakPerPack = 0;
    for (auto _ : state) {
        FreeFullPattern(CurrentRun().fullPattern);
        CurrentRun().fullPattern = nullptr;
        const long before = heldBytes.load();
        peakBytes = before;
        PackFullPattern();
        peakPerPack = std::max(peakPerPack, peakBytes.load() - before);
        points = CountFullPattern(CurrentRun().fullPattern);
    }
    const double patternPoints =
        static_cast<double>(state.range(0) == 0 ? 100000 : kGeneratedPoints) * state.range(1);
    state.counters["pattern_points"] = patternPoints;
    state.counters["path_points"] = static_cast<double>(points);
    state.counters["time_per_pattern_point"] = benchmark::Counter(
        patternPoints * state.iterations(),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
    state.counters["time_per_point"] = benchmark::Counter(
        static_cast<double>(points) * state.iterations(),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
    state.counters["peak_bytes_per_point"] = points ? static_cast<double>(peakPerPack) / points : 0;
    FreeFullPattern(CurrentRun().fullPattern);
    CurrentRun().fullPattern = nullptr;
    ClearLayout();
    ClearPatternList();
}
// {0, n}: the sample pattern n times; {1, 10}: ten meanders, a 1,000,000-point path.
BENCHMARK(PackLayout)
    ->Args({0, 1})
    ->Args({0, 10})
    ->Args({1, 10})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
