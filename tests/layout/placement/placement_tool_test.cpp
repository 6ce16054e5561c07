// longarm-tool's autoscale, autofill and merge on a layout file.
#include "layout/layout_file.h"
#include "placement_fixture.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

struct PlacementToolTest : PlacementTest {
    // A 20 x 10 inch box holding a 2 x 1 inch pattern at (1, 1), saved.
    void SetUp() override {
        PlacementTest::SetUp();
        BogusExtents();
        SetPatternBoxCorners(GetPatternBox(0), {{0, 0}, {0, 10}, {20, 10}, {20, 0}});
        SetPatternBoxOrigin(GetPatternBox(0));
        NewPatternLayoutNode(LoadPoints({{0, 0}, {2, 0}, {2, 1}, {0, 1}}), -1, 0, 1, 1);
        ASSERT_EQ(SaveLayout(dir.File("quilt").c_str(), 0, 1), 1);
    }
    ProgramResult Tool(const std::vector<std::string>& args) {
        std::vector<std::string> argv{LONGARM_TOOL_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProgram(argv);
    }
    // Loads the file back into the tables.
    void Reload() { ASSERT_EQ(LoadLayout(file.c_str(), 1, 1), 1); }

    TempDir dir;
    std::string file = dir.File("quilt.qlf");
};

TEST_F(PlacementToolTest, AutoscaleGrowsThePlacementInTheFile) {
    ProgramResult r = Tool({"autoscale", file, "--placement", "0"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.out.rfind("autoscaled placement 0 in box 0: 2.000 x 1.000 in -> ", 0), 0u) << r.out;
    Reload();
    EXPECT_GT(GetPattern(patternLayout->patternIndex)->width, 19.5f);
    EXPECT_GT(GetPattern(patternLayout->patternIndex)->height, 9.5f);

    const std::string before = ReadFileText(file);
    EXPECT_EQ(Tool({"autoscale", file}).exitStatus, 2);
    EXPECT_EQ(Tool({"autoscale", file, "--placement", "3"}).exitStatus, 1);
    EXPECT_EQ(Tool({"autoscale", dir.File("none.qlf"), "--placement", "0"}).exitStatus, 1);
    EXPECT_EQ(ReadFileText(file), before);
}

TEST_F(PlacementToolTest, AutofillFillsTheBoxAndMergeMakesTheArrayOnePattern) {
    EXPECT_EQ(Tool({"merge", file, "--placement", "0"}).exitStatus, 1);  // not an array
    ProgramResult r = Tool({"autofill", file, "--placement", "0", "--independent"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.out.rfind("autofilled placement 0 in box 0: 10 down x 10 across, each ", 0), 0u)
        << r.out;
    Reload();
    EXPECT_EQ(CountLayoutNodes(), 100);
    // A second autofill of an arrayed placement is refused; the file stays.
    const std::string before = ReadFileText(file);
    r = Tool({"autofill", file, "--placement", "0"});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_NE(r.err.find("YOU MAY NOT AUTOFILL AN ARRAYED PATTERN"), std::string::npos);
    EXPECT_EQ(ReadFileText(file), before);

    r = Tool({"merge", file, "--placement", "7"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(
        r.out.rfind("merged 10 down x 10 across into pattern 0 \"test_merged\": 400 points", 0), 0u)
        << r.out;
    Reload();
    ASSERT_EQ(CountLayoutNodes(), 1);
    EXPECT_EQ(patternLayout->arrayIndex, -1);
    EXPECT_EQ(GetPattern(patternLayout->patternIndex)->name, "test_merged");
    EXPECT_EQ(Tool({"merge", file, "--placement", "0", "--independent"}).exitStatus, 2);
}

}  // namespace
