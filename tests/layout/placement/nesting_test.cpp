#include "machine/nesting.h"
#include "layout/layout_selection.h"

#include <string>
#include <vector>

#include "base/system_paths.h"
#include "machine/serial_link.h"
#include "placement_fixture.h"
#include "support/mc1sim_fixture.h"
#include "support/temp_dir.h"

namespace {

struct NestingTest : PlacementTest {
    void SetUp() override {
        PlacementTest::SetUp();
        ASSERT_EQ(SetSystemRoot(root.path.c_str()), 1);  // the undo step goes there
        box = GetPatternBox(MakeRectBox(1, 2, 20, 10));
        node = NewPatternLayoutNode(LoadPoints({{0, 0}, {2, 0}, {2, 1}, {0, 1}}), -1, 0, 3, 4);
    }
    void TearDown() override {
        SetSystemRoot(nullptr);
        PlacementTest::TearDown();
    }
    TempDir root;
    PatternBox* box = nullptr;
    LayoutNode* node = nullptr;
};

// The steps answered OK until the one that is cancelled.
int answered = 0, cancelAt = -1;
std::vector<std::string> asked;

TEST_F(NestingTest, EveryStepCanBeCancelledAndTheMarksRunInOrder) {
    Mc1Sim sim;  // a head that stays where it is
    ASSERT_TRUE(sim.running) << sim.error;
    SetSerialDevicePath(sim.device);
    ASSERT_GE(OpenPort(), 0);
    UserInterfaceHooks hooks = GetUserInterfaceHooks();
    hooks.showMessage = [](int, int, const char* text) {
        asked.push_back(text);
        return answered++ == cancelAt ? kResponseCancel : kResponseOk;
    };
    SetUserInterfaceHooks(hooks);
    for (cancelAt = 0; cancelAt < 7; cancelAt++) {
        answered = 0;
        EXPECT_EQ(NestingMarks(), kNestCancelled) << cancelAt;
        EXPECT_EQ(box->y, 2) << cancelAt;
    }
    // Every reading is the same: no shift, no turn, and the box moves down by
    // its height.
    cancelAt = -1;
    asked.clear();
    EXPECT_EQ(NestingMarks(), kNestMoved);
    EXPECT_FLOAT_EQ(box->y, 12);
    const std::vector<std::string> steps = {
        NestingStep(kNestLowerLeft).message,  kNestMarkThis,
        NestingStep(kNestLowerRight).message, kNestMarkThis,
        NestingStep(kNestRoll).message,       NestingStep(kNestFirstMark).message,
        NestingStep(kNestSecondMark).message};
    EXPECT_EQ(asked, steps);
    EXPECT_EQ(std::string(NestingStep(kNestFirstMark).message),
              "MOVE THE MACHINE TO YOUR FIRST MARK.");

    // Without a serial line the first mark cannot be read: reported, the box stays.
    ClosePort();
    SetSerialDevicePath("");
    asked.clear();
    EXPECT_EQ(NestingMarks(), kNestFailed);
    EXPECT_FLOAT_EQ(box->y, 12);
    EXPECT_EQ(asked.back(), kNestCommunicationsError);

    // The nesting screen: the head pushed half an inch to the right.
    ASSERT_EQ(ApplyNestingScreenMove({100, 200}, {600, 200}), 1);
    EXPECT_NEAR(box->x, 1.5f, 1e-5);
    EXPECT_NEAR(box->corners->x, 1.5f, 1e-5);
    SetCurrentPatternBox(-1);
    EXPECT_EQ(ApplyNestingScreenMove({0, 0}, {600, 200}), 0);
}

// The quilter against the simulated board: the head pushed to each mark when
// its message shows, and pushed once more (in vain: it is held) while the
// quilter marks the place.
const Mc1Sim* board = nullptr;

int PushToMarks(int, int, const char* text) {
    const struct {
        const char* message;
        const char* push;  // thousandths of an inch
    } pushes[] = {
        {NestingStep(kNestLowerLeft).message, "push 1000 12000"},
        {kNestMarkThis, "push 500 500"},
        {NestingStep(kNestLowerRight).message, "push 20000 0"},
        // Rolled 8 inches back and 0.25 to the right, and turned by 0.01 rad.
        {NestingStep(kNestFirstMark).message, "push -19750 -8000"},
        {NestingStep(kNestSecondMark).message, "push 19999 200"},
    };
    for (const auto& p : pushes)
        if (std::string(text) == p.message) SimControl(*board, p.push);
    return kResponseOk;
}

TEST_F(NestingTest, MarksFoundAgainOnTheSimulatedBoard) {
    Mc1Sim sim;
    ASSERT_TRUE(sim.running) << sim.error;
    board = &sim;
    SetSerialDevicePath(sim.device);
    ASSERT_GE(OpenPort(), 0);
    UserInterfaceHooks hooks = GetUserInterfaceHooks();
    hooks.showMessage = PushToMarks;
    SetUserInterfaceHooks(hooks);

    EXPECT_EQ(NestingMarks(), kNestMoved);
    ClosePort();
    SetSerialDevicePath("");
    EXPECT_NEAR(box->x, 1.25f, 1e-4);
    EXPECT_NEAR(box->y, 4, 1e-4);
    EXPECT_NEAR(GetPattern(node->patternIndex)->width, 2.0099f, 2e-4);  // turned back by 0.01
    EXPECT_NE(TakeLog().find(
                  "The quilt has been rolled -8.000 inches and has an x offset of 0.250 inches"),
              std::string::npos);
    const std::string state = SimControl(sim, "state");
    EXPECT_EQ(StateValue(state, "xenabled") + StateValue(state, "yenabled"), "00");
}

}  // namespace
