// Starts the real program as a child process in a prepared program folder,
// against the simulated board or with no board at all, and reads what it
// prints: the first start, a start without a board, a recovered layout written
// back by a crash, and a program update finished by the next start.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "maintenance/checksum_file.h"
#include "maintenance/program_update.h"
#include "support/mc1sim_fixture.h"
#include "support/run_layout.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support_ui/ui_fixture.h"

namespace {

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

void Put(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(WriteFileText(path, text)) << path;
}

// Presses Return on the program's message window ("Longarm message") when
// one is up, counting the windows answered.
int windowsAnswered = 0;
void AnswerMessageWindows() {
    gchar* out = nullptr;
    const char* search[] = {"xdotool", "search", "--name", "^Longarm message$", nullptr};
    const auto flags = static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDERR_TO_DEV_NULL);
    if (!g_spawn_sync(nullptr, const_cast<char**>(search), nullptr, flags, nullptr, nullptr, &out,
                      nullptr, nullptr, nullptr))
        return;
    std::string id = out ? out : "";
    g_free(out);
    if (id.empty()) return;
    id = id.substr(0, id.find('\n'));
    const char* press[] = {"xdotool", "windowfocus", "--sync", id.c_str(),
                           "key",     "Return",      nullptr};
    if (g_spawn_sync(nullptr, const_cast<char**>(press), nullptr, flags, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr))
        windowsAnswered++;
}

const std::string kSource = LONGARM_SOURCE_DIR;
const std::string kLongarm = LONGARM_BINARY_DIR "/bin/longarm";

// A program folder: links to the repository's style files and images (in a
// folder of its own, which an update copies into), a pattern, and a root
// folder for the fixed system locations.
class ProgramFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureGtk()) << "no X display for the window tests";
        ASSERT_TRUE(board.running) << board.error;
        for (const char* name : {"gtkrc", "gtkrc_5"})
            ASSERT_EQ(symlink((kSource + "/" + name).c_str(), dir.File(name).c_str()), 0);
        std::filesystem::create_directories(dir.File("images"));
        for (const auto& image : std::filesystem::directory_iterator(kSource + "/images"))
            std::filesystem::create_symlink(image.path(),
                                            dir.File("images/" + image.path().filename().string()));
        Put(dir.File("patterns/a.qcc"), "p X0.000 Y0.000\np X1.000 Y1.000\n");
        ASSERT_EQ(mkdir(root.File("tmp").c_str(), 0777), 0);
    }
    // Starts the program with these arguments, against the simulated board
    // unless withBoard is false; its message windows are answered with Return.
    ProgramResult Start(std::vector<std::string> args, bool withBoard = true) {
        std::vector<std::string> all = {kLongarm, "--root", root.path};
        if (withBoard) all.insert(all.end(), {"--serial", board.device});
        all.insert(all.end(), args.begin(), args.end());
        windowsAnswered = 0;
        return RunProgram(all, dir.path, 60000, AnswerMessageWindows);
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
    ProgramResult noRoot =
        RunProgram({kLongarm, "--root", dir.File("missing"), "--quit-after-start"}, dir.path);
    EXPECT_EQ(noRoot.exitStatus, 1);
    EXPECT_NE(noRoot.err.find("--root"), std::string::npos);
    EXPECT_EQ(noRoot.out.find("Initialize User Interface Function"), std::string::npos);
}

TEST_F(ProgramFolder, WithoutABoardTheProgramSaysSoAndStartsFromTheDefaultsFile) {
    // The first character of the first argument chooses the port: "2" the
    // second serial port of the controller, which this machine does not have.
    ProgramResult first = Start({"2", "--quit-after-start"}, false);
    EXPECT_EQ(first.exitStatus, 0) << first.out << first.err;
    EXPECT_GE(windowsAnswered, 1);  // "UNABLE TO OPEN SERIAL PORT: ..."
    EXPECT_NE(first.out.find("Open Serial 2\n"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("/dev/s3c2410_serial2: "), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("Default File Not Present. Setting Defaults..."), std::string::npos);
    ASSERT_TRUE(Exists(dir.File("defaults.mrl")));

    ProgramResult second = Start({"--quit-after-start"}, false);
    EXPECT_EQ(second.exitStatus, 0) << second.err;
    EXPECT_NE(second.out.find("/dev/ttyUSB0: "), std::string::npos) << second.out;
    EXPECT_NE(second.out.find("Communications With MC1 Failed. Retrieve From File..."),
              std::string::npos);
    EXPECT_NE(second.out.find("Screen: quilt-area setup"), std::string::npos);
}

TEST_F(ProgramFolder, ACrashAfterRecoveringWritesTheRecoveredLayoutBackWhole) {
    ASSERT_EQ(mkdir(dir.File("Layout").c_str(), 0777), 0);
    // A layout of a measured table, one box and one placed pattern.
    ResetLayout();
    extents = std::make_unique<PatternBox>();
    SetPatternBoxCorners(extents.get(), {{0, 0}, {40, 0}, {40, 20}, {0, 20}});
    SetPatternBoxOrigin(extents.get());
    const int box = MakeRectBox(0, 0, 40, 20);
    const int slot = LoadPoints({{0, 0}, {1, 1}, {2, 0}, {3, 1}});
    ASSERT_NE(AppendLayoutNode(slot, -1, 0, 2.5f, 3.5f, box), nullptr);
    const std::string recovery = dir.File("Layout/recovery");
    ASSERT_EQ(SaveLayout(recovery.c_str(), 0, 1), 1);
    const std::string saved = ReadFileText(recovery + ".qlf");
    ResetLayout();

    ProgramResult run = Start({"--test-crash"});
    ASSERT_FALSE(run.timedOut) << run.out;
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    const size_t recovered = run.out.find("Recover Layout\n");
    const size_t crashed = run.out.find("Segmentation Fault\n");
    ASSERT_NE(recovered, std::string::npos) << run.out;
    ASSERT_NE(crashed, std::string::npos) << run.out;
    EXPECT_LT(recovered, crashed);
    EXPECT_GE(windowsAnswered, 1);  // the crash message waited for OK
    // The layout is recovered after the last start-up banner, before the main loop.
    EXPECT_LT(run.out.find("Entering GTK_MAIN()"), recovered);
    EXPECT_NE(run.out.find("Screen: pattern select, menu mask 0x34000BD\n"), std::string::npos)
        << run.out;
    // The file was removed after loading and written again by the crash, with
    // exactly the layout that was recovered.
    EXPECT_EQ(ReadFileText(dir.File("Layout/recovery.qlf")), saved);
    EXPECT_NE(access(dir.File("Layout/recovery.qlf.tmp000000").c_str(), F_OK), 0);
}

TEST_F(ProgramFolder, TheNextStartFinishesAnUpdateAndTheOneAfterStartsNormally) {
    Put(dir.File("system"), "SYSTEM UPDATED\n");
    Put(root.File("media/mmc0/Keswin/keswin"), "old program");
    const std::string program = root.File("media/usb/release/keswin.BIN");
    Put(program, "new program");
    Put(root.File("media/usb/release/gtkrc_5"), ReadFileText(kSource + "/gtkrc_5") + "# new\n");
    Put(root.File("media/usb/release/images/extra.png"), "png");
    Put(dir.File("kernel"), "Linux version 2.6.29.6_dunlow (gcc) #1\n");
    ASSERT_EQ(WriteChecksumFile(program, kAppCodeProgram, 3.10f, "2.6.29.6"), 1);
    // The first run: "Update Program" with the stick's file.
    char here[PATH_MAX];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(dir.path.c_str()), 0);
    ASSERT_EQ(SetSystemRoot(root.path.c_str()), 1);
    UserInterfaceHooks hooks;
    hooks.showMessage = [](int, int buttons, const char*) {
        return buttons == kButtonsYesNo ? kResponseYes : kResponseOk;
    };
    SetUserInterfaceHooks(hooks);
    const int updated = UpdateProgram(program, dir.File("kernel").c_str());
    SetUserInterfaceHooks({});
    SetSystemRoot(nullptr);
    ASSERT_EQ(chdir(here), 0);
    ASSERT_EQ(updated, kProgramUpdated);
    ASSERT_FALSE(std::filesystem::exists(dir.File("system")));
    // The next start finishes it and ends with status 1.
    ProgramResult second = Start({});
    ASSERT_FALSE(second.timedOut) << second.out;
    EXPECT_EQ(second.exitStatus, 1) << second.out << second.err;
    EXPECT_NE(second.out.find("No System file\nProcess Command: cp "), std::string::npos)
        << second.out;
    EXPECT_GE(windowsAnswered, 1);  // "SYSTEM UPDATE SUCCESSFUL"
    EXPECT_EQ(ReadFileText(dir.File("system")),
              "SYSTEM UPDATED\nCRC Check: 1021224790\nVersion: 3.100\n");
    EXPECT_EQ(ReadFileText(dir.File("gtkrc_5")), ReadFileText(kSource + "/gtkrc_5") + "# new\n");
    EXPECT_EQ(ReadFileText(dir.File("images/extra.png")), "png");
    // With "./system" back, the start after that is a normal one.
    ProgramResult third = Start({"--quit-after-start"});
    EXPECT_EQ(third.exitStatus, 0) << third.out << third.err;
    EXPECT_EQ(third.out.find("No System file"), std::string::npos);
    EXPECT_NE(third.out.find("Screen: quilt-area setup"), std::string::npos) << third.out;
}
