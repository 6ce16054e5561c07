// Crash recovery with the real program: a recovery layout is loaded at start,
// the file is removed, and when the program then crashes the layout it holds
// is written back as the recovery file, whole.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout_fixture.h"
#include "pattern/pattern.h"
#include "support/mc1sim_fixture.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

TEST(Recovery, ACrashAfterRecoveringWritesTheRecoveredLayoutBackWhole) {
    ASSERT_TRUE(EnsureGtk()) << "no X display for the window tests";
    TempDir dir, root;
    const std::string source = LONGARM_SOURCE_DIR;
    for (const char* name : {"images", "gtkrc", "gtkrc_5"})
        ASSERT_EQ(symlink((source + "/" + name).c_str(), dir.File(name).c_str()), 0);
    ASSERT_EQ(mkdir(dir.File("Layout").c_str(), 0777), 0);
    ASSERT_EQ(mkdir(dir.File("patterns").c_str(), 0777), 0);

    // A layout of a measured table, one box and one placed pattern.
    FreeLayout();
    InitPatternBox();
    extents = std::make_unique<PatternBox>();
    SetPatternBoxCorners(extents.get(), {{0, 0}, {40, 0}, {40, 20}, {0, 20}});
    SetPatternBoxOrigin(extents.get());
    PatternBox* box = GetPatternBox(CreatePatternBox());
    SetPatternBoxCorners(box, {{0, 20}, {40, 20}, {40, 0}, {0, 0}});
    SetPatternBoxOrigin(box);
    auto pattern = std::make_unique<Pattern>();
    pattern->name = "zigzag";
    pattern->x = {0, 1, 2, 3};
    pattern->y = {0, 1, 0, 1};
    pattern->pointCount = 4;
    UpdatePatternSize(pattern.get());
    ASSERT_EQ(AddPatternToList(0, std::move(pattern)), 1);
    ASSERT_NE(AppendLayoutNode(0, -1, 0, 2.5f, 3.5f, 0), nullptr);
    const std::string recovery = dir.File("Layout/recovery");
    ASSERT_EQ(SaveLayout(recovery.c_str(), 0, 1), 1);
    const std::string saved = ReadFileText(recovery + ".qlf");
    FreeLayout();

    Mc1Sim board;
    ASSERT_TRUE(board.running) << board.error;
    ResetMessageWindowsAnswered();
    ProgramResult run = RunProgram({std::string(LONGARM_BINARY_DIR) + "/bin/longarm", "--root",
                                    root.path, "--serial", board.device, "--test-crash"},
                                   dir.path, 60000, AnswerMessageWindows);

    ASSERT_FALSE(run.timedOut) << run.out;
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    const size_t recovered = run.out.find("Recover Layout\n");
    const size_t crashed = run.out.find("Segmentation Fault\n");
    ASSERT_NE(recovered, std::string::npos) << run.out;
    ASSERT_NE(crashed, std::string::npos) << run.out;
    EXPECT_LT(recovered, crashed);
    EXPECT_GE(MessageWindowsAnswered(), 1);  // the crash message waited for OK
    // The layout is recovered after the last start-up banner, before the main loop.
    EXPECT_LT(run.out.find("Entering GTK_MAIN()"), recovered);
    EXPECT_NE(run.out.find("Screen: pattern select, menu mask 0x34000BD\n"), std::string::npos)
        << run.out;
    // The file was removed after loading and written again by the crash, with
    // exactly the layout that was recovered.
    EXPECT_EQ(ReadFileText(dir.File("Layout/recovery.qlf")), saved);
    EXPECT_NE(access(dir.File("Layout/recovery.qlf.tmp000000").c_str(), F_OK), 0);
}

}  // namespace
