#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <vector>

#include "base/application_state.h"
#include "base/log.h"
#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "pattern/pattern.h"
#include "support/run_layout.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

// A layout in the default 35 x 14 inch quilt area with one box holding two
// placements of a zig-zag, the second one at secondX (3 inches right of the
// first one's end by default), so the path has one long jump.
std::string WriteLayout(const TempDir& dir, float secondX = 5) {
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

TEST(StitchTool, PackPrintsThePathAndEstimateSumsItUp) {
    TempDir dir;
    const std::string layout = WriteLayout(dir);

    ProgramResult packed = RunProgram({LONGARM_TOOL_PATH, "pack", layout}, dir.path);
    ASSERT_EQ(packed.exitStatus, 0) << packed.err;
    std::istringstream lines(packed.out);
    std::string line;
    int count = 0, halts = 0, inserted = 0;
    double lastX = 0;
    while (std::getline(lines, line)) {
        double x, y, feed;
        int halt, ins;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf,%lf,%lf,%d,%d", &x, &y, &feed, &halt, &ins), 5)
            << line;
        EXPECT_GE(feed, 0);
        EXPECT_LE(feed, 100);
        halts += halt;
        inserted += ins;
        lastX = x;
        count++;
    }
    // Each zig-zag: 2 legs of about 1.118 inch cut into 11 pieces; one jump.
    EXPECT_EQ(count, 2 * (1 + 11 + 11));
    EXPECT_EQ(halts, 1);
    EXPECT_EQ(inserted, 2 * 20);
    EXPECT_NEAR(lastX, 7000, 0.5);  // box origin 0 + placement 5 + pattern width 2

    ProgramResult estimate = RunProgram({LONGARM_TOOL_PATH, "estimate", layout}, dir.path);
    ASSERT_EQ(estimate.exitStatus, 0) << estimate.err;
    // The first piece of the second zig-zag is tied on, not sewn.
    for (const char* line : {"points=46\n", "sections=2\n", "stitches=43\n", "jumps=1\n",
                             "thread_cuts=1\n" /* jumpStitch 0 */, "lock_stitches=4\n",
                             "stitched_length=4.370 in\n", "jump_length=3.000 in\n"})
        EXPECT_NE(estimate.out.find(line), std::string::npos) << line << estimate.out;
    EXPECT_EQ(estimate.out.find("warning="), std::string::npos);
    // The time comes from the speed the run would use, and says where that
    // speed comes from; a speed of 0 gives no time instead of 0 seconds.
    const struct {
        const char* setting;  // written into the defaults file first; null: none
        const char* speed;
    } speeds[] = {{nullptr, "speed=40 (from the first-start values)\n"},
                  {"speed=20", "speed=20 (from the defaults file)\n"},
                  {"speed=0", "speed=0 (from the defaults file)\nrun_time=unknown"}};
    double seconds[2] = {};
    for (size_t i = 0; i < 3; i++) {
        // Everything else as at the first start.
        if (speeds[i].setting) {
            ASSERT_EQ(RunProgram({LONGARM_TOOL_PATH, "defaults", "defaults.mrl", speeds[i].setting,
                                  "leadLineSpeed=60", "acceleration=40", "curvature=40"},
                                 dir.path)
                          .exitStatus,
                      0);
        }
        const std::string out = RunProgram({LONGARM_TOOL_PATH, "estimate", layout}, dir.path).out;
        EXPECT_NE(out.find(speeds[i].speed), std::string::npos) << out;
        if (i < 2) {
            ASSERT_EQ(
                std::sscanf(out.c_str() + out.find("run_time="), "run_time=%lf s", &seconds[i]), 1)
                << out;
        }
    }
    EXPECT_GT(seconds[0], 1);
    EXPECT_GT(seconds[1], seconds[0] + 1);  // the sewn moves at half the speed
    std::remove(dir.File("defaults.mrl").c_str());
    // A zig-zag ending an inch beyond the right edge of the quilt area is
    // estimated all the same, with a warning.
    ProgramResult wide =
        RunProgram({LONGARM_TOOL_PATH, "estimate", WriteLayout(dir, 34)}, dir.path);
    ASSERT_EQ(wide.exitStatus, 0) << wide.err;
    EXPECT_NE(wide.out.find("warning=THE PATTERN LEAVES THE QUILT AREA: 1.000 IN. BEYOND THE "
                            "RIGHT EDGE\n"),
              std::string::npos)
        << wide.out;

    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "pack", layout, "--box", "3"}, dir.path).exitStatus,
              1);
    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "pack"}, dir.path).exitStatus, 2);
    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "estimate", layout, "--box", "x"}).exitStatus, 2);
    // Without one the tool leaves no defaults file behind in the working directory.
    EXPECT_EQ(ReadFileText(dir.File("defaults.mrl")), "");
}

}  // namespace
