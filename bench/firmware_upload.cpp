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
#include "support/mc1sim_fixture.h"

namespace {

std::string Record(int type, unsigned address, const std::vector<int>& bytes) {
    char text[16];
    std::snprintf(text, sizeof text, ":%02X%04X%02X", static_cast<int>(bytes.size()), address,
                  type);
    std::string line = text;
    int sum = static_cast<int>(bytes.size()) + (address >> 8) + (address & 0xFF) + type;
    for (int b : bytes) {
        std::snprintf(text, sizeof text, "%02X", b);
        line += text;
        sum += b;
    }
    std::snprintf(text, sizeof text, "%02X\n", (-sum) & 0xFF);
    return line + text;
}

constexpr unsigned kRows = 1500;

// The file, and the number of bytes the upload sends for it.
std::string FullFirmware(long& bytesSent) {
    std::string hex;
    unsigned page = 0xFFFF;
    for (unsigned row = 0; row < kRows; ++row) {
        for (unsigned part = 0; part < 8; ++part) {
            const unsigned address = row * 128 + part * 16;
            if (address >> 16 != page) {
                page = address >> 16;
                hex += Record(4, 0, {static_cast<int>(page >> 8), static_cast<int>(page & 0xFF)});
            }
            std::vector<int> bytes;
            for (int i = 0; i < 16; ++i)
                bytes.push_back(i % 4 == 3 ? 0 : static_cast<int>((row + part + i) & 0xFF));
            hex += Record(0, address & 0xFFFF, bytes);
        }
    }
    hex += Record(4, 0, {0, 0xFF});
    for (unsigned word = 0; word < 64; word += 4)
        hex += Record(0, 0xE000 + word * 4,
                      {static_cast<int>(word), 1, 0, 0, 2, 3, 0, 0, 4, 5, 0, 0, 6, 7, 0, 0});
    hex += Record(4, 0, {0x01, 0xF0});
    hex += Record(0, 0, {0x11, 0xC3, 0, 0, 0x22, 0x3F, 0, 0, 0x33, 0x87, 0, 0});
    hex += Record(1, 0, {});
    // Start 4, identify 4, vector read 4, two EEPROM reads 8, rows 100 each,
    // EEPROM rows 36 each, configuration 4 + 6 x 3, the end 1.
    bytesSent = 4 + 4 + 4 + 8 + kRows * 100L + 4 * 36 + 4 + 6 * 3 + 1;
    return hex;
}

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
    WriteFileText(path, FullFirmware(bytesSent));
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
