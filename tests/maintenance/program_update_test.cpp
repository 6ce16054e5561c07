// The program update's first run and its finishing at the next start.
#include "maintenance/program_update.h"
#include "maintenance/checksum_file.h"
#include "maintenance_test.h"
#include "support/captured_log.h"

namespace {

struct ProgramUpdateTest : ProgramFolderTest {
    void SetUp() override {
        ProgramFolderTest::SetUp();
        Put(root.File("media/mmc0/Keswin/keswin"), "old program");
        Put(Program(), "new program");
        for (const char* name :
             {"gtkrc_5", "gtkrc", "screen.conf", "images/icon.png", "images/.icon.png"})
            Put(Stick("up/") + name, name);
        Put(dir.File("kernel"), "Linux version 2.6.29.6_dunlow (gcc) #1\n");
        Put("system", "SYSTEM UPDATED\n");
    }
    std::string Program() const { return Stick("up/prog.new.BIN"); }
    std::string Installed() const { return ReadFileText(root.File("media/mmc0/Keswin/keswin")); }
    int Update() { return UpdateProgram(Program(), dir.File("kernel").c_str()); }
};

TEST_F(ProgramUpdateTest, SavesTheBackupWritesTheFollowUpsAndInstalls) {
    ASSERT_EQ(WriteChecksumFile(Program(), kAppCodeProgram, 3.06f, "2.6.29.6"), 1);
    const std::string log = Logged([&] { EXPECT_EQ(Update(), kProgramUpdated); });
    EXPECT_NE(log.find("Get Kernel Version\nkernel version: 2.6.29.6\n"), std::string::npos) << log;
    EXPECT_EQ(messages.shown,
              (std::vector<std::string>{"UPDATE THE REMOTE WITH " + Program() + " version 3.06?",
                                        "FILE COPIED.\nTHE PROGRAM WILL NOW RESTART"}));
    EXPECT_EQ(Installed(), "new program");
    EXPECT_EQ(ReadFileText(ProgramBackupPath()), "old program");
    EXPECT_EQ(ProgramBackupPath(), root.File("media/mmc0/Keswin/backup/version_3_05"));
    struct stat st {};
    ASSERT_EQ(stat(root.File("media/mmc0/Keswin/keswin").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR) << "the program stays executable";
    EXPECT_EQ(ReadFileText("update"), Stick("up/prog.crc") + "\ncp " + Stick("up/gtkrc_5") +
                                          " ./\ncp " + Stick("up/screen.conf") + " ./\ncp " +
                                          Stick("up/images") + "/* ./images\n");
    EXPECT_FALSE(Present("system"));
    // The next start finishing it is proven with the real program (ui_shell).
    EXPECT_EQ(CheckUpdate(nullptr), kStartEndNow);
    EXPECT_FALSE(Present("gtkrc")) << "the style file of the other screen size stays out";
}

TEST_F(ProgramUpdateTest, RefusedFilesChangeNothing) {
    const struct {
        int app;
        std::string kernel;
        bool corrupt;
        std::string message;
    } cases[] = {
        {1, "2.6.29.6", true, "COULD NOT VALIDATE FILE"},
        {2, "2.6.29.6", false, "THE SELECTED FILE IS NOT VALID"},
        {1, "2.6.18.2", false,
         "OPERATING SYSTEM IS NOT COMPATABLE\nSystem: 2.6.29.6 CRC: 2.6.18.2"},
        {1, "", false, "OPERATING SYSTEM IS NOT COMPATABLE\nSystem: 2.6.29.6 CRC: "},
    };
    for (const auto& c : cases) {
        Put(Program(), "new program");
        ASSERT_EQ(WriteChecksumFile(Program(), c.app, 3.06f, c.kernel), 1);
        if (c.corrupt) Put(Program(), "new progran");
        messages.shown.clear();
        EXPECT_EQ(Update(), kProgramNotUpdated) << c.message;
        EXPECT_EQ(messages.shown, std::vector<std::string>{c.message});
        EXPECT_EQ(Installed(), "old program");
        EXPECT_TRUE(Present("system"));
        EXPECT_FALSE(Present("update"));
    }
    // Declined, a folder, and a kernel that cannot be read (which passes the check).
    Put(Program(), "new program");
    ASSERT_EQ(WriteChecksumFile(Program(), 1, 3.06f, "2.6.29.6"), 1);
    messages.answers = {kResponseNo};
    EXPECT_EQ(Update(), kProgramNotUpdated);
    EXPECT_EQ(UpdateProgram(Stick("up"), "/none"), kProgramNotUpdated);
    EXPECT_EQ(messages.Last(), "YOU SELECTED A DIRECTORY.\nABORTING PROCEDURE.");
    EXPECT_EQ(Installed(), "old program");
    const std::string log =
        Logged([&] { EXPECT_EQ(UpdateProgram(Program(), "/none"), kProgramUpdated); });
    EXPECT_NE(log.find("Version File Not Available"), std::string::npos);
    EXPECT_EQ(Installed(), "new program");
}

TEST_F(ProgramUpdateTest, FinishingWithoutStickUpdateFileOrChecksumFile) {
    ASSERT_EQ(WriteChecksumFile(Program(), 1, 3.06f, "2.6.29.6"), 1);
    const struct {
        std::string update;  // "./update", "" for none
        std::string chosen;  // the program file chosen again when "./update" is missing
        int result;
        std::string marker;  // "./system" afterwards, "" for none
        std::string message;
    } cases[] = {
        {"/nowhere/prog.crc\ncp x ./\n", "", kStartGoOn, "CRC INVALID", "INVALID CRC FILE"},
        {"\n", "", kStartEndNow, "System Updated With Possible Errors",
         "SYSTEM UPDATED WITH POSSIBLE ERRORS"},
        {"", "", kStartGoOn, "", "INVALID SELECTION"},
        {"", Stick("up"), kStartGoOn, "", "YOU SELECTED A DIRECTORY.\nABORTING PROCEDURE."},
        {"", Stick("up/screen.conf"), kStartGoOn, "", "THE SELECTED FILE IS NOT VALID"},
        {"", Program(), kStartEndNow, "SYSTEM UPDATED\nCRC Check: 1021224790\nVersion: 3.060\n",
         "SYSTEM UPDATE SUCCESSFUL"},
    };
    for (const auto& c : cases) {
        unlink("system");
        unlink("update");
        if (!c.update.empty()) Put("update", c.update);
        messages.shown.clear();
        EXPECT_EQ(CheckUpdate([&] { return c.chosen; }), c.result) << c.message;
        EXPECT_EQ(messages.Last(), c.message);
        EXPECT_EQ(ReadFileText("system"), c.marker) << c.message;
    }
    EXPECT_EQ(ReadFileText("gtkrc"), "gtkrc") << "the chosen folder's style files";
    EXPECT_EQ(ReadFileText("gtkrc_5"), "gtkrc_5");
    EXPECT_EQ(ReadFileText("images/icon.png"), "images/icon.png");
    EXPECT_FALSE(Present("images/.icon.png"));
    // Without a stick the update is called off and the program starts.
    unlink("system");
    std::filesystem::remove_all(root.File("media/usb"));
    std::filesystem::create_directories(root.File("media/usb"));
    EXPECT_EQ(Logged([] { EXPECT_EQ(CheckUpdate(nullptr), kStartGoOn); }),
              "No System file\nNo USB\n");
    EXPECT_EQ(ReadFileText("system"), "UPDATE CANCELED");
}

TEST_F(ProgramUpdateTest, OnlyRecognisedCopyLinesAreCarriedOut) {
    Put(Stick("up/my file/gtkrc"), "spaced");
    Put(Stick("up/passwd"), "x");
    const struct {
        std::string line;
        int done;
    } cases[] = {
        {"cp " + Stick("up/my file/gtkrc") + " ./", 1},
        {"cp " + Stick("up/images") + "/* ./images/", 1},
        {"cp " + Stick("up/screen.conf") + " ./images", 1},
        {"cp " + Stick("up/passwd") + " ./", 0},
        {"rm -rf ./patterns", 0},
        {"cp " + Stick("up/gtkrc") + " /etc", 0},
        {"cp " + Stick("up/gtkrc") + " ./; touch hacked ./", 0},
        {"cp " + Stick("up/missing") + "/gtkrc ./", 0},
        {"cp", 0},
        {"cp ./", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunUpdateLine(c.line), c.done) << c.line;
    EXPECT_EQ(ReadFileText("gtkrc"), "spaced");
    EXPECT_EQ(ReadFileText("images/icon.png"), "images/icon.png");
    EXPECT_EQ(ReadFileText("images/screen.conf"), "screen.conf");
    EXPECT_FALSE(Present("passwd"));
    EXPECT_FALSE(Present("hacked"));
}

}  // namespace
