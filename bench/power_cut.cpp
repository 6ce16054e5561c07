// Power cuts during every save of the program, run by hand:
//
//   build/bin/bench_power_cut [CUTS]     (default 1000 cuts in all)
//
// Each writer's save is cut after every one of its file-changing calls, its
// writes made short enough that the cuts spread over the data too, about
// CUTS / writers cuts per writer. Prints per writer the calls of one save, the
// cuts tried, the files lost (neither the old nor the new file whole) and the
// temporary files a start left behind; exits 1 when any file was lost or left.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "support/power_cut.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

// The write size that makes the writer's save take about `calls` writes (the
// new file's size divided by calls, at least 1).
int WriteChunkFor(const PowerCutWriter& writer, int calls) {
    TempDir scratch;
    const auto run = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), POWER_CUT_WRITER_PATH);
        return RunProgram(arguments).exitStatus;
    };
    run({"prepare", writer.name, scratch.path, "1"});
    if (writer.oldExists) run({writer.name, scratch.path, "1"});
    run({"prepare", writer.name, scratch.path, "2"});
    if (run({writer.name, scratch.path, "2"}) != 0) return 1;
    const long size = static_cast<long>(ReadFileText(scratch.File(writer.target)).size());
    return static_cast<int>(std::max(1L, size / std::max(calls, 1)));
}

}  // namespace

int main(int argc, char** argv) {
    const int wanted = argc > 1 ? std::atoi(argv[1]) : 1000;
    const std::vector<PowerCutWriter> writers = PowerCutWriters();
    if (writers.empty() || wanted < 1) return 2;
    const int perWriter = std::max(1, wanted / static_cast<int>(writers.size()));
    int cuts = 0, lost = 0, leftovers = 0;
    std::printf("%-16s %6s %6s %6s %9s\n", "writer", "calls", "cuts", "lost", "leftover");
    for (const PowerCutWriter& writer : writers) {
        // Calls of one save = writes + syncs + renames; leave room for those.
        const int chunk = WriteChunkFor(writer, std::max(1, perWriter - 4));
        const PowerCutReport r = CutPowerDuring(writer, perWriter, chunk);
        std::printf("%-16s %6d %6d %6d %9d\n", writer.name.c_str(), r.calls, r.cuts, r.lost,
                    r.leftovers);
        for (const std::string& problem : r.problems)
            std::printf("  %s\n", problem.c_str());
        cuts += r.cuts;
        lost += r.lost;
        leftovers += r.leftovers;
    }
    std::printf("%-16s %6s %6d %6d %9d\n", "all", "", cuts, lost, leftovers);
    return lost == 0 && leftovers == 0 ? 0 : 1;
}
