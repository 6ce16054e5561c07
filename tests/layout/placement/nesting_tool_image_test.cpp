#include "base/system_paths.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "machine/nesting.h"
#include "machine/serial_link.h"
#include "pattern/pattern_save_as.h"
#include "placement_fixture.h"
#include "support/mc1sim_fixture.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

// The quilter nesting a layout at the simulated board: a 20 x 10 inch box at
// (1, 2) holding a 2 x 1 inch pattern at (3, 4); the message answered number
// cancelAt is cancelled. When pushing, the quilter's hand pushes the head to
// the lower corners, then to both marks found 8 inches back and a quarter
// inch to the right, the quilt turned by 0.01 rad; and once more (in vain:
// the head is held) while the program marks a place. Thousandths of an inch.
int answered = 0, cancelAt = -1;
const Mc1Sim* board = nullptr;
bool pushing = false;

void Push(const std::string& message) {
    const std::pair<const char*, const char*> pushes[] = {
        {NestingStep(kNestLowerLeft).message, "push 1000 12000"},
        {kNestMarkThis, "push 500 500"},
        {NestingStep(kNestLowerRight).message, "push 20000 0"},
        {NestingStep(kNestFirstMark).message, "push -19750 -8000"},
        {NestingStep(kNestSecondMark).message, "push 19999 200"},
    };
    for (const auto& [step, push] : pushes)
        if (pushing && message == step) SimControl(*board, push);
}

TEST_F(PlacementTest, NestingStepsCanBeCancelledAndTheMarksAreFoundAgain) {
    TempDir root;
    ASSERT_EQ(SetSystemRoot(root.path.c_str()), 1);  // the undo step goes there
    PatternBox* box = GetPatternBox(MakeRectBox(1, 2, 20, 10));
    LayoutNode* node =
        NewPatternLayoutNode(LoadPoints({{0, 0}, {2, 0}, {2, 1}, {0, 1}}), -1, 0, 3, 4);
    Mc1Sim sim;
    ASSERT_TRUE(sim.running) << sim.error;
    board = &sim;
    SetSerialDevicePath(sim.device);
    ASSERT_GE(OpenPort(), 0);
    UserInterfaceHooks hooks = GetUserInterfaceHooks();
    hooks.showMessage = [](int, int, const char* text) {
        script.shown.push_back(text);
        Push(text);
        return answered++ == cancelAt ? kResponseCancel : kResponseOk;
    };
    SetUserInterfaceHooks(hooks);
    for (cancelAt = 0; cancelAt < 7; cancelAt++) {
        answered = 0;
        EXPECT_EQ(NestingMarks(), kNestCancelled) << cancelAt;
        EXPECT_EQ(box->y, 2) << cancelAt;
    }
    // The marks found again on the board: the box follows them, the pattern
    // is turned back, and the axes are released.
    cancelAt = -1;
    pushing = true;
    EXPECT_EQ(NestingMarks(), kNestMoved);
    pushing = false;
    ExpectNear({box->x, box->y}, {1.25f, 4}, 1e-4);
    EXPECT_NEAR(GetPattern(node->patternIndex)->width, 2.0099f, 2e-4);  // turned back by 0.01
    const std::string state = SimControl(sim, "state");
    EXPECT_EQ(StateValue(state, "xenabled") + StateValue(state, "yenabled"), "00");
    // Without a serial line the first mark cannot be read: reported, the box stays.
    ClosePort();
    EXPECT_EQ(NestingMarks(), kNestFailed);
    EXPECT_FLOAT_EQ(box->y, 4);
    EXPECT_EQ(script.shown.back(), kNestCommunicationsError);
    SetSerialDevicePath("");
    SetSystemRoot(nullptr);
}

// longarm-tool on a saved 20 x 10 inch box holding a 2 x 1 inch pattern at
// (1, 1): a picture of the given size, autofill, the listing and merge.
TEST_F(PlacementTest, TheToolDrawsFillsListsAndMergesTheFile) {
    TempDir dir;
    BogusExtents();
    SetPatternBoxCorners(GetPatternBox(0), {{0, 0}, {0, 10}, {20, 10}, {20, 0}});
    SetPatternBoxOrigin(GetPatternBox(0));
    NewPatternLayoutNode(LoadPoints({{0, 0}, {2, 0}, {2, 1}, {0, 1}}), -1, 0, 1, 1);
    ASSERT_EQ(SaveLayout(dir.File("quilt").c_str(), 0, 1), 1);
    const std::string file = dir.File("quilt.qlf"), png = dir.File("quilt.png");
    ASSERT_EQ(RunProgram({LONGARM_TOOL_PATH, "render", file, png, "400", "200"}).exitStatus, 0);
    EXPECT_EQ(ReadFileText(png).substr(12, 12), std::string("IHDR\0\0\x01\x90\0\0\0\xc8", 12));
    ProgramResult r =
        RunProgram({LONGARM_TOOL_PATH, "autofill", file, "--placement", "0", "--independent"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.out.rfind("autofilled placement 0 in box 0: 10 down x 10 across, each ", 0), 0u)
        << r.out;
    r = RunProgram({LONGARM_TOOL_PATH, "layout", file});
    for (const char* line : {"extents: origin 0.000, 0.000  size 35.000 x 14.000 in", "boxes: 1\n",
                             "pattern 0: \"test\"  4 points  0 commands  2.000 x 1.000 in",
                             "placement 0: pattern 0 in box 0 at 0.000, 0.000  array 0 (parent)",
                             "array 0: 10 down every 0.000 in, 10 across every 0.000 in"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
    r = RunProgram({LONGARM_TOOL_PATH, "merge", file, "--placement", "7"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(
        r.out.rfind("merged 10 down x 10 across into pattern 0 \"test_merged\": 400 points", 0), 0u)
        << r.out;
    ASSERT_EQ(LoadLayout(file.c_str(), 1, 1), 1);
    ASSERT_EQ(CountLayoutNodes(), 1);
    EXPECT_EQ(GetPattern(patternLayout->patternIndex)->name, "test_merged");
    r = RunProgram({LONGARM_TOOL_PATH, "layout", dir.File("none.qlf")});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_NE(r.err.find("COULD NOT OPEN LAYOUT FILE."), std::string::npos);
}

TEST_F(PlacementTest, SavesUnderTheTypedNameAndAsksBeforeReplacing) {
    const char* names[][2] = {{"Feather", "Feather.qcc"},
                              {"  Loops 2  ", "Loops 2.qcc"},
                              {"swirl.qcc", "swirl.qcc"},
                              {"../../etc/passwd", "etcpasswd.qcc"},
                              {"a\\b\n", "ab.qcc"},
                              {".hidden", "hidden.qcc"},
                              {"", ""},
                              {" ./ ", ""}};
    for (const auto& [typed, name] : names)
        EXPECT_EQ(PatternFileNameFromEntry(typed), name);
    EXPECT_EQ(PatternFileNameFromEntry(std::string(300, 'x')).size(), 124u);
    TempDir dir;
    const std::string folder = dir.path + "/";
    int slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}});
    const Pattern* p = GetPattern(slot);
    script.typed = "Star";
    // The name exists: No keeps the old file untouched.
    WriteFileText(dir.File("Star.qcc"), "old");
    script.messageResponse = kResponseNo;
    EXPECT_EQ(SavePatternAs(p, folder.c_str()), 0);
    EXPECT_EQ(script.shown, std::vector<std::string>{"FILE EXIXTS!\n\nOVERWRITE?"});
    EXPECT_EQ(ReadFileText(dir.File("Star.qcc")), "old");
    script.messageResponse = kResponseYes;
    EXPECT_EQ(SavePatternAs(p, folder.c_str()), 1);
    EXPECT_NE(ReadFileText(dir.File("Star.qcc")).find("p X2.000 Y1.000"), std::string::npos);
}

}  // namespace
