// Streaming during a whole run against the simulated board on a 57600-baud
// line (--line-rate): how many path points per second the run loop hands to
// the board, against the line's limit for one status poll plus one move frame
// (20 bytes of 10 bits: 288 moves a second), and how often the board's queue
// ran dry inside a stitched section.
//
// At time scale 1 the head moves at its real speed (0.1-inch moves at speed
// 40: 40 moves a second) and the queue must never run dry; at higher scales
// the motion outruns the line and the loop's own rate shows.
//
//   build/bin/bench_run_streaming
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "base/application_state.h"
#include "base/log.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/machine_parameters.h"
#include "machine/serial_link.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/run_flags.h"
#include "pattern/pattern.h"
#include "support/mc1sim_fixture.h"
#include "support/run_record.h"

namespace {

// The board's motion model: seconds a move of `length` thousandths takes.
double MoveSeconds(double length, double feed, int speedSetting, int minimumSpeedSetting,
                   double timeScale) {
    const double minimumFeed = std::max(minimumSpeedSetting * 10.0 / 6.0, 0.1);
    const double inchesPerSecond =
        std::max(feed, minimumFeed) / 100.0 * std::max(speedSetting, 1) / 10.0;
    return length / 1000.0 / inchesPerSecond / timeScale;
}

// Counts the places inside stitched stretches where the head arrived later than
// the motion model allows after the previous arrival: the board's queue had
// run empty and the head stood still for more than toleranceMs. Only pairs of
// consecutive stitched moves count. longestMs receives the longest wait.
int CountQueueGaps(const std::vector<RecordedMove>& moves, int speedSetting,
                   int minimumSpeedSetting, double timeScale, double toleranceMs,
                   double* longestMs) {
    int gaps = 0;
    double longest = 0;
    for (size_t i = 1; i < moves.size(); i++) {
        const RecordedMove& a = moves[i - 1];
        const RecordedMove& b = moves[i];
        if (!a.stitching || !b.stitching) continue;
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        if (length < 0.5) continue;  // the same point sent again, not a stitch
        const double modelMs =
            1000.0 * MoveSeconds(length, b.feed, speedSetting, minimumSpeedSetting, timeScale);
        const double waitedMs = b.tMs - a.tMs - modelMs;
        longest = std::max(longest, waitedMs);
        if (waitedMs > toleranceMs) gaps++;
    }
    if (longestMs) *longestMs = longest;
    return gaps;
}

constexpr int kPoints = 400;
constexpr double kLineMovesPerSecond = 57600.0 / 10.0 / 20.0;

// One box with a straight stitched line of kPoints points 0.1 inch apart.
void MakeLayout() {
    InitPatternBox();
    ClearLayout();
    ClearPatternList();
    const int box = CreatePatternBox();
    GetPatternBox(box)->x = GetPatternBox(box)->y = 1.0f;
    SetCurrentPatternBox(box);
    auto pattern = std::make_unique<Pattern>();
    for (int i = 0; i < kPoints; i++) {
        pattern->x.push_back(0.1f * i);
        pattern->y.push_back(0.0f);
    }
    pattern->pointCount = kPoints;
    UpdatePatternSize(pattern.get());
    AddPatternToList(0, std::move(pattern));
    AppendLayoutNode(0, -1, 0, 0, 0, box);
}

void StreamRun(benchmark::State& state) {
    const int timeScale = static_cast<int>(state.range(0));
    SetLogStream(std::fopen("/dev/null", "w"));
    UserInterfaceHooks ui;
    ui.showMessage = [](int, int, const char*) { return kResponseOk; };
    ui.showMessageSpecial = [](int, const char*, const char*, int) { return kResponseOk; };
    SetUserInterfaceHooks(ui);
    SetRunControlHooks({});
    double rate = 0, gaps = 0, longest = 0, emptyPolls = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Mc1Sim sim({"--time-scale", std::to_string(timeScale), "--line-rate"});
        if (!sim.running) {
            state.SkipWithError("simulator did not start");
            return;
        }
        SetSerialDevicePath(sim.device);
        OpenPort();
        SetFactoryDefaults();
        Machine().stitchRep = 0;
        stitching = 1;
        MakeLayout();
        state.ResumeTiming();

        startButtonReleased();

        state.PauseTiming();
        ClosePort();
        const std::vector<RecordedMove> moves = StitchedMoves(ReadRunRecord(sim.recordPath));
        if (moves.size() > 2)
            rate = (moves.size() - 1) * 1000.0 / (moves.back().tMs - moves.front().tMs);
        gaps = CountQueueGaps(ReadRunRecord(sim.recordPath), static_cast<int>(Machine().maxSpeed),
                              2, timeScale, 3.0, &longest);
        emptyPolls = static_cast<double>(runStatistics.emptyInSection);
        state.ResumeTiming();
    }
    state.counters["stitched_moves_per_s"] = rate;
    state.counters["line_limit_moves_per_s"] = kLineMovesPerSecond;
    state.counters["queue_gaps"] = gaps;
    state.counters["longest_wait_ms"] = longest;
    state.counters["idle_polls_in_section"] = emptyPolls;
    ClearLayout();
    ClearPatternList();
    SetUserInterfaceHooks({});
}
BENCHMARK(StreamRun)->Arg(1)->Arg(4)->Arg(20)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
