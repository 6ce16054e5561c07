// Whole runs against the simulated board while its replies are damaged on the
// line (bits flipped, bytes lost): each must finish on the path or stop with
// the machine safe and a message, never hang or stitch off the path. The
// host's clock and the board's move in step, so lost replies cost no real
// time-outs. bench/garbled_line.cpp runs many more seeds by hand.
#include <gtest/gtest.h>

#include <ostream>
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

struct Noise {
    double flip, drop;
    unsigned seed;
};

void PrintTo(const Noise& n, std::ostream* out) {
    *out << "flip " << n.flip << " drop " << n.drop << " seed " << n.seed;
}

struct GarbledLineTest : ::testing::TestWithParam<Noise> {};

TEST_P(GarbledLineTest, ARunFinishesOnThePathOrStopsSafelyWithAMessage) {
    GarbledRun run;
    run.flip = GetParam().flip;
    run.drop = GetParam().drop;
    run.seed = GetParam().seed;
    const GarbledOutcome out = RunOnGarbledLine(run);
    ASSERT_TRUE(out.started) << out.why;
    EXPECT_TRUE(out.safe) << Describe(out) << "\n" << out.hostLog;
    EXPECT_FALSE(out.hung) << Describe(out);
    EXPECT_EQ(out.offPath, 0) << Describe(out);
    if (run.flip + run.drop == 0) {  // a clean line runs the whole path
        EXPECT_TRUE(out.finished) << Describe(out);
        EXPECT_GT(out.stitched, 60) << Describe(out);
    } else {
        EXPECT_GT(out.flipped + out.dropped, 0);  // the noise reached the host
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, GarbledLineTest,
                         ::testing::Values(Noise{0, 0, 1}, Noise{0.02, 0, 1}, Noise{0, 0.02, 2},
                                           Noise{0.01, 0.01, 3}, Noise{0.005, 0.005, 4},
                                           Noise{0.1, 0.1, 5}));

}  // namespace
