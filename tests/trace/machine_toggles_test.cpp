#include "machine/stitching/machine_toggles.h"

#include <gtest/gtest.h>

#include "app/application_state.h"
#include "layout/pattern_box.h"
#include "machine/mc1_commands.h"
#include "trace_fixture.h"

namespace {

using MachineToggleTest = BoardTest;

// The axis locks and the handle-bars warning are proven through the real
// toolbar in the user-interface tests.
TEST_F(MachineToggleTest, StitchingToggleArmsOnlyAfterAGoodStitcherCheck) {
    command = 3;
    EXPECT_EQ(StitchingToggled(1), 1);
    EXPECT_EQ(stitching, 1);
    EXPECT_EQ(command, -1);
    EXPECT_TRUE(Ui().messages.empty());
    // Arming does not switch stitching on: the run does that.
    EXPECT_EQ(SimState("stitching"), "0");

    Sim("stitcher-status 7");  // anything but ready or handle bars
    command = 10;              // a run keeps its command
    EXPECT_EQ(StitchingToggled(1), 0);
    EXPECT_EQ(stitching, 0);
    EXPECT_EQ(command, 10);
    ASSERT_EQ(Ui().messages.size(), 1u);
    EXPECT_EQ(Ui().messages[0], "STITCH CONTROLLER NOT PRESENT");
    EXPECT_EQ(LogText(), "Stitching On\nStitching Off\n");
}

TEST_F(MachineToggleTest, StartPointIsTheHeadRelativeToTheCurrentBox) {
    InitPatternBox();
    int slot = CreatePatternBox();
    PatternBox* box = GetPatternBox(slot);
    AddPatternBoxPoint(box, 2, 12, 1, 0);
    AddPatternBoxPoint(box, 22, 12, 0, 0);
    AddPatternBoxPoint(box, 22, 2, 0, 0);
    AddPatternBoxPoint(box, 2, 2, 0, 0);
    SetPatternBoxOrigin(box);  // origin (2, 2)
    interface->currentPatternBox = slot;
    DisableX();
    DisableY();
    ASSERT_TRUE(WaitForState(*sim, "yenabled", "0", 1000));
    ASSERT_EQ(StateValue(Sim("push 5250 3125"), "moved"), "xy");

    StartPointValues values;
    ASSERT_EQ(ReadStartPoint(&values), 1);
    EXPECT_FLOAT_EQ(values.actualX, 5.25f);
    EXPECT_FLOAT_EQ(values.actualY, 3.125f);
    EXPECT_FLOAT_EQ(values.localX, 3.25f);
    EXPECT_FLOAT_EQ(values.localY, 1.125f);

    // Without a current box the local values are the absolute ones.
    interface->currentPatternBox = -1;
    ASSERT_EQ(ReadStartPoint(&values), 1);
    EXPECT_FLOAT_EQ(values.localX, 5.25f);

    Sim("silence on");
    values = StartPointValues{};
    EXPECT_EQ(ReadStartPoint(&values), 0);
    EXPECT_FLOAT_EQ(values.actualX, 0.0f);
    ASSERT_EQ(Ui().messages.size(), 1u);
    EXPECT_EQ(Ui().messages[0], "COULD NOT RETRIEVE POINT");
    InitPatternBox();
}

}  // namespace
