// The "defaults" sub-command of longarm-tool, run as a separate program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/defaults_file.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

struct ToolResult {
    int status = -1;
    std::string out;
};

// Runs longarm-tool with the arguments (no shell); collects standard output.
ToolResult RunTool(const std::vector<std::string>& args, const std::string& folder) {
    ToolResult result;
    std::string outPath = folder + "/tool.out";
    std::vector<std::string> all = {LONGARM_TOOL_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = ReadFileText(outPath);
    return result;
}

TEST(DefaultsTool, SetsSlotsByNameAndListsThem) {
    TempDir dir;
    std::string file = dir.File("defaults.mrl");
    ToolResult set = RunTool({"defaults", file, "speed=55", "needleUpTime=1250.5"}, dir.path);
    ASSERT_EQ(set.status, 0);

    SetDefaultsFilePath(file.c_str());
    int speed = 0;
    float time = 0;
    EXPECT_EQ(ReadDefaultInt(kSlotSpeed, &speed), 1);
    EXPECT_EQ(speed, 55);
    EXPECT_EQ(ReadDefaultFloat(kSlotNeedleUpTime, &time), 1);
    EXPECT_EQ(time, 1250.5f);
    EXPECT_EQ(ReadFileText(file).size(), 88u);
    SetDefaultsFilePath(nullptr);

    ToolResult list = RunTool({"defaults", file}, dir.path);
    ASSERT_EQ(list.status, 0);
    EXPECT_NE(list.out.find(" 3 speed                 55\n"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("21 needleUpTime          1250.5\n"), std::string::npos);
    EXPECT_NE(list.out.find(" 0 stitchRep             0\n"), std::string::npos);
    EXPECT_NE(list.out.find("25 showAdvancedFeatures  -\n"), std::string::npos);
}

TEST(DefaultsTool, BadAssignmentsChangeNothing) {
    TempDir dir;
    std::string file = dir.File("defaults.mrl");
    ASSERT_TRUE(WriteFileText(file, std::string(104, '\0')));
    for (const char* bad : {"speed=fast", "speed=1.5", "speed=99999999999", "colour=3",
                            "xMargin=nan", "xMargin=", "speed"}) {
        EXPECT_EQ(RunTool({"defaults", file, "XKp=7", bad}, dir.path).status, 2) << bad;
    }
    EXPECT_EQ(ReadFileText(file), std::string(104, '\0'));
    EXPECT_EQ(RunTool({"defaults", dir.File("absent.mrl")}, dir.path).status, 1);
    EXPECT_EQ(RunTool({"defaults"}, dir.path).status, 2);
}

TEST(DefaultsTool, SlotNamesFollowTheFileLayout) {
    EXPECT_EQ(FindDefaultSlot("stitchRep"), 0);
    EXPECT_EQ(FindDefaultSlot("Err"), 10);
    EXPECT_EQ(FindDefaultSlot("leadLineSpeed"), 16);
    EXPECT_EQ(FindDefaultSlot("showAdvancedFeatures"), 25);
    EXPECT_EQ(FindDefaultSlot("err"), -1);
    EXPECT_EQ(FindDefaultSlot(nullptr), -1);
    int floats = 0;
    for (const DefaultSlotInfo& info : kDefaultSlotInfo)
        floats += info.isFloat ? 1 : 0;
    EXPECT_EQ(floats, 10);
    EXPECT_TRUE(kDefaultSlotInfo[kSlotMoveIncrement].isFloat);
    EXPECT_FALSE(kDefaultSlotInfo[kSlotNeedleUpConfirm].isFloat);
}

}  // namespace
