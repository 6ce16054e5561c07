// The pattern commands of longarm-tool end to end, and the sample pattern
// library: every sample loads, saves back byte for byte, and the generator in
// the repository reproduces it.
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

    const std::string stars = kSamples + "stars.qcc";
    const struct {
        std::vector<std::string> args;
        int status;
        const char* message = "";  // a part of the output
    } cases[] = {
        {{"info"}, 2},
        {{"thumbnail", "a.qcc", "b.png", "12x", "10"}, 2},
        {{"transform", "a.qcc", "b.qcc", "--rotate", "nan"}, 2},
        {{"transform", "a.qcc", "b.qcc", "--spin"}, 2},
        {{"transform", "--help"}, 0, "--mirror-y"},
        {{"info", "/nonexistent/missing.qcc"}, 1, "could not read pattern file"},
        {{"transform", stars, "/nonexistent/x.qcc", "--reverse"}, 1},
        {{"thumbnail", stars, "/nonexistent/x.png"}, 1},
    };
    for (const auto& c : cases) {
        ProgramResult r = Tool(c.args);
        EXPECT_EQ(r.exitStatus, c.status) << c.args.back();
        EXPECT_NE((r.out + r.err).find(c.message), std::string::npos) << r.out << r.err;
    }
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
