// Whole runs on a noisy serial line, run by hand:
//
//   build/bin/bench_garbled_line [RUNS_PER_RATE]     (default 10)
//
// For every pair of rates below (a flipped bit, a lost byte, per reply byte)
// the job of support/garbled_run.h runs RUNS_PER_RATE times with different
// seeds of the simulator's noise. Prints one line per run and the count of
// unsafe outcomes (a run that hung, left the machine stitching or its axes
// driven, stitched off the path, or ended early without a message); exits 1
// when there was any.
#include <cstdio>
#include <cstdlib>

#include "support/garbled_run.h"

int main(int argc, char** argv) {
    const int perRate = argc > 1 ? std::atoi(argv[1]) : 10;
    // Per reply byte: chance of a flipped bit, chance of a lost byte. The first
    // pair is a clean line, for comparison.
    const double rates[][2] = {{0, 0},     {0.001, 0}, {0.01, 0},      {0.05, 0},
                               {0, 0.001}, {0, 0.01},  {0.005, 0.005}, {0.02, 0.02}};
    int runs = 0, finished = 0, unsafe = 0;
    unsigned seed = 1;
    for (const auto& rate : rates) {
        for (int i = 0; i < perRate; i++, seed++) {
            GarbledRun run;
            run.flip = rate[0];
            run.drop = rate[1];
            run.seed = seed;
            const GarbledOutcome out = RunOnGarbledLine(run);
            if (!out.started) {
                std::printf("not started: %s\n", out.why.c_str());
                return 2;
            }
            runs++;
            finished += out.finished;
            unsafe += !out.safe;
            std::printf(
                "flip %.3f drop %.3f seed %3u: %s, %ld flipped, %ld lost, %d stitches%s%s\n",
                run.flip, run.drop, run.seed, out.finished ? "finished" : "ended early",
                out.flipped, out.dropped, out.stitched,
                out.safe ? "" : ", UNSAFE: ", out.why.c_str());
            std::fflush(stdout);
        }
    }
    std::printf("%d runs, %d finished, %d ended early, %d unsafe\n", runs, finished,
                runs - finished, unsafe);
    return unsafe == 0 ? 0 : 1;
}
