// The real program started as a child process in a prepared program folder,
// against the simulated board: the first start and a recovered layout written
// back by a crash. And the committed images/ folder: every picture the
// screens load by name loads, and the folder is what the icon generator makes.
#include <sys/stat.h>
#include <unistd.h>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "support/mc1sim_fixture.h"
#include "support/run_layout.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support_ui/ui_fixture.h"

namespace {

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
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

// A program folder: links to the repository's style files and images, a
// pattern, and a root folder for the fixed system locations.
class ProgramFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureGtk()) << "no X display for the window tests";
        ASSERT_TRUE(board.running) << board.error;
        for (const char* name : {"gtkrc", "gtkrc_5", "images"})
            ASSERT_EQ(symlink((kSource + "/" + name).c_str(), dir.File(name).c_str()), 0);
        ASSERT_EQ(mkdir(dir.File("patterns").c_str(), 0777), 0);
        ASSERT_TRUE(
            WriteFileText(dir.File("patterns/a.qcc"), "p X0.000 Y0.000\np X1.000 Y1.000\n"));
        ASSERT_EQ(mkdir(root.File("tmp").c_str(), 0777), 0);
    }
    // Starts the program with these arguments against the simulated board;
    // its message windows are answered with Return.
    ProgramResult Start(std::vector<std::string> args) {
        std::vector<std::string> all = {kLongarm, "--root", root.path, "--serial", board.device};
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

namespace {

const std::string kImages = LONGARM_SOURCE_DIR "/images";

// Every quoted picture name in the screens' sources is a committed file that
// loads (a renamed or lost icon would show as a broken image).
TEST(Images, EveryPictureTheScreensNameLoadsAndTheGeneratorMakesTheFolder) {
    const std::regex name("\"(?:\\./images/)?([A-Za-z0-9_-]+\\.(?:png|gif))\"");
    std::set<std::string> named;
    for (const std::string& file : FolderNames(LONGARM_SOURCE_DIR "/src/ui")) {
        const std::string text = ReadFileText(LONGARM_SOURCE_DIR "/src/ui/" + file);
        for (auto m = std::sregex_iterator(text.begin(), text.end(), name);
             m != std::sregex_iterator(); ++m)
            named.insert((*m)[1]);
    }
    ASSERT_GT(named.size(), 40u);
    for (const std::string& n : named) {
        GdkPixbufAnimation* anim =
            gdk_pixbuf_animation_new_from_file((kImages + "/" + n).c_str(), nullptr);
        EXPECT_TRUE(anim) << n;
        if (anim) g_object_unref(anim);
    }
    // The folder is exactly what the icon generator makes.
    TempDir tmp;
    const ProgramResult run = RunProgram(
        {"/usr/bin/python3", LONGARM_SOURCE_DIR "/tools/icons/draw_icons.py", tmp.File("images")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(FolderNames(tmp.File("images")), FolderNames(kImages));
    for (const std::string& name : FolderNames(tmp.File("images"))) {
        const std::string made = ReadFileText(tmp.File("images/" + name));
        EXPECT_TRUE(!made.empty() && made == ReadFileText(kImages + "/" + name))
            << name << " differs from the committed file: run tools/icons/draw_icons.py";
    }
}

}  // namespace
