// Starts the real program as a child process in a prepared program folder,
// against the simulated board or with no board at all, and reads what it prints.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/mc1sim_fixture.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support_ui/ui_fixture.h"
#include "ui/interface.h"

namespace {

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

std::string LongarmPath() {
    return std::string(LONGARM_BINARY_DIR) + "/bin/longarm";
}

// A program folder: images and style files of the repository, a patterns
// folder, and a root folder for the fixed system locations.
class ProgramFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureGtk()) << "no X display for the window tests";
        const std::string source = LONGARM_SOURCE_DIR;
        ASSERT_EQ(symlink((source + "/images").c_str(), dir.File("images").c_str()), 0);
        ASSERT_EQ(symlink((source + "/gtkrc").c_str(), dir.File("gtkrc").c_str()), 0);
        ASSERT_EQ(symlink((source + "/gtkrc_5").c_str(), dir.File("gtkrc_5").c_str()), 0);
        ASSERT_EQ(mkdir(dir.File("patterns").c_str(), 0777), 0);
        ASSERT_TRUE(
            WriteFileText(dir.File("patterns/a.qcc"), "p X0.000 Y0.000\np X1.000 Y1.000\n"));
        ASSERT_EQ(mkdir(root.File("tmp").c_str(), 0777), 0);
    }

    // Starts the program against the simulated board.
    ProgramResult Start(std::vector<std::string> args) {
        EXPECT_TRUE(board.running) << board.error;
        args.insert(args.begin(), {LongarmPath(), "--root", root.path, "--serial", board.device});
        return RunProgram(args, dir.path, 30000);
    }

    // Starts the program with no board: the serial line cannot be opened and
    // its message window is answered.
    ProgramResult StartWithoutBoard(std::vector<std::string> args) {
        args.insert(args.begin(), {LongarmPath(), "--root", root.path});
        ResetMessageWindowsAnswered();
        return RunProgram(args, dir.path, 30000, AnswerMessageWindows);
    }

    TempDir dir;
    TempDir root;
    Mc1Sim board;
};

}  // namespace

TEST_F(ProgramFolder, WithoutARecoveryLayoutTheQuiltAreaSetupComesFirst) {
    // A style file with a fault makes the toolkit name the file it parsed:
    // icon style 1 in the screen settings chooses "./gtkrc".
    ASSERT_EQ(unlink(dir.File("gtkrc").c_str()), 0);
    ASSERT_TRUE(WriteFileText(dir.File("gtkrc"), "style \"x\" {\n  bogus = 3\n}\n"));
    ASSERT_TRUE(WriteFileText(dir.File("screen.conf"), "icon_style = 1\n"));
    ProgramResult run = Start({"--quit-after-start"});
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_NE(run.err.find("./gtkrc:"), std::string::npos) << run.err;
    // Every start-up stage ran, from the first banner to the main loop.
    EXPECT_EQ(run.out.find("Initialize User Interface Function"), 0u) << run.out;
    EXPECT_NE(run.out.find("done\nEntering GTK_MAIN()\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Screen: quilt-area setup, menu mask 0x3\n"), std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("Recover Layout"), std::string::npos);
    // The program's folders are made at start.
    EXPECT_TRUE(Exists(dir.File("thumbnails")));
    EXPECT_TRUE(Exists(dir.File("Layout")));
    // The board answered: its constants were taken and the defaults file written.
    EXPECT_EQ(run.out.find("Communications With MC1 Failed"), std::string::npos) << run.out;
    EXPECT_TRUE(Exists(dir.File("defaults.mrl")));

    // A missing root folder ends the program before it starts (the options
    // themselves are the command line's table).
    ProgramResult noRoot = RunProgram(
        {LongarmPath(), "--root", dir.File("missing"), "--quit-after-start"}, dir.path, 30000);
    EXPECT_EQ(noRoot.exitStatus, 1);
    EXPECT_NE(noRoot.err.find("--root"), std::string::npos);
    EXPECT_EQ(noRoot.out.find("Initialize User Interface Function"), std::string::npos);
}

TEST_F(ProgramFolder, WithoutABoardTheProgramSaysSoAndStartsFromTheDefaultsFile) {
    // The first character of the first argument chooses the port: "2" the
    // second serial port of the controller, which this machine does not have.
    ProgramResult first = StartWithoutBoard({"2", "--quit-after-start"});
    EXPECT_EQ(first.exitStatus, 0) << first.out << first.err;
    EXPECT_GE(MessageWindowsAnswered(), 1);  // "UNABLE TO OPEN SERIAL PORT: ..."
    EXPECT_NE(first.out.find("Open Serial 2\n"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("/dev/s3c2410_serial2: "), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("Default File Not Present. Setting Defaults..."), std::string::npos);
    ASSERT_TRUE(Exists(dir.File("defaults.mrl")));

    ProgramResult second = StartWithoutBoard({"--quit-after-start"});
    EXPECT_EQ(second.exitStatus, 0) << second.err;
    EXPECT_NE(second.out.find("/dev/ttyUSB0: "), std::string::npos) << second.out;
    EXPECT_NE(second.out.find("Communications With MC1 Failed. Retrieve From File..."),
              std::string::npos);
    EXPECT_NE(second.out.find("Screen: quilt-area setup"), std::string::npos);
}
