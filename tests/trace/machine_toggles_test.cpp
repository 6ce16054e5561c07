#include "machine/stitching/machine_toggles.h"

#include <gtest/gtest.h>

#include "app/application_state.h"
#include "layout/pattern_box.h"
#include "machine/mc1_commands.h"
#include "trace_fixture.h"

namespace {

using MachineToggleTest = BoardTest;

TEST_F(MachineToggleTest, AxisLocksHoldAndFreeEachAxisOnItsOwn) {
    EXPECT_EQ(SetAxisLock(kAxisX, 0), 1);
    ASSERT_TRUE(WaitForState(*sim, "xenabled", "0", 1000));
    EXPECT_EQ(SimState("yenabled"), "1");
    EXPECT_EQ(SetAxisLock(kAxisY, 0), 1);
    ASSERT_TRUE(WaitForState(*sim, "yenabled", "0", 1000));
    // A free axis moves by hand, a held one does not.
    EXPECT_EQ(SetAxisLock(kAxisX, 1), 1);
    ASSERT_TRUE(WaitForState(*sim, "xenabled", "1", 1000));
    EXPECT_EQ(StateValue(Sim("push 100 100"), "moved"), "y");
    EXPECT_EQ(SetAxisLock(7, 1), 0);
}

TEST_F(MachineToggleTest, StitchingToggleArmsOnlyAfterAGoodStitcherCheck) {
    command = 3;
    EXPECT_EQ(StitchingToggled(1), 1);
    EXPECT_EQ(stitching, 1);
    EXPECT_EQ(command, -1);
    EXPECT_TRUE(Ui().messages.empty());
    // Arming does not switch stitching on: the run does that.
    EXPECT_EQ(SimState("stitching"), "0");

    Sim("stitcher-status 33");  // 0x21: handle bars not in robot mode
    command = 10;               // a run keeps its command
    EXPECT_EQ(StitchingToggled(1), 0);
    EXPECT_EQ(stitching, 0);
    EXPECT_EQ(command, 10);
    Sim("stitcher-status 7");
    EXPECT_EQ(StitchingToggled(1), 0);
    ASSERT_EQ(Ui().messages.size(), 2u);
    EXPECT_EQ(Ui().messages[0], "HANDLE BARS NOT IN ROBOT MODE");
    EXPECT_EQ(Ui().messages[1], "STITCH CONTROLLER NOT PRESENT");

    EXPECT_EQ(StitchingToggled(0), 0);
    const std::string log = LogText();
    EXPECT_NE(log.find("Stitching On"), std::string::npos);
    EXPECT_NE(log.find("Stitching Off"), std::string::npos);
    EXPECT_EQ(Ui().messages.size(), 2u);
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
