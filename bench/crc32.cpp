// CRC-32 throughput of a whole file in MB/s: FileCRC (eight bytes per step)
// against the same file folded one byte at a time through the 256-entry table.
// The file (64 MiB) stays in the page cache, so the figures are the fold's own
// speed plus the cost of reading from memory.
//
//   build/bin/bench_crc32
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <random>
#include <vector>

#include "maintenance/crc32.h"
#include "support/temp_dir.h"

namespace {

constexpr size_t kFileBytes = 64u * 1024 * 1024;

const std::string& BenchFile() {
    static TempDir dir;
    static std::string path;
    if (path.empty()) {
        path = dir.File("program.bin");
        std::string data(kFileBytes, '\0');
        std::mt19937 random(1);
        for (char& c : data)
            c = static_cast<char>(random());
        WriteFileText(path, data);
    }
    return path;
}

// The whole file through the byte-at-a-time table, read like FileCRC reads it.
uint32_t ByteTableFileCrc(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    std::vector<unsigned char> buffer(kFileCrcChunk);
    uint32_t crc = 0xFFFFFFFF;
    ssize_t n;
    while ((n = read(fd, buffer.data(), buffer.size())) > 0)
        crc = PartialCRC(crc, buffer.data(), static_cast<size_t>(n));
    close(fd);
    return ~crc;
}

void FileCrcSlicingByEight(benchmark::State& state) {
    const std::string& path = BenchFile();
    uint32_t crc = 0;
    for (auto _ : state) {
        FileCRC_Default(path.c_str(), &crc);
        benchmark::DoNotOptimize(crc);
    }
    if (crc != ByteTableFileCrc(path)) state.SkipWithError("the two folds disagree");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFileBytes);
}

void FileCrcByteTable(benchmark::State& state) {
    const std::string& path = BenchFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(ByteTableFileCrc(path));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFileBytes);
}

BENCHMARK(FileCrcSlicingByEight)->Unit(benchmark::kMillisecond);
BENCHMARK(FileCrcByteTable)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
