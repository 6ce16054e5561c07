#include "machine/nesting.h"
#include "layout/layout_selection.h"

#include <string>
#include <vector>

#include "base/system_paths.h"
#include "machine/serial_link.h"
#include "placement_fixture.h"
#include "support/nesting_quilter.h"
#include "support/temp_dir.h"

namespace {

// The quilter at the board; the message answered Cancel at `cancelAt`, else OK.
const NestingQuilter* quilter = nullptr;
bool pushing = false;
int answered = 0, cancelAt = -1;
std::vector<std::string> asked;

int Answer(int, int, const char* text) {
    asked.push_back(text);
    if (pushing) quilter->Push(text);
    return answered++ == cancelAt ? kResponseCancel : kResponseOk;
}

struct NestingTest : PlacementTest {
    void SetUp() override {
        PlacementTest::SetUp();
        ASSERT_EQ(SetSystemRoot(root.path.c_str()), 1);  // the undo step goes there
        at = std::make_unique<NestingQuilter>();
        quilter = at.get();
        UserInterfaceHooks hooks = GetUserInterfaceHooks();
        hooks.showMessage = Answer;
        SetUserInterfaceHooks(hooks);
        asked.clear();
        pushing = false;
        cancelAt = -1;
        answered = 0;
    }
    void TearDown() override {
        at.reset();
        SetSystemRoot(nullptr);
        PlacementTest::TearDown();
    }
    TempDir root;
    std::unique_ptr<NestingQuilter> at;
};

TEST_F(NestingTest, EveryStepCanBeCancelledAndTheMarksRunInOrder) {
    PatternBox* box = at->box;
    for (cancelAt = 0; cancelAt < 7; cancelAt++) {
        answered = 0;
        EXPECT_EQ(NestingMarks(), kNestCancelled) << cancelAt;
        EXPECT_EQ(box->y, 2) << cancelAt;
    }
    // The head stays where it is: no shift, no turn, and the box moves down by
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

TEST_F(NestingTest, MarksFoundAgainOnTheSimulatedBoard) {
    pushing = true;
    EXPECT_EQ(NestingMarks(), kNestMoved);
    EXPECT_NEAR(at->box->x, 1.25f, 1e-4);
    EXPECT_NEAR(at->box->y, 4, 1e-4);
    EXPECT_NEAR(GetPattern(at->node->patternIndex)->width, 2.0099f, 2e-4);  // turned back by 0.01
    EXPECT_NE(TakeLog().find(
                  "The quilt has been rolled -8.000 inches and has an x offset of 0.250 inches"),
              std::string::npos);
    const std::string state = SimControl(at->sim, "state");
    EXPECT_EQ(StateValue(state, "xenabled") + StateValue(state, "yenabled"), "00");
}

}  // namespace
