// Points per second that the streaming exchange (CheckBuffer + SendMove)
// reaches against the simulated board, next to the limit of the line itself:
// one point costs a status request and its answer (1 + 1 bytes) and a move
// frame and its answer (17 + 1 bytes), 20 bytes of 10 bits at 57600 baud, so
// the line carries at most 57600 / 200 = 288 points per second. Also reports
// the host's processor time per point (user + system, from getrusage).
//
//   build/bin/bench_serial_throughput
//
// "LineRate" runs the simulator with real line timing (--line-rate); "Pty"
// without it, which shows the host's own cost per exchange. The simulated head
// runs 1000 times faster than real time so its queue drains and every status
// poll finds room; a poll that finds the queue full is counted as well.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "machine/mc1_commands.h"
#include "machine/mc1_motion.h"
#include "machine/serial_link.h"
#include "support/mc1sim_fixture.h"

namespace {

constexpr double kLineLimitPointsPerSecond = 57600.0 / ((1 + 1 + 17 + 1) * 10);

double CpuSeconds() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void StreamPoints(benchmark::State& state, bool lineRate) {
    std::vector<std::string> args = {"--time-scale", "1000"};
    if (lineRate) args.push_back("--line-rate");
    Mc1Sim sim(args);
    if (!sim.running) {
        state.SkipWithError(("simulator did not start: " + sim.error).c_str());
        return;
    }
    SetSerialDevicePath(sim.device);
    if (OpenPort() < 0) {
        state.SkipWithError("could not open the simulated line");
        return;
    }
    ClearPort();
    AllStop();
    SetHome();
    EnableX();
    EnableY();

    int64_t points = 0, polls = 0, fullPolls = 0, failures = 0;
    const double cpuStart = CpuSeconds();
    for (auto _ : state) {
        // Wait for room, then send the next point of a small zig-zag.
        for (;;) {
            unsigned char status = 0;
            int32_t word = 0;
            polls++;
            const int r = CheckBuffer(&status, &word);
            if (r != 0) {
                failures++;
                continue;
            }
            if (status == kBufferDone || (status > 0 && status <= kBufferEmpty)) break;
            fullPolls++;
        }
        const float x = static_cast<float>((points % 40) * 25);
        const float y = static_cast<float>((points / 40 % 2) * 25);
        if (SendMove(x, y, 50.0f) != 0) failures++;
        points++;
    }
    const double cpu = CpuSeconds() - cpuStart;
    ClosePort();
    SetSerialDevicePath("");

    state.SetItemsProcessed(points);
    state.counters["points_per_s"] =
        benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsRate);
    state.counters["line_limit_points_per_s"] = kLineLimitPointsPerSecond;
    state.counters["host_cpu_us_per_point"] = points ? cpu * 1e6 / static_cast<double>(points) : 0;
    state.counters["polls_per_point"] =
        points ? static_cast<double>(polls) / static_cast<double>(points) : 0;
    state.counters["full_polls"] = static_cast<double>(fullPolls);
    state.counters["failed_exchanges"] = static_cast<double>(failures);
}

void BM_StreamLineRate(benchmark::State& state) {
    StreamPoints(state, true);
}
void BM_StreamPty(benchmark::State& state) {
    StreamPoints(state, false);
}

BENCHMARK(BM_StreamLineRate)->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(3.0);
BENCHMARK(BM_StreamPty)->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
