// The program update across real starts of the program: the first run's
// update (the core routine the Updates page calls) prepares the program folder
// and the stand-in memory card; the next start of the real program finishes
// it and ends; the start after that is a normal one.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>

#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "maintenance/checksum_file.h"
#include "maintenance/program_update.h"
#include "support/mc1sim_fixture.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support_ui/ui_fixture.h"

namespace {

void Put(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(WriteFileText(path, text)) << path;
}

int AnswerYes(int, int buttons, const char*) {
    return buttons == kButtonsYesNo ? kResponseYes : kResponseOk;
}

TEST(ProgramUpdateStart, TheNextStartFinishesTheUpdateAndTheOneAfterStartsNormally) {
    ASSERT_TRUE(EnsureGtk());
    TempDir dir, root;
    const std::string source = LONGARM_SOURCE_DIR;
    for (const char* name : {"gtkrc", "gtkrc_5"})
        ASSERT_EQ(symlink((source + "/" + name).c_str(), dir.File(name).c_str()), 0);
    // A folder of its own (the update copies into it), holding links to the images.
    std::filesystem::create_directories(dir.File("images"));
    for (const auto& image : std::filesystem::directory_iterator(source + "/images"))
        std::filesystem::create_symlink(
            image.path(), dir.File("images") + "/" + image.path().filename().string());
    Put(dir.File("patterns/a.qcc"), "p X0 Y0\np X1 Y1\n");
    Put(dir.File("system"), "SYSTEM UPDATED\n");
    Put(root.File("media/mmc0/Keswin/keswin"), "old program");
    const std::string program = root.File("media/usb/release/keswin.BIN");
    Put(program, "new program");
    Put(root.File("media/usb/release/gtkrc_5"), ReadFileText(source + "/gtkrc_5") + "# new\n");
    Put(root.File("media/usb/release/images/extra.png"), "png");
    Put(dir.File("kernel"), "Linux version 2.6.29.6_dunlow (gcc) #1\n");
    ASSERT_EQ(WriteChecksumFile(program, kAppCodeProgram, 3.10f, "2.6.29.6"), 1);

    // The first run: "Update Program" with the stick's file.
    char here[PATH_MAX];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(dir.path.c_str()), 0);
    ASSERT_EQ(SetSystemRoot(root.path.c_str()), 1);
    UserInterfaceHooks hooks;
    hooks.showMessage = AnswerYes;
    SetUserInterfaceHooks(hooks);
    const int updated = UpdateProgram(program, dir.File("kernel").c_str());
    SetUserInterfaceHooks({});
    SetSystemRoot(nullptr);
    ASSERT_EQ(chdir(here), 0);
    ASSERT_EQ(updated, kProgramUpdated);
    ASSERT_FALSE(std::filesystem::exists(dir.File("system")));

    // The next start finishes it and ends with status 1.
    Mc1Sim board;
    ASSERT_TRUE(board.running) << board.error;
    const std::vector<std::string> args = {std::string(LONGARM_BINARY_DIR) + "/bin/longarm",
                                           "--root", root.path, "--serial", board.device};
    ResetMessageWindowsAnswered();
    ProgramResult second = RunProgram(args, dir.path, 60000, AnswerMessageWindows);
    ASSERT_FALSE(second.timedOut) << second.out;
    EXPECT_EQ(second.exitStatus, 1) << second.out << second.err;
    EXPECT_NE(second.out.find("No System file\nProcess Command: cp "), std::string::npos)
        << second.out;
    EXPECT_GE(MessageWindowsAnswered(), 1);  // "SYSTEM UPDATE SUCCESSFUL"
    EXPECT_EQ(ReadFileText(dir.File("system")),
              "SYSTEM UPDATED\nCRC Check: 1021224790\nVersion: 3.100\n");
    EXPECT_EQ(ReadFileText(dir.File("gtkrc_5")), ReadFileText(source + "/gtkrc_5") + "# new\n");
    EXPECT_EQ(ReadFileText(dir.File("images/extra.png")), "png");

    // With "./system" back, the start after that is a normal one.
    std::vector<std::string> quick = args;
    quick.push_back("--quit-after-start");
    ProgramResult third = RunProgram(quick, dir.path, 60000, AnswerMessageWindows);
    EXPECT_EQ(third.exitStatus, 0) << third.out << third.err;
    EXPECT_EQ(third.out.find("No System file"), std::string::npos);
    EXPECT_NE(third.out.find("Screen: quilt-area setup"), std::string::npos) << third.out;
}

}  // namespace
