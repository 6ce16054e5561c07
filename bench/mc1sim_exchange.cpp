// Round-trip time of board exchanges through the simulated board: one status
// poll, and one accepted move frame (the two exchanges of the streaming loop).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstring>

#include "support/mc1sim_fixture.h"

namespace {

std::vector<uint8_t> Move(int32_t x100) {
    std::vector<uint8_t> frame = {0x21};
    int32_t fields[4] = {x100, 0, 100000, x100 + 100000};
    for (int32_t f : fields) {
        uint8_t b[4];
        std::memcpy(b, &f, 4);
        frame.insert(frame.end(), b, b + 4);
    }
    return frame;
}

void BM_StatusPoll(benchmark::State& state) {
    Mc1Sim sim;
    int fd = sim.running ? OpenRawDevice(sim.device) : -1;
    if (fd < 0) {
        state.SkipWithError("simulator did not start");
        return;
    }
    for (auto _ : state) {
        WriteBytes(fd, {0x22});
        if (ReadBytes(fd, 1, 1000).size() != 1) state.SkipWithError("no status");
    }
    close(fd);
}
BENCHMARK(BM_StatusPoll)->Unit(benchmark::kMicrosecond);

void BM_MoveFrame(benchmark::State& state) {
    Mc1Sim sim({"--time-scale", "1000000"});
    int fd = sim.running ? OpenRawDevice(sim.device) : -1;
    if (fd < 0) {
        state.SkipWithError("simulator did not start");
        return;
    }
    int32_t x = 0;
    for (auto _ : state) {
        WriteBytes(fd, Move(x += 100));
        std::vector<uint8_t> reply = ReadBytes(fd, 1, 1000);
        if (reply.size() != 1 || reply[0] != 0x0B) state.SkipWithError("move not accepted");
    }
    close(fd);
}
BENCHMARK(BM_MoveFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
