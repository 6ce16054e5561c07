// Pattern file speed on the 100,000-point sample: loading, saving (with the
// flush to the medium) and drawing thumbnails.
//   build/bin/bench_pattern_file
#include <benchmark/benchmark.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdio>
#include <string>

#include "pattern/pattern.h"
#include "pattern/pattern_image.h"
#include "pattern/pattern_thumbnail.h"
#include "support/temp_dir.h"

namespace {

const std::string kLarge = std::string(LONGARM_SOURCE_DIR) + "/data/patterns/large.qcc";

void BM_LoadPatternFile(benchmark::State& state) {
    int points = 0;
    for (auto _ : state) {
        auto pattern = newPattern(kLarge.c_str(), 0);
        if (!pattern) {
            state.SkipWithError("could not load the sample");
            return;
        }
        points = pattern->pointCount;
    }
    state.SetItemsProcessed(state.iterations() * points);
}
BENCHMARK(BM_LoadPatternFile)->Unit(benchmark::kMillisecond);

void BM_SavePatternFile(benchmark::State& state) {
    auto pattern = newPattern(kLarge.c_str(), 0);
    if (!pattern) {
        state.SkipWithError("could not load the sample");
        return;
    }
    TempDir dir;
    std::string out = dir.File("large.qcc");
    for (auto _ : state) {
        if (!savePattern(pattern.get(), out.c_str())) {
            state.SkipWithError("could not save");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * pattern->pointCount);
}
BENCHMARK(BM_SavePatternFile)->Unit(benchmark::kMillisecond);

void BM_DrawThumbnail(benchmark::State& state) {
    auto pattern = newPattern(kLarge.c_str(), 0);
    if (!pattern) {
        state.SkipWithError("could not load the sample");
        return;
    }
    for (auto _ : state) {
        GdkPixbuf* image = RenderPatternThumbnail(pattern.get(), 140, 80);
        benchmark::DoNotOptimize(image);
        g_object_unref(image);
    }
    state.SetItemsProcessed(state.iterations() * pattern->pointCount);
}
BENCHMARK(BM_DrawThumbnail)->Unit(benchmark::kMillisecond);

// The pattern chooser's path when no cached thumbnail exists: load, draw,
// encode and write the PNG.
void BM_ThumbnailFromFileUncached(benchmark::State& state) {
    TempDir dir;
    std::string folder = dir.File("thumbnails/");
    for (auto _ : state) {
        state.PauseTiming();
        std::remove((folder + "large.png").c_str());
        state.ResumeTiming();
        GdkPixbuf* image = GetPatternThumbnail(kLarge.c_str(), folder.c_str(), 140, 80);
        if (!image) {
            state.SkipWithError("no thumbnail");
            return;
        }
        g_object_unref(image);
    }
}
BENCHMARK(BM_ThumbnailFromFileUncached)->Unit(benchmark::kMillisecond);

void BM_ThumbnailFromFileCached(benchmark::State& state) {
    TempDir dir;
    std::string folder = dir.File("thumbnails/");
    GdkPixbuf* first = GetPatternThumbnail(kLarge.c_str(), folder.c_str(), 140, 80);
    if (first) g_object_unref(first);
    for (auto _ : state) {
        GdkPixbuf* image = GetPatternThumbnail(kLarge.c_str(), folder.c_str(), 140, 80);
        if (!image) {
            state.SkipWithError("no thumbnail");
            return;
        }
        g_object_unref(image);
    }
}
BENCHMARK(BM_ThumbnailFromFileCached)->Unit(benchmark::kMillisecond);

// The layout view's pattern image of the 15-inch sample at 0.05 inch per pixel.
void BM_DrawPatternImage(benchmark::State& state) {
    auto pattern = newPattern(kLarge.c_str(), 0);
    if (!pattern) {
        state.SkipWithError("could not load the sample");
        return;
    }
    GdkPixbuf* image = CreatePixbufFromPattern(pattern.get(), 0.05f);
    for (auto _ : state)
        benchmark::DoNotOptimize(DrawPattern(image, pattern.get(), 0, 0, 0.05f, -1));
    g_object_unref(image);
    state.SetItemsProcessed(state.iterations() * pattern->pointCount);
}
BENCHMARK(BM_DrawPatternImage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
