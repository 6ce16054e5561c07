// The pattern commands of longarm-tool end to end, and the sample pattern
// library: every sample loads, saves back byte for byte, and the generator in
// the repository reproduces it.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pattern/pattern.h"
#include "pattern/pattern_transform.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

ProgramResult Tool(std::vector<std::string> args) {
    args.insert(args.begin(), LONGARM_TOOL_PATH);
    return RunProgram(args);
}

std::string Sample(const std::string& name) {
    return std::string(LONGARM_SOURCE_DIR) + "/data/patterns/" + name;
}

const char* kSamples[] = {"meander.qcc", "loops.qcc", "stars.qcc", "border.qcc", "large.qcc"};

TEST(PatternTool, InfoListsThePatternAndThumbnailWritesAPngOfTheAskedSize) {
    ProgramResult r = Tool({"info", Sample("stars.qcc")});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    for (const char* line : {"name lines: 2\n  Stars\n", "points: 99\n",
                             "commands: 27 (stops 8, marks 1, entity starts 9, entity ends 9)\n",
                             "width: 11.424 in\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << r.out;

    TempDir dir;
    std::string out = dir.File("stars.png");
    ASSERT_EQ(Tool({"thumbnail", Sample("stars.qcc"), out, "200", "120"}).exitStatus, 0);
    int w = 0, h = 0;
    ASSERT_TRUE(gdk_pixbuf_get_file_info(out.c_str(), &w, &h));
    EXPECT_EQ(w * 1000 + h, 200120);
}

TEST(PatternTool, UsageErrorsExitTwoAndFailuresOne) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"info"},
                                               {"thumbnail", "a.qcc"},
                                               {"thumbnail", "a.qcc", "b.png", "0", "10"},
                                               {"thumbnail", "a.qcc", "b.png", "12x", "10"},
                                               {"transform", "a.qcc"},
                                               {"transform", "a.qcc", "b.qcc", "--rotate"},
                                               {"transform", "a.qcc", "b.qcc", "--rotate", "nan"},
                                               {"transform", "a.qcc", "b.qcc", "--stretch-x", "0"},
                                               {"transform", "a.qcc", "b.qcc", "--spin"}})
        EXPECT_EQ(Tool(args).exitStatus, 2) << args.back();
    ProgramResult usage = Tool({"transform", "--help"});
    EXPECT_EQ(usage.exitStatus, 0);
    EXPECT_NE(usage.out.find("--mirror-y"), std::string::npos);

    TempDir dir;
    ProgramResult missing = Tool({"info", dir.File("missing.qcc")});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_NE(missing.err.find("could not read pattern file"), std::string::npos);
    EXPECT_EQ(Tool({"transform", Sample("stars.qcc"), dir.File("no/folder/x.qcc"), "--reverse"})
                  .exitStatus,
              1);
    EXPECT_EQ(Tool({"thumbnail", Sample("stars.qcc"), dir.File("no/folder/x.png")}).exitStatus, 1);
}

TEST(PatternTool, TransformAppliesTheOperationsInOrder) {
    TempDir dir;
    std::string out = dir.File("turned");
    ProgramResult r = Tool({"transform", Sample("border.qcc"), out, "--rotate", "90", "--stretch-y",
                            "0.5", "--mirror-x", "--reverse"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_NE(r.out.find("turned.qcc"), std::string::npos);

    auto expected = newPattern(Sample("border.qcc").c_str(), 0);
    ASSERT_TRUE(expected);
    RotatePattern(expected.get(), 90);
    stretchPattern(expected.get(), 'y', 0.5f, nullptr);
    mirrorPattern(expected.get(), 1, 0);
    ReversePatternPath(expected.get());
    std::string expectedPath = dir.File("expected.qcc");
    ASSERT_EQ(savePattern(expected.get(), expectedPath.c_str()), 1);
    EXPECT_EQ(ReadFileText(out + ".qcc"), ReadFileText(expectedPath));
}

// Every sample loads and saves back byte for byte, and the generator in the
// repository reproduces it.
TEST(SamplePatterns, LoadSaveBackAndComeFromTheGenerator) {
    TempDir dir;
    ProgramResult r =
        RunProgram({"/usr/bin/python3",
                    std::string(LONGARM_SOURCE_DIR) + "/data/generate_patterns.py", dir.path});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    for (const char* name : kSamples) {
        auto p = newPattern(Sample(name).c_str(), 0);
        ASSERT_TRUE(p) << name;
        EXPECT_GT(p->pointCount, 90) << name;
        EXPECT_TRUE(ReadFileText(dir.File(name)) == ReadFileText(Sample(name))) << name;
        ASSERT_EQ(savePattern(p.get(), dir.File(name).c_str()), 1);
        EXPECT_TRUE(ReadFileText(dir.File(name)) == ReadFileText(Sample(name))) << name;
    }
    EXPECT_EQ(newPattern(Sample("large.qcc").c_str(), 0)->pointCount, 100000);
}

}  // namespace
