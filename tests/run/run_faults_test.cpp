// Runs that must not happen, and runs that the board breaks off: each ends
// with its message, the head stopped, stitching off, the axes released and
// the edit view back - or sends nothing at all.
#include <limits>

#include "app/defaults_file.h"
#include "app/ui_hooks.h"
#include "layout/layout_tree.h"
#include "machine/machine_parameters.h"
#include "machine/stitching/run_flags.h"
#include "run_fixture.h"

// Starts refused or stopped before anything moves: empty box, handle bars not
// in robot mode, the start question cancelled, "SET START" without a chosen
// point, a layout whose points cannot be sent, no current box, Stop pressed
// while the run sets up. Then "SET START" with a chosen point starts there.
TEST_F(RunTest, StartsThatMustNotRunSendNoMoveAndSetStartStartsAtThePoint) {
    startButtonReleased();
    EXPECT_EQ(Count("PATTERN BOX IS EMPTY"), 1);

    Place(LinePoints(30, 0, 0, 0.1f, 0), 0, 0);
    SimControl(*sim, "stitcher-status 33");
    startButtonReleased();
    EXPECT_EQ(Count("HANDLE BARS NOT IN ROBOT MODE"), 1);
    EXPECT_EQ(script.toggle, 0);
    SimControl(*sim, "stitcher-status 1");
    script.toggle = 1;

    script.startAnswer = kResponseCancel;
    startButtonReleased();
    script.startAnswer = kResponseSetStart;  // no point chosen
    startButtonReleased();

    // A placement moved out to an impossible position (a broken layout file).
    script.startAnswer = kResponseOk;
    patternLayout->x = std::numeric_limits<float>::infinity();
    startButtonReleased();
    EXPECT_EQ(Count("THE PATTERN HAS POINTS THAT CANNOT BE STITCHED"), 1);
    EXPECT_EQ(interface->fullPattern, nullptr);
    patternLayout->x = 0;

    interface->currentPatternBox = -1;
    startButtonReleased();
    EXPECT_EQ(Count("PATTERN BOX IS EMPTY"), 2);
    interface->currentPatternBox = box;

    script.onDrain = [] {
        if (command == kRunCommand && allStop == 0) stopButtonReleased();
    };
    startButtonReleased();
    EXPECT_EQ(allStop, 1);
    ExpectMachineReleased();
    EXPECT_EQ(StateOf("executed"), "0");
    EXPECT_EQ(StateOf("accepted"), "0");
    EXPECT_EQ(script.runViews, 0);
    EXPECT_EQ(script.messages.size(), 8u) << "no error message after the last start question";

    const std::vector<PathPoint> path = PackedPath();
    script = RunScript{};
    stitchRep = 0;
    script.startAnswer = kResponseSetStart;
    script.selectAt = 12;
    startButtonReleased();
    ExpectStitchedInOrder(StitchedMoves(Record()), path.begin() + 12, path.end());
    ExpectMachineReleased();
}

struct FaultCase {
    const char* inject;   // control command given during the run
    const char* message;  // message the run ends with; "" when it must finish
    bool boardReachable;  // the board obeys the stop afterwards
};

void PrintTo(const FaultCase& fault, std::ostream* out) {
    *out << fault.inject;
}

struct RunFaultTest : SlowRunTest, ::testing::WithParamInterface<FaultCase> {};

// A fault injected while the loop streams: error word, stall and silence end
// the run with their message; refused moves and busy answers only delay it.
TEST_P(RunFaultTest, AFaultDuringTheRunEndsItCleanlyOrIsRidden) {
    const FaultCase fault = GetParam();
    Place(LinePoints(200, 0, 0, 0.1f, 0), 0, 0);
    const std::vector<PathPoint> path = PackedPath();
    stitchRep = 0;
    auto drains = std::make_shared<int>(0);
    script.onDrain = [this, drains, fault] {
        if (script.runViews > 0 && ++*drains == 40) SimControl(*sim, fault.inject);
    };

    startButtonReleased();

    ASSERT_GE(*drains, 40);
    if (*fault.message) {
        EXPECT_EQ(Count(fault.message), 1);
        EXPECT_NE(interface->fullPattern, nullptr);  // kept for a restart
    } else {
        ExpectStitchedInOrder(StitchedMoves(Record()), path);
        EXPECT_EQ(interface->fullPattern, nullptr);
    }
    if (fault.boardReachable) {
        ExpectMachineReleased();
    } else {
        // The silent board could not be told; the program is back all the same.
        EXPECT_GE(script.editViews, 1);
        EXPECT_EQ(script.mask, kIdleMenuMask);
        EXPECT_EQ(stopTest, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RunFaultTest,
    ::testing::Values(FaultCase{"error 4", "Y MOTOR FAILURE", true},
                      FaultCase{"stall on", "ROBOT NOT RESPONSIVE. ERR: WFB100", true},
                      FaultCase{"silence on", "ROBOT NOT RESPONSIVE. ERR: WFB100", false},
                      FaultCase{"refuse 6", "", true}, FaultCase{"busy 30", "", true}));

// The run view's speed buttons: steps of 10, 100 at the top, a floor above the
// minimum speed; each change reaches the board and the defaults file.
TEST_F(RunTest, SpeedButtonsStepWithinTheirLimits) {
    struct Case {
        float maxSpeed, minSpeed;
        bool up;
        float want;
    };
    const Case cases[] = {{95, 2, true, 100}, {100, 2, true, 100}, {35, 5, false, 25},
                          {25, 5, false, 20}, {20, 5, false, 20},  {12, 5, false, 20},
                          {20, 5, true, 30}};
    for (const Case& c : cases) {
        maxSpeed = c.maxSpeed;
        minSpeed = c.minSpeed;
        EXPECT_FLOAT_EQ(c.up ? RunSpeedUp() : RunSpeedDown(), c.want) << c.maxSpeed;
    }
    EXPECT_EQ(StateValue(SimControl(*sim, "params"), "speed"), "30");
    int stored = 0;
    ASSERT_EQ(ReadDefaultInt(3, &stored), 1);
    EXPECT_EQ(stored, 30);
    EXPECT_EQ(speedup, 3);
    EXPECT_EQ(slowdown, 4);
}
