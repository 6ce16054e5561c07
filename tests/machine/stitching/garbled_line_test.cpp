// Whole runs against the simulated board while its replies are damaged on the
// line (bits flipped, bytes lost): each must finish on the path or stop with
// the machine safe and a message, never hang or stitch off the path. The
// host's clock and the board's move in step, so lost replies cost no real
// time-outs. bench/garbled_line.cpp runs many more seeds by hand.
#include <gtest/gtest.h>

#include "support/garbled_run.h"

namespace {

TEST(GarbledLine, ARunFinishesOnThePathOrStopsSafelyWithAMessage) {
    const struct {
        double flip, drop;
        unsigned seed;
    } noises[] = {{0, 0, 1},       {0.02, 0, 1},      {0, 0.02, 2},
                  {0.01, 0.01, 3}, {0.005, 0.005, 4}, {0.1, 0.1, 5}};
    for (const auto& noise : noises) {
        GarbledRun run;
        run.flip = noise.flip;
        run.drop = noise.drop;
        run.seed = noise.seed;
        const GarbledOutcome out = RunOnGarbledLine(run);
        std::string describe = out.why + " [" + std::to_string(out.flipped) + " flipped, " +
                               std::to_string(out.dropped) + " lost, " +
                               std::to_string(out.stitched) + " stitches;";
        for (const std::string& m : out.messages)
            describe += " \"" + m + "\"";
        SCOPED_TRACE("flip " + std::to_string(noise.flip) + " drop " + std::to_string(noise.drop) +
                     ": " + describe + "]");
        ASSERT_TRUE(out.started);
        EXPECT_TRUE(out.safe) << out.hostLog;
        EXPECT_FALSE(out.hung);
        EXPECT_EQ(out.offPath, 0);
        if (run.flip + run.drop == 0) {  // a clean line runs the whole path
            EXPECT_TRUE(out.finished);
            EXPECT_GT(out.stitched, 60);
        } else {
            EXPECT_GT(out.flipped + out.dropped, 0);  // the noise reached the host
        }
    }
}

}  // namespace
