// The "defaults" sub-command of longarm-tool, run as a separate program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/defaults_file.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

TEST(DefaultsTool, SetsSlotsByNameAndListsThem) {
    TempDir dir;
    std::string file = dir.File("defaults.mrl");
    ProgramResult set =
        RunProgram({LONGARM_TOOL_PATH, "defaults", file, "speed=55", "needleUpTime=1250.5"});
    ASSERT_EQ(set.exitStatus, 0);

    SetDefaultsFilePath(file.c_str());
    int speed = 0;
    float time = 0;
    EXPECT_EQ(ReadDefaultInt(kSlotSpeed, &speed), 1);
    EXPECT_EQ(speed, 55);
    EXPECT_EQ(ReadDefaultFloat(kSlotNeedleUpTime, &time), 1);
    EXPECT_EQ(time, 1250.5f);
    EXPECT_EQ(ReadFileText(file).size(), 88u);
    SetDefaultsFilePath(nullptr);

    ProgramResult list = RunProgram({LONGARM_TOOL_PATH, "defaults", file});
    ASSERT_EQ(list.exitStatus, 0);
    EXPECT_NE(list.out.find(" 3 speed                 55\n"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("21 needleUpTime          1250.5\n"), std::string::npos);
    EXPECT_NE(list.out.find(" 0 stitchRep             0\n"), std::string::npos);
    EXPECT_NE(list.out.find("25 showAdvancedFeatures  -\n"), std::string::npos);
}

TEST(DefaultsTool, BadAssignmentsChangeNothing) {
    TempDir dir;
    std::string file = dir.File("defaults.mrl");
    ASSERT_TRUE(WriteFileText(file, std::string(104, '\0')));
    for (const char* bad : {"speed=fast", "speed=1.5", "speed=99999999999", "colour=3", "err=3",
                            "xMargin=nan", "xMargin=", "speed"}) {
        EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "defaults", file, "XKp=7", bad}).exitStatus, 2)
            << bad;
    }
    EXPECT_EQ(ReadFileText(file), std::string(104, '\0'));
    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "defaults", dir.File("absent.mrl")}).exitStatus, 1);
    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "defaults"}).exitStatus, 2);
}

}  // namespace
