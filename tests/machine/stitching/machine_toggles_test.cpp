#include "machine/stitching/machine_toggles.h"
#include "layout/layout_selection.h"

#include <gtest/gtest.h>

#include "base/application_state.h"
#include "layout/pattern_box.h"
#include "machine/mc1_commands.h"
#include "machine/stitching/point_select.h"
#include "machine/stitching/run_state.h"
#include "support/board_test.h"
#include "support/run_layout.h"

namespace {

using MachineToggleTest = BoardTest;

// The axis locks and the handle-bars warning are proven through the real
// toolbar in the user-interface tests.
TEST_F(MachineToggleTest, StitchingToggleStartPointAndPathPointAtTheHead) {
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
    EXPECT_EQ(Ui().messages, std::vector<std::string>{"STITCH CONTROLLER NOT PRESENT"});
    EXPECT_EQ(LogText(), "Stitching On\nStitching Off\n");

    // The start point and the chosen path point both come from the head
    // position the board reports; a silent board is reported and chooses no point.
    Ui().messages.clear();
    MakeRunBox();  // origin (1, 1)
    CurrentRun().fullPattern =
        MakePath({{0, 0, 0}, {2000, 0, 0}, {5000, 3000, 0}, {5200, 3100, 1}});
    DisableX();
    DisableY();
    ASSERT_TRUE(WaitForState(*sim, "yenabled", "0", 1000));
    ASSERT_EQ(StateValue(Sim("push 5250 3125"), "moved"), "xy");

    StartPointValues values;
    ASSERT_EQ(ReadStartPoint(&values), 1);
    EXPECT_FLOAT_EQ(values.actualX, 5.25f);
    EXPECT_FLOAT_EQ(values.actualY, 3.125f);
    EXPECT_FLOAT_EQ(values.localX, 4.25f);
    EXPECT_FLOAT_EQ(values.localY, 2.125f);
    EXPECT_EQ(PathPointAtHead(), CurrentRun().fullPattern->next()->next());  // halt point skipped

    // Without a current box the local values are the absolute ones.
    SetCurrentPatternBox(-1);
    ASSERT_EQ(ReadStartPoint(&values), 1);
    EXPECT_FLOAT_EQ(values.localX, 5.25f);

    Sim("silence on");
    values = StartPointValues{};
    EXPECT_EQ(ReadStartPoint(&values), 0);
    EXPECT_FLOAT_EQ(values.actualX, 0.0f);
    EXPECT_EQ(PathPointAtHead(), nullptr);
    EXPECT_EQ(Ui().messages,
              (std::vector<std::string>{"COULD NOT RETRIEVE POINT",
                                        "COMMUNICATIONS ERROR.\nPLEASE TRY AGAIN."}));

    FreeFullPattern(CurrentRun().fullPattern);
    CurrentRun().fullPattern = nullptr;
    EXPECT_EQ(PathPointAtHead(), nullptr);
    InitPatternBox();
}

}  // namespace
