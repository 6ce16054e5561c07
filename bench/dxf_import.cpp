// DXF conversion throughput on a large generated drawing (about 4.7 MB), and
// the nearest-neighbour chain order on 10,000 chains (fast against plain).
// When dxflib is installed (libdxflib-dev) the same drawing is also parsed by
// dxflib with an adapter that keeps nothing, the bare parse the conversion is
// compared with: BM_ConvertLargeDrawing / BM_DxflibBareParse is the ratio.
//
//   build/bin/bench_dxf_import
//   build/bin/bench_dxf_import --write-drawing FILE   (only writes the drawing)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#ifdef LONGARM_HAVE_DXFLIB
#include <dl_creationadapter.h>
#include <dl_dxf.h>
#endif

#include "pattern/import/chain_order.h"
#include "pattern/import/convert_dxf.h"
#include "support/temp_dir.h"

namespace {

struct Lcg {
    std::uint64_t state;
    double Unit() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return double(state >> 11) / 9007199254740992.0;
    }
};

void Pair(std::string& out, int code, double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%3d\n%.6f\n", code, value);
    out += text;
}

// A 60 x 40 inch drawing of 23,250 entities (4.7 MB): lines, light-weight
// polylines, arcs and circles scattered at random.
std::string LargeDrawing() {
    Lcg r{42};
    std::string out = "  0\nSECTION\n  2\nENTITIES\n";
    for (int i = 0; i < 23250; i++) {
        double x = r.Unit() * 60.0, y = r.Unit() * 40.0;
        switch (i % 4) {
            case 0:
                out += "  0\nLINE\n  8\nQuilt\n";
                Pair(out, 10, x);
                Pair(out, 20, y);
                Pair(out, 11, x + r.Unit() * 2.0);
                Pair(out, 21, y + r.Unit() * 2.0);
                break;
            case 1:
                out += "  0\nLWPOLYLINE\n  8\nQuilt\n 90\n20\n";
                for (int v = 0; v < 20; v++) {
                    Pair(out, 10, x + v * 0.1);
                    Pair(out, 20, y + 0.3 * std::sin(v * 0.5));
                }
                break;
            case 2:
                out += "  0\nARC\n  8\nQuilt\n";
                Pair(out, 10, x);
                Pair(out, 20, y);
                Pair(out, 40, 0.5 + r.Unit());
                Pair(out, 50, r.Unit() * 360.0);
                Pair(out, 51, r.Unit() * 360.0);
                break;
            default:
                out += "  0\nCIRCLE\n  8\nQuilt\n";
                Pair(out, 10, x);
                Pair(out, 20, y);
                Pair(out, 40, 0.3 + r.Unit() * 0.7);
                break;
        }
    }
    return out + "  0\nENDSEC\n  0\nEOF\n";
}

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};

bool WriteFile(const std::string& path, const std::string& text) {
    std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "wb"));
    return f && std::fwrite(text.data(), 1, text.size(), f.get()) == text.size();
}

// The drawing as a file of a temporary folder, written once.
const std::string& DrawingFile() {
    static TempDir dir;
    static std::string path;
    if (path.empty() && WriteFile(dir.File("large.dxf"), LargeDrawing()))
        path = dir.File("large.dxf");
    return path;
}

// Opening the file is part of each conversion, as it is of dxflib's parse.
void BM_ConvertLargeDrawing(benchmark::State& state) {
    TempDir dir;  // the conversion's ./dxf.log goes here
    char previous[4096];
    const std::string& drawing = DrawingFile();
    if (drawing.empty() || !getcwd(previous, sizeof previous) || chdir(dir.path.c_str()) != 0) {
        state.SkipWithError("no working folder");
        return;
    }
    std::unique_ptr<FILE, FileCloser> target(std::tmpfile());
    long points = 0;
    long bytes = 0;
    for (auto _ : state) {
        std::unique_ptr<FILE, FileCloser> source(std::fopen(drawing.c_str(), "rb"));
        std::rewind(target.get());
        if (ConvertDXF(source.get(), target.get()) != 0) state.SkipWithError("conversion failed");
        std::fflush(target.get());
        state.PauseTiming();  // counting the points is no part of the conversion
        bytes = std::ftell(source.get());
        points = 0;
        std::rewind(target.get());
        char line[128];
        while (std::fgets(line, sizeof line, target.get()))
            points += line[0] == 'p';
        state.ResumeTiming();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * bytes);
    state.counters["points"] = double(points);
    state.counters["points_per_second"] = benchmark::Counter(
        double(points) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["MB"] = double(bytes) / 1e6;
    if (chdir(previous) != 0) state.SkipWithError("cannot return to the working folder");
}
BENCHMARK(BM_ConvertLargeDrawing)->Unit(benchmark::kMillisecond);

#ifdef LONGARM_HAVE_DXFLIB
// dxflib reads the same file and hands every entity to an adapter that drops it.
void BM_DxflibBareParse(benchmark::State& state) {
    const std::string& drawing = DrawingFile();
    if (drawing.empty()) return state.SkipWithError("no drawing");
    for (auto _ : state) {
        DL_Dxf dxf;
        DL_CreationAdapter ignore;
        if (!dxf.in(drawing, &ignore)) state.SkipWithError("dxflib cannot read the drawing");
    }
}
BENCHMARK(BM_DxflibBareParse)->Unit(benchmark::kMillisecond);
#endif

ChainList RandomChains(int chains) {
    Lcg r{7};
    ChainList list;
    InitChainList(list);
    for (int c = 0; c < chains; c++) {
        if (c > 0) OpenChain(list);
        double x = r.Unit() * 60.0, y = r.Unit() * 40.0;
        newPoint(list, x, y);
        newPoint(list, x + r.Unit(), y + r.Unit());
    }
    return list;
}

void BM_OrderChainsNearest(benchmark::State& state) {
    ChainList list = RandomChains(int(state.range(0)));
    ImportProgress progress;
    for (auto _ : state)
        benchmark::DoNotOptimize(OrderChainsNearest(list, progress));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OrderChainsNearest)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_OrderChainsPlain(benchmark::State& state) {
    ChainList list = RandomChains(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(OrderChainsPlain(list));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OrderChainsPlain)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-drawing") == 0)
        return WriteFile(argv[2], LargeDrawing()) ? 0 : 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
