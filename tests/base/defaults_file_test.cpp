#include "base/defaults_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <tuple>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

struct DefaultsFileTest : ::testing::Test {
    void SetUp() override { SetDefaultsFilePath(path.c_str()); }
    void TearDown() override { SetDefaultsFilePath(nullptr); }
    std::string Bytes() { return ReadFileText(path); }
    TempDir dir;
    std::string path = dir.File("defaults.mrl");
};

TEST_F(DefaultsFileTest, SlotsAreLittleEndianWordsAndAGapIsZeroFilled) {
    EXPECT_EQ(DefaultsFileExists(), 0);
    ASSERT_EQ(WriteDefaultInt(kSlotTOut, -2), 1);
    EXPECT_EQ(DefaultsFileExists(), 1);
    ASSERT_EQ(WriteDefaultFloat(kSlotSpeed, 1.5f), 1);
    ASSERT_EQ(WriteDefaultInt(kSlotNeedleUpPress, 0x12345678), 1);
    std::string expected(84, '\0');
    expected.replace(4, 4, "\xfe\xff\xff\xff", 4);
    expected.replace(12, 4, "\x00\x00\xc0\x3f", 4);
    expected.replace(80, 4, "\x78\x56\x34\x12", 4);
    EXPECT_EQ(Bytes(), expected);
    int i = 0, j = 0;
    float f = 0;
    EXPECT_EQ(ReadDefaultInt(kSlotTOut, &i) + ReadDefaultFloat(kSlotSpeed, &f) +
                  ReadDefaultInt(kSlotNeedleUpPress, &j),
              3);
    EXPECT_EQ(std::tuple(i, f, j), std::tuple(-2, 1.5f, 0x12345678));
    EXPECT_EQ(SendDefaults(), 1);
    for (int k = 0; k < kDefaultSlotCount; ++k)  // the file's float slots
        EXPECT_EQ(kDefaultSlotInfo[k].isFloat,
                  (k >= 11 && k <= 15) || k == 17 || (k >= 20 && k <= 23))
            << kDefaultSlotInfo[k].name;
    ASSERT_EQ(WriteDefaultFloat(kSlotXMargin, NAN), 1);  // not a number reads back as stored
    ASSERT_EQ(ReadDefaultFloat(kSlotXMargin, &f), 1);
    EXPECT_TRUE(std::isnan(f));
}

TEST_F(DefaultsFileTest, AReadNeedsAllFourBytesAndAnOversizedFileLosesItsTail) {
    int value = 77;
    float f = 7.0f;
    EXPECT_EQ(ReadDefaultInt(kSlotStitchRep, &value), 0);  // no file
    ASSERT_TRUE(WriteFileText(path, std::string(102, '\x01')));
    EXPECT_EQ(ReadDefaultInt(kSlotShowAdvancedFeatures, &value), 0);
    EXPECT_EQ(value, 77);
    EXPECT_EQ(ReadDefaultInt(kSlotStitchButtonsOn, &value), 1);
    EXPECT_EQ(value, 0x01010101);
    ASSERT_TRUE(WriteFileText(path, std::string(104, '\x02')));
    EXPECT_EQ(std::pair(ReadDefaultInt(kSlotShowAdvancedFeatures, &value), value),
              std::pair(1, 0x02020202));
    // Slots outside the table are refused whatever the file holds.
    ASSERT_TRUE(WriteFileText(path, std::string(5000, '\x05')));
    EXPECT_EQ(ReadDefaultInt(-1, &value) + ReadDefaultInt(26, &value) + ReadDefaultFloat(26, &f) +
                  ReadDefaultInt(0, nullptr) + WriteDefaultInt(26, 1) + WriteDefaultFloat(-1, 1.0f),
              0);
    EXPECT_EQ(Bytes(), std::string(5000, '\x05'));
    ASSERT_EQ(WriteDefaultInt(kSlotTOut, 100), 1);
    EXPECT_EQ(Bytes(), std::string(4, '\x05') + std::string("\x64\x00\x00\x00", 4) +
                           std::string(96, '\x05'));
    // A folder in place of the file, and a folder that does not exist.
    ASSERT_EQ(std::remove(path.c_str()), 0);
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    EXPECT_EQ(WriteDefaultInt(kSlotSpeed, 40), 0);
    std::vector<uint8_t> image;
    EXPECT_EQ(ReadDefaultsImage(&image), 0);
    SetDefaultsFilePath(dir.File("missing/defaults.mrl").c_str());
    EXPECT_EQ(WriteDefaultInt(kSlotStitchRep, 4), 0);
}

// The "defaults" sub-command of longarm-tool, run as a separate program.
TEST_F(DefaultsFileTest, TheToolSetsSlotsByNameListsThemAndBadAssignmentsChangeNothing) {
    auto tool = [](std::vector<std::string> args) {
        args.insert(args.begin(), {LONGARM_TOOL_PATH, "defaults"});
        return RunProgram(args);
    };
    ASSERT_EQ(tool({path, "speed=55", "needleUpTime=1250.5"}).exitStatus, 0);
    const std::string before = Bytes();
    EXPECT_EQ(before.size(), 88u);
    ProgramResult list = tool({path});
    ASSERT_EQ(list.exitStatus, 0);
    for (const char* line : {" 3 speed                 55\n", "21 needleUpTime          1250.5\n",
                             " 0 stitchRep             0\n", "25 showAdvancedFeatures  -\n"})
        EXPECT_NE(list.out.find(line), std::string::npos) << list.out;
    for (const char* bad : {"speed=fast", "speed=1.5", "speed=99999999999", "colour=3", "err=3",
                            "xMargin=nan", "xMargin=", "speed"})
        EXPECT_EQ(tool({path, "XKp=7", bad}).exitStatus, 2) << bad;
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(tool({dir.File("absent.mrl")}).exitStatus, 1);
    EXPECT_EQ(tool({}).exitStatus, 2);
}

}  // namespace
