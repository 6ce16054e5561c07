// longarm-tool pack, estimate, preview and run on one job, the run on the
// simulated board: what the estimate says against the board's record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "base/log.h"
#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "support/mc1sim_fixture.h"
#include "support/run_layout.h"
#include "support/run_program.h"
#include "support/run_record.h"

namespace {

// The default 35 x 14 inch quilt area with one box holding two placements of
// a zig-zag, the second at secondX: one long jump. Returns the layout's path.
std::string ZigZags(const TempDir& dir, float secondX) {
    SetLogStream(std::tmpfile());
    ResetLayout();
    BogusExtents();
    const int slot = LoadPatternLines({"p X0.000 Y0.000", "p X1.000 Y0.500", "p X2.000 Y0.000"});
    NewPatternLayoutNode(slot, -1, 0, 0, 0);
    NewPatternLayoutNode(slot, -1, 0, secondX, 0);
    const std::string path = dir.File(secondX == 5 ? "job" : "wide");
    SaveLayout(path.c_str(), 0, 1);
    ResetLayout();
    SetLogStream(stdout);
    return path + ".qlf";
}

double Value(const std::string& out, const std::string& key) {
    const size_t at = out.find("\n" + key + "=");
    return at == std::string::npos ? -1 : std::atof(out.c_str() + at + key.size() + 2);
}

TEST(StitchTool, PackEstimatePreviewAndRunOneJob) {
    TempDir dir;
    const std::string layout = ZigZags(dir, 5);
    auto tool = [&](std::vector<std::string> args) {
        args.insert(args.begin(), LONGARM_TOOL_PATH);
        return RunProgram(args, dir.path);
    };

    // Each zig-zag: 2 legs of about 1.118 inch cut into 11 pieces; one jump,
    // ending at box origin 0 + placement 5 + pattern width 2.
    const ProgramResult packed = tool({"pack", layout});
    EXPECT_EQ(std::count(packed.out.begin(), packed.out.end(), '\n'), 2 * (1 + 11 + 11));
    EXPECT_NE(packed.out.find("\n7000.000,0.000,0.000,0,0\n"), std::string::npos) << packed.out;
    const ProgramResult estimate = tool({"estimate", layout});
    // The first piece of the second zig-zag is tied on, not sewn.
    for (const char* line :
         {"points=46\n", "sections=2\n", "stitches=43\n", "jumps=1\n",
          "thread_cuts=1\n" /* jumpStitch 0 */, "lock_stitches=4\n", "stitched_length=4.370 in\n",
          "jump_length=3.000 in\n", "speed=40 (from the first-start values)\nrun_time="})
        EXPECT_NE(estimate.out.find(line), std::string::npos) << line << estimate.out;
    EXPECT_EQ(estimate.out.find("warning="), std::string::npos);
    // A zig-zag ending an inch beyond the right edge of the quilt area is
    // estimated all the same, with a warning.
    EXPECT_NE(tool({"estimate", ZigZags(dir, 34)})
                  .out.find("warning=THE PATTERN LEAVES THE QUILT AREA: 1.000 IN. BEYOND THE "
                            "RIGHT EDGE\n"),
              std::string::npos);
    EXPECT_EQ(tool({"pack", layout, "--box", "3"}).exitStatus, 1);
    EXPECT_EQ(tool({"pack"}).exitStatus, 2);
    EXPECT_EQ(tool({"estimate", layout, "--box", "x"}).exitStatus, 2);
    // Without one the tool leaves no defaults file behind in the working directory.
    EXPECT_EQ(ReadFileText(dir.File("defaults.mrl")), "");

    const ProgramResult preview = tool({"preview", layout, dir.File("preview.png"), "64", "48"});
    EXPECT_EQ(preview.exitStatus, 0) << preview.err;
    EXPECT_NE(preview.out.find("\njumps=1\nthread_cuts=1\n"), std::string::npos) << preview.out;
    EXPECT_EQ(ReadFileText(dir.File("preview.png")).substr(1, 3), "PNG");

    Mc1Sim sim({"--time-scale", "200"});
    ASSERT_TRUE(sim.running) << sim.error;
    // Lock stitches of one trip there and back: fewer needle-up waits in real time.
    ASSERT_EQ(tool({"board", "--serial", sim.device, "set", "stitchRep", "2"}).out, "result=1\n");
    const ProgramResult run = tool({"run", layout, "--serial", sim.device});
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_NE(run.err.find("longarm-tool: CUT THE THREAD\n"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("\nquilted=yes\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("progress=100% left=0 S\n"), std::string::npos) << run.out;
    ASSERT_EQ(sim.Stop(), 0);
    const SewnTotals sewn = SewnTotalsOf(ReadRunRecord(sim.recordPath));
    EXPECT_EQ(Value(run.out, "stitches"), sewn.moves);
    EXPECT_NEAR(Value(run.out, "stitched_length"), sewn.inches, 0.001);

    // A speed of 0 from the defaults file gives no time instead of 0 seconds.
    ASSERT_EQ(tool({"defaults", "defaults.mrl", "speed=0"}).exitStatus, 0);
    EXPECT_NE(
        tool({"estimate", layout}).out.find("speed=0 (from the defaults file)\nrun_time=unknown"),
        std::string::npos);
}

}  // namespace
