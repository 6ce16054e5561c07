// Time of a full firmware upload to the simulated board at 57600 baud, next to
// the line's own limit: every byte the host sends takes 10 bits, so the
// upload cannot take less than (bytes sent) x 10 / 57600 seconds. The image
// fills program rows 0 to 1499 (all but the loader's own), four EEPROM rows
// and three configuration words.
//
//   build/bin/bench_firmware_upload
//
// "LineRate" runs the simulator with real line timing (--line-rate); "Pty"
// without it, which shows the cost of the exchange itself.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "machine/firmware_upload.h"
#include "machine/serial_link.h"
#include "support/hex_records.h"
#include "support/mc1sim_fixture.h"

namespace {

void Upload(benchmark::State& state, bool lineRate) {
    std::vector<std::string> args;
    if (lineRate) args.push_back("--line-rate");
    Mc1Sim sim(args);
    if (!sim.running) {
        state.SkipWithError(("simulator did not start: " + sim.error).c_str());
        return;
    }
    long bytesSent = 0;
    const std::string path = sim.dir.File("full.hex");
    WriteFileText(path, FirmwareHex(1, &bytesSent));
    SetSerialDevicePath(sim.device);
    if (OpenPort() < 0) {
        state.SkipWithError("could not open the simulated line");
        return;
    }
    int result = 0;
    for (auto _ : state) {
        FILE* file = std::fopen(path.c_str(), "r");
        result = SendHexFile(file, LoaderTiming{});
        std::fclose(file);
        if (result != kUploadDone) state.SkipWithError("the upload failed");
    }
    ClosePort();
    state.counters["line_limit_s"] = static_cast<double>(bytesSent) * 10.0 / 57600.0;
    state.counters["bytes_sent"] = static_cast<double>(bytesSent);
}

void LineRate(benchmark::State& state) {
    Upload(state, true);
}
void Pty(benchmark::State& state) {
    Upload(state, false);
}

BENCHMARK(LineRate)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(Pty)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
