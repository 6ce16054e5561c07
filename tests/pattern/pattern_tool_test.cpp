// The pattern commands of longarm-tool end to end, on the sample patterns.
#include <gtest/gtest.h>

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

const std::string kSamples = LONGARM_SOURCE_DIR "/data/patterns/";

TEST(PatternTool, InfoThumbnailTransformAndExitStatus) {
    ProgramResult r = Tool({"info", kSamples + "stars.qcc"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    for (const char* line : {"name lines: 2\n  Stars\n", "points: 99\n",
                             "commands: 27 (stops 8, marks 1, entity starts 9, entity ends 9)\n",
                             "width: 11.424 in\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << r.out;

    TempDir dir;

    // The operations apply in the order given.
    r = Tool({"transform", kSamples + "border.qcc", dir.File("turned"), "--rotate", "90",
              "--stretch-y", "0.5", "--mirror-x", "--reverse"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_NE(r.out.find("turned.qcc"), std::string::npos);
    auto expected = newPattern((kSamples + "border.qcc").c_str(), 0);
    ASSERT_TRUE(expected);
    RotatePattern(expected.get(), 90);
    stretchPattern(expected.get(), 'y', 0.5f, nullptr);
    mirrorPattern(expected.get(), 1, 0);
    ReversePatternPath(expected.get());
    ASSERT_EQ(savePattern(expected.get(), dir.File("expected.qcc").c_str()), 1);
    EXPECT_EQ(ReadFileText(dir.File("turned.qcc")), ReadFileText(dir.File("expected.qcc")));

    // Usage errors exit with 2, a file that cannot be read or written with 1.
    for (const auto& [args, status] : std::vector<std::pair<std::vector<std::string>, int>>{
             {{"transform", "a.qcc", "b.qcc", "--rotate", "nan"}, 2},
             {{"info", "/nonexistent/missing.qcc"}, 1},
             {{"thumbnail", kSamples + "stars.qcc", "/nonexistent/x.png"}, 1}})
        EXPECT_EQ(Tool(args).exitStatus, status) << args.back();
}

TEST(SamplePatterns, LoadSaveBackAndComeFromTheGenerator) {
    TempDir dir;
    ProgramResult r =
        RunProgram({"/usr/bin/python3", LONGARM_SOURCE_DIR "/data/generate_patterns.py", dir.path});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    for (const char* name : {"meander.qcc", "loops.qcc", "stars.qcc", "border.qcc", "large.qcc"}) {
        auto p = newPattern((kSamples + name).c_str(), 0);
        ASSERT_TRUE(p) << name;
        EXPECT_TRUE(ReadFileText(dir.File(name)) == ReadFileText(kSamples + name)) << name;
        ASSERT_EQ(savePattern(p.get(), dir.File(name).c_str()), 1);
        EXPECT_TRUE(ReadFileText(dir.File(name)) == ReadFileText(kSamples + name)) << name;
    }
    EXPECT_EQ(newPattern((kSamples + "large.qcc").c_str(), 0)->pointCount, 100000);
}

}  // namespace
