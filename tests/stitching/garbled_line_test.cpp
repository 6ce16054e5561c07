// Whole runs against the simulated board while its replies are damaged on the
// line (bits flipped, bytes lost): each must finish on the path or stop with
// the machine safe and a message, never hang or stitch off the path. The
// host's clock and the board's move in step, so lost replies cost no real
// time-outs. bench/garbled_line.cpp runs many more seeds by hand.
#include <gtest/gtest.h>

#include <string>

#include "support/garbled_run.h"

namespace {

std::string Describe(const GarbledOutcome& out) {
    std::string text = out.why + " [" + std::to_string(out.flipped) + " flipped, " +
                       std::to_string(out.dropped) + " lost, " + std::to_string(out.stitched) +
                       " stitches;";
    for (const std::string& m : out.messages)
        text += " \"" + m + "\"";
    return text + "]";
}

TEST(GarbledLine, ACleanLineRunsTheWholePathAndANoisyOneEndsSafely) {
    const GarbledOutcome clean = RunOnGarbledLine(GarbledRun{});
    ASSERT_TRUE(clean.started) << clean.why;
    EXPECT_TRUE(clean.safe) << Describe(clean);
    EXPECT_TRUE(clean.finished) << Describe(clean);
    EXPECT_GT(clean.stitched, 60) << Describe(clean);

    const struct {
        double flip, drop;
        unsigned seed;
    } lines[] = {{0.02, 0, 1}, {0, 0.02, 2}, {0.01, 0.01, 3}, {0.003, 0.003, 4}, {0.1, 0.1, 5}};
    long damaged = 0;
    for (const auto& l : lines) {
        GarbledRun run;
        run.flip = l.flip;
        run.drop = l.drop;
        run.seed = l.seed;
        const GarbledOutcome out = RunOnGarbledLine(run);
        ASSERT_TRUE(out.started) << out.why;
        EXPECT_TRUE(out.safe) << "flip " << l.flip << " drop " << l.drop << ": " << Describe(out)
                              << "\n"
                              << out.hostLog;
        EXPECT_FALSE(out.hung) << Describe(out);
        EXPECT_EQ(out.offPath, 0) << Describe(out);
        damaged += out.flipped + out.dropped;
    }
    EXPECT_GT(damaged, 0);  // the noise reached the host
}

}  // namespace
