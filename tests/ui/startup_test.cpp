// The real program started as a child process against the simulated board:
// a recovered layout written back by a crash. And the committed images/
// folder: every picture the screens name loads, and the generator makes it.
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

// The program started in a folder of its own (the small style file and the
// images linked in, a pattern) with a root folder for the system locations, a
// faulty large style file and a recovery layout; it crashes once the main
// loop runs.
TEST(ProgramFolder, StartsRecoversTheLayoutAndACrashWritesItBackWhole) {
    ASSERT_TRUE(EnsureGtk()) << "no X display for the window tests";
    Mc1Sim board;
    ASSERT_TRUE(board.running) << board.error;
    TempDir dir, root;
    for (const char* name : {"gtkrc_5", "images"})
        ASSERT_EQ(
            symlink((LONGARM_SOURCE_DIR "/" + std::string(name)).c_str(), dir.File(name).c_str()),
            0);
    for (const char* folder : {"patterns", "Layout"})
        ASSERT_EQ(mkdir(dir.File(folder).c_str(), 0777), 0);
    ASSERT_EQ(mkdir(root.File("tmp").c_str(), 0777), 0);
    ASSERT_TRUE(WriteFileText(dir.File("patterns/a.qcc"), "p X0.000 Y0.000\np X1.000 Y1.000\n"));
    // A style file with a fault makes the toolkit name the file it parsed:
    // icon style 1 in the screen settings chooses "./gtkrc".
    ASSERT_TRUE(WriteFileText(dir.File("gtkrc"), "style \"x\" {\n  bogus = 3\n}\n"));
    ASSERT_TRUE(WriteFileText(dir.File("screen.conf"), "icon_style = 1\n"));
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

    ProgramResult run = RunProgram({LONGARM_BINARY_DIR "/bin/longarm", "--root", root.path,
                                    "--serial", board.device, "--test-crash"},
                                   dir.path, 60000, AnswerMessageWindows);
    ASSERT_FALSE(run.timedOut) << run.out;
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_NE(run.err.find("./gtkrc:"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("Initialize User Interface Function"), 0u) << run.out;
    // The program's folders are made; the board answered, so its constants
    // were taken and the defaults file written.
    EXPECT_EQ(access(dir.File("thumbnails").c_str(), F_OK), 0);
    EXPECT_EQ(run.out.find("Communications With MC1 Failed"), std::string::npos) << run.out;
    EXPECT_EQ(access(dir.File("defaults.mrl").c_str(), F_OK), 0);
    // The layout is recovered after the last start-up banner, before the main
    // loop, and the crash waits for OK.
    const size_t recovered = run.out.find("Recover Layout\n");
    const size_t crashed = run.out.find("Segmentation Fault\n");
    ASSERT_NE(recovered, std::string::npos) << run.out;
    ASSERT_NE(crashed, std::string::npos) << run.out;
    EXPECT_LT(recovered, crashed);
    EXPECT_GE(windowsAnswered, 1);
    EXPECT_LT(run.out.find("Entering GTK_MAIN()"), recovered);
    EXPECT_NE(run.out.find("Screen: pattern select, menu mask 0x34000BD\n"), std::string::npos)
        << run.out;
    // The file was removed after loading and written again by the crash, with
    // exactly the layout that was recovered.
    EXPECT_EQ(ReadFileText(dir.File("Layout/recovery.qlf")), saved);
    EXPECT_NE(access(dir.File("Layout/recovery.qlf.tmp000000").c_str(), F_OK), 0);
}

// A renamed or lost icon would show as a broken image; a hand-edited one
// would be lost the next time the generator runs.
TEST(Images, EveryPictureTheScreensNameLoadsAndTheGeneratorMakesTheFolder) {
    const std::string images = LONGARM_SOURCE_DIR "/images";
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
            gdk_pixbuf_animation_new_from_file((images + "/" + n).c_str(), nullptr);
        EXPECT_TRUE(anim) << n;
        if (anim) g_object_unref(anim);
    }
    TempDir tmp;
    const ProgramResult run = RunProgram(
        {"/usr/bin/python3", LONGARM_SOURCE_DIR "/tools/icons/draw_icons.py", tmp.File("images")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(FolderNames(tmp.File("images")), FolderNames(images));
    for (const std::string& file : FolderNames(tmp.File("images"))) {
        const std::string made = ReadFileText(tmp.File("images/" + file));
        EXPECT_TRUE(!made.empty() && made == ReadFileText(images + "/" + file))
            << file << " differs from the committed file: run tools/icons/draw_icons.py";
    }
}

}  // namespace
