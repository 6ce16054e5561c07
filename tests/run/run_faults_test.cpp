// Runs that must not happen, and runs that the board breaks off: each ends
// with its message, the head stopped, stitching off, the axes released and
// the edit view back - or sends nothing at all.
#include <cmath>
#include <limits>

#include "app/defaults_file.h"
#include "app/ui_hooks.h"
#include "layout/layout_tree.h"
#include "machine/machine_parameters.h"
#include "machine/stitching/run_flags.h"
#include "pattern/pattern.h"
#include "run_fixture.h"

namespace {

const char* const kStartFailed = "COULD NOT MOVE TO START. ERR: 1023";
const char* const kNotResponsive = "ROBOT NOT RESPONSIVE. ERR: WFB100";

}  // namespace

// Start refused before anything moves: empty box, handle bars not in robot
// mode, a layout whose points cannot be sent, a start question answered with
// Cancel, and "SET START" without a chosen point.
TEST_F(RunTest, RefusedStartsSendNoMove) {
    startButtonReleased();
    EXPECT_EQ(Count("PATTERN BOX IS EMPTY"), 1);

    Place(Line(10, 0, 0, 0.1f, 0), 0, 0);
    SimControl(*sim, "stitcher-status 33");
    startButtonReleased();
    EXPECT_EQ(Count("HANDLE BARS NOT IN ROBOT MODE"), 1);
    EXPECT_EQ(script.toggle, 0);
    SimControl(*sim, "stitcher-status 1");

    script.toggle = 1;
    script.startAnswer = kResponseCancel;
    startButtonReleased();
    script.startAnswer = kResponseSetStart;
    script.selected = nullptr;
    startButtonReleased();
    EXPECT_EQ(script.selectCalls, 1);

    // A placement moved out to an impossible position (a broken layout file).
    patternLayout->x = std::numeric_limits<float>::infinity();
    script.startAnswer = kResponseOk;
    startButtonReleased();
    EXPECT_EQ(Count("THE PATTERN HAS POINTS THAT CANNOT BE STITCHED"), 1);
    EXPECT_EQ(interface->fullPattern, nullptr);

    // A layout without a current box is an empty box.
    interface->currentPatternBox = -1;
    startButtonReleased();
    EXPECT_EQ(Count("PATTERN BOX IS EMPTY"), 2);

    EXPECT_EQ(StateOf("executed"), "0");
    EXPECT_EQ(StateOf("accepted"), "0");
    EXPECT_EQ(script.runViews, 0);
    EXPECT_EQ(Count(kStartFailed), 0);
}

// "SET START" starts at the chosen point: the stitched moves begin there.
TEST_F(RunTest, SetStartRunsFromTheChosenPoint) {
    Place(Line(30, 0, 0, 0.1f, 0), 0, 0);
    const std::vector<PathPoint> path = PackedPath();
    stitchRep = 0;
    script.startAnswer = kResponseSetStart;
    // The screen picks the twelfth point of the path the run packs.
    RunControlHooks hooks = GetRunControlHooks();
    hooks.selectPoint = [] {
        script.selectCalls++;
        FullPattern_t* p = interface->fullPattern;
        for (int i = 0; i < 12 && p; i++)
            p = p->next;
        return p;
    };
    SetRunControlHooks(hooks);

    startButtonReleased();

    EXPECT_EQ(script.selectCalls, 1);
    ExpectStitchedInOrder(StitchedMoves(Record()),
                          std::vector<PathPoint>(path.begin() + 12, path.end()));
    ExpectMachineReleased();
}

// Stop pressed while the head is led to the start: no error message, and the
// run never starts.
TEST_F(RunTest, StopDuringTheLeadInIsNotAnError) {
    Place(Line(30, 0, 0, 0.1f, 0), 5, 5);  // far from home: a long lead line
    auto pressed = std::make_shared<bool>(false);
    script.onDrain = [pressed] {
        if (*pressed || command != kRunCommand) return;
        *pressed = true;
        stopButtonReleased();
    };
    startButtonReleased();
    EXPECT_TRUE(*pressed);
    EXPECT_EQ(Count(kStartFailed), 0);
    EXPECT_EQ(Count(kNotResponsive), 0);
    EXPECT_EQ(script.runViews, 0);
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

struct RunFaultTest : RunTest, ::testing::WithParamInterface<FaultCase> {
    void SetUp() override { Begin({"--time-scale", "4"}); }
};

// A fault injected while the loop streams: error word, stall and silence end
// the run with their message; refused moves and busy answers only delay it.
TEST_P(RunFaultTest, AFaultDuringTheRunEndsItCleanlyOrIsRidden) {
    const FaultCase fault = GetParam();
    Place(Line(200, 0, 0, 0.1f, 0), 0, 0);
    const std::vector<PathPoint> path = PackedPath();
    stitchRep = 0;
    auto injected = std::make_shared<bool>(false);
    auto drains = std::make_shared<int>(0);
    script.onDrain = [this, injected, drains, fault] {
        if (*injected || script.runViews == 0 || ++*drains < 40) return;
        *injected = true;
        SimControl(*sim, fault.inject);
    };

    startButtonReleased();

    ASSERT_TRUE(*injected);
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
                      FaultCase{"refuse 6", "", true}, FaultCase{"busy 30", "", true}),
    [](const ::testing::TestParamInfo<FaultCase>& info) {
        std::string name = info.param.inject;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

// The run view's speed buttons: steps of 10, 100 at the top, a floor above the
// minimum speed; each change reaches the board and the defaults file.
TEST_F(RunTest, SpeedButtonsStepWithinTheirLimits) {
    maxSpeed = 95;
    EXPECT_FLOAT_EQ(RunSpeedUp(), 100);
    EXPECT_FLOAT_EQ(RunSpeedUp(), 100);
    minSpeed = 5;  // floor 20
    maxSpeed = 35;
    EXPECT_FLOAT_EQ(RunSpeedDown(), 25);
    EXPECT_FLOAT_EQ(RunSpeedDown(), 20);
    EXPECT_FLOAT_EQ(RunSpeedDown(), 20);
    maxSpeed = 12;
    EXPECT_FLOAT_EQ(RunSpeedDown(), 20);
    EXPECT_FLOAT_EQ(RunSpeedUp(), 30);
    EXPECT_EQ(StateValue(SimControl(*sim, "params"), "speed"), "30");
    int stored = 0;
    ASSERT_EQ(ReadDefaultInt(3, &stored), 1);
    EXPECT_EQ(stored, 30);
    EXPECT_EQ(speedup, 3);
    EXPECT_EQ(slowdown, 4);
}
