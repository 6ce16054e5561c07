// longarm-tool convert: exit codes, messages, and the pattern file it leaves.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "pattern/import/import_test_util.h"
#include "pattern/pattern.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

// Runs longarm-tool convert with the arguments, in folder.
ProgramResult RunTool(const TempDir& folder, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {LONGARM_TOOL_PATH, "convert"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, folder.path);
}

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

// A drawing and a QLI file become loadable patterns; the drawing leaves its log.
TEST(ConvertCommand, DrawingAndQliFileBecomeLoadablePatterns) {
    TempDir dir;
    std::string in = std::string(LONGARM_SOURCE_DIR) + "/tests/data/dxf/letter_f.dxf";
    ProgramResult dxf = RunTool(dir, {in, dir.File("f.qcc")});
    ASSERT_EQ(dxf.exitStatus, 0) << dxf.err;
    ASSERT_TRUE(newPattern(dir.File("f.qcc").c_str(), 0));
    EXPECT_NE(dxf.out.find("11 points"), std::string::npos);
    EXPECT_NE(ReadFileText(dir.File("dxf.log")).find("Added points of LINE"), std::string::npos);

    ASSERT_TRUE(WriteFileText(dir.File("path.QLI"), "VP 0,0 VP 2000,0 CR 1000,270,180 EN\n"));
    ProgramResult run = RunTool(dir, {dir.File("path.QLI"), dir.File("path.qcc")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    std::unique_ptr<Pattern> pattern = newPattern(dir.File("path.qcc").c_str(), 0);
    ASSERT_TRUE(pattern);
    EXPECT_NEAR(pattern->width, 3.0f, 0.002f);
    EXPECT_NEAR(pattern->height, 2.0f, 0.002f);
}

TEST(ConvertCommand, UsageErrorsExitWith2) {
    TempDir dir;
    EXPECT_EQ(RunTool(dir, {}).exitStatus, 2);
    EXPECT_EQ(RunTool(dir, {"a.dxf"}).exitStatus, 2);
    ASSERT_TRUE(WriteFileText(dir.File("a.txt"), "0\nEOF\n"));
    ProgramResult wrongKind = RunTool(dir, {dir.File("a.txt"), dir.File("a.qcc")});
    EXPECT_EQ(wrongKind.exitStatus, 2);
    EXPECT_NE(wrongKind.err.find("neither"), std::string::npos);
    EXPECT_EQ(RunTool(dir, {"--help"}).exitStatus, 0);
}

TEST(ConvertCommand, FailuresExitWith1AndLeaveTheOldPatternWhole) {
    TempDir dir;
    ASSERT_TRUE(WriteFileText(dir.File("old.qcc"), "p X1.000 Y1.000\np X2.000 Y2.000\n"));
    ProgramResult missing = RunTool(dir, {dir.File("missing.dxf"), dir.File("old.qcc")});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_NE(missing.err.find("cannot open"), std::string::npos);

    ASSERT_TRUE(WriteFileText(dir.File("cut.dxf"), "  0\nSECTION\n  2\nENTITIES\n  0\nARC\n 10\n"));
    ProgramResult cut = RunTool(dir, {dir.File("cut.dxf"), dir.File("old.qcc")});
    EXPECT_EQ(cut.exitStatus, 1);
    EXPECT_NE(cut.err.find("ends inside a ARC"), std::string::npos) << cut.err;
    EXPECT_EQ(ReadFileText(dir.File("old.qcc")), "p X1.000 Y1.000\np X2.000 Y2.000\n");

    ASSERT_TRUE(WriteFileText(dir.File("empty.dxf"), DxfDrawing("")));
    ProgramResult empty = RunTool(dir, {dir.File("empty.dxf"), dir.File("new.qcc")});
    EXPECT_EQ(empty.exitStatus, 1);
    EXPECT_NE(empty.err.find("nothing to stitch"), std::string::npos);
    EXPECT_FALSE(Exists(dir.File("new.qcc")));
}

}  // namespace
