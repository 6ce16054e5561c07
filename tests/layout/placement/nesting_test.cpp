// The quilter nesting a layout at the simulated board: a 20 x 10 inch box at
// (1, 2) holding a 2 x 1 inch pattern at (3, 4).
#include "machine/nesting.h"

#include "base/system_paths.h"
#include "layout/layout_selection.h"
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
        ASSERT_TRUE(sim.running) << sim.error;
        SetSerialDevicePath(sim.device);
        ASSERT_GE(OpenPort(), 0);
        current = this;
        UserInterfaceHooks hooks = GetUserInterfaceHooks();
        hooks.showMessage = [](int, int, const char* text) {
            current->asked.push_back(text);
            if (current->pushing) current->Push(text);
            return current->answered++ == current->cancelAt ? kResponseCancel : kResponseOk;
        };
        SetUserInterfaceHooks(hooks);
    }
    void TearDown() override {
        ClosePort();
        SetSerialDevicePath("");
        SetSystemRoot(nullptr);
        PlacementTest::TearDown();
    }
    // The quilter's hand: the head pushed to the lower corners, then to both
    // marks found 8 inches back and a quarter inch to the right, the quilt
    // turned by 0.01 rad; and pushed once more (in vain: the head is held)
    // while the program marks a place. Thousandths of an inch.
    void Push(const std::string& message) {
        const std::pair<const char*, const char*> pushes[] = {
            {NestingStep(kNestLowerLeft).message, "push 1000 12000"},
            {kNestMarkThis, "push 500 500"},
            {NestingStep(kNestLowerRight).message, "push 20000 0"},
            {NestingStep(kNestFirstMark).message, "push -19750 -8000"},
            {NestingStep(kNestSecondMark).message, "push 19999 200"},
        };
        for (const auto& [step, push] : pushes)
            if (message == step) SimControl(sim, push);
    }
    TempDir root;
    Mc1Sim sim;
    PatternBox* box = nullptr;
    LayoutNode* node = nullptr;
    bool pushing = false;
    int answered = 0, cancelAt = -1;  // the message answered Cancel, else OK
    std::vector<std::string> asked;
    static inline NestingTest* current = nullptr;
};

TEST_F(NestingTest, EveryStepCanBeCancelledAndTheMarksRunInOrder) {
    for (cancelAt = 0; cancelAt < 7; cancelAt++) {
        answered = 0;
        EXPECT_EQ(NestingMarks(), kNestCancelled) << cancelAt;
        EXPECT_EQ(box->y, 2) << cancelAt;
    }
    // The head stays where it is: no shift, no turn, the box moves down by its height.
    cancelAt = -1;
    asked.clear();
    EXPECT_EQ(NestingMarks(), kNestMoved);
    EXPECT_FLOAT_EQ(box->y, 12);
    EXPECT_EQ(asked, (std::vector<std::string>{NestingStep(kNestLowerLeft).message, kNestMarkThis,
                                               NestingStep(kNestLowerRight).message, kNestMarkThis,
                                               NestingStep(kNestRoll).message,
                                               "MOVE THE MACHINE TO YOUR FIRST MARK.",
                                               NestingStep(kNestSecondMark).message}));
    // Without a serial line the first mark cannot be read: reported, the box stays.
    ClosePort();
    EXPECT_EQ(NestingMarks(), kNestFailed);
    EXPECT_FLOAT_EQ(box->y, 12);
    EXPECT_EQ(asked.back(), kNestCommunicationsError);
    // The nesting screen: the head pushed half an inch to the right.
    ASSERT_EQ(ApplyNestingScreenMove({100, 200}, {600, 200}), 1);
    ExpectNear({box->x, box->corners->x}, {1.5f, 1.5f}, 1e-5);
    SetCurrentPatternBox(-1);
    EXPECT_EQ(ApplyNestingScreenMove({0, 0}, {600, 200}), 0);
}

TEST_F(NestingTest, MarksFoundAgainOnTheSimulatedBoard) {
    pushing = true;
    EXPECT_EQ(NestingMarks(), kNestMoved);
    ExpectNear({box->x, box->y}, {1.25f, 4}, 1e-4);
    EXPECT_NEAR(GetPattern(node->patternIndex)->width, 2.0099f, 2e-4);  // turned back by 0.01
    EXPECT_NE(TakeLog().find(
                  "The quilt has been rolled -8.000 inches and has an x offset of 0.250 inches"),
              std::string::npos);
    const std::string state = SimControl(sim, "state");
    EXPECT_EQ(StateValue(state, "xenabled") + StateValue(state, "yenabled"), "00");
}

}  // namespace
