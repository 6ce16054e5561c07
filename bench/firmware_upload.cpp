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

// A firmware file of every program row of rows 0 to 1499 (all but the loader's
// own), EEPROM rows 0 to 3 and configuration words 0 to 2, 16 bytes a record,
// each byte derived from its place; bytesSent: how many bytes the upload sends.
std::string FirmwareHex(long* bytesSent) {
    std::string hex;
    unsigned page = 0xFFFF;
    long rows = 0;
    for (unsigned row = 0; row < 1500; ++row, ++rows) {
        for (unsigned part = 0; part < 8; ++part) {
            const unsigned address = row * 128 + part * 16;
            if (address >> 16 != page) hex += HexUpper(page = address >> 16);
            std::vector<int> bytes;
            for (int i = 0; i < 16; ++i)
                bytes.push_back(i % 4 == 3 ? 0
                                           : static_cast<int>((row * 7 + part * 16 + i) & 0xFF));
            hex += HexRecord(0, address & 0xFFFF, bytes);
        }
    }
    hex += HexUpper(0xFF);
    for (int word = 0; word < 64; word += 4)
        hex += HexRecord(
            0, 0xE000 + word * 4,
            {word, 0x5A, 0, 0, word + 1, 0xA5, 0, 0, word + 2, 0x5A, 0, 0, word + 3, 0xA5, 0, 0});
    hex += HexUpper(0x1F0);
    hex += HexRecord(0, 0, {0x11, 0xC3, 0, 0, 0x22, 0x3F, 0, 0, 0x33, 0x87, 0, 0});
    // Start 4, identify 4, vector read 4, two EEPROM reads 8, rows 100 each,
    // EEPROM rows 36 each, configuration 4 + 6 x 3, the end 1.
    *bytesSent = 4 + 4 + 4 + 8 + rows * 100 + 4 * 36 + 4 + 6 * 3 + 1;
    return hex + HexRecord(1, 0, {});
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
    WriteFileText(path, FirmwareHex(&bytesSent));
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
