#include "machine/stitching/motor_diagnostics.h"

#include <cmath>
#include <cstdio>

#include "base/log.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/mc1_motion.h"
#include "machine/serial_link.h"
#include "machine/stitcher.h"
#include "machine/stitching/point_streaming.h"
#include "machine/stitching/run_flags.h"
#include "machine/stitching/stitch_path.h"

namespace {

constexpr int kButtonGapMs = 1000;     // between the steps of the button test
constexpr int kStitcherLinkMs = 3000;  // wait for the stitcher's answer to 0x3E

void SetText(const DiagnosticsReport& report, const char* text) {
    if (report.setText) report.setText(report.context, text);
}

void Append(const DiagnosticsReport& report, const char* text) {
    if (report.appendText) report.appendText(report.context, text);
}

void Wait(const DiagnosticsReport& report, int milliseconds) {
    if (report.wait)
        report.wait(report.context, milliseconds);
    else
        SleepMicroseconds(static_cast<int64_t>(milliseconds) * 1000);
}

// Sends the speed, the maximum following error and the six gains of the
// machine parameters back to the board when the test ends, on every path.
struct ParameterRestore {
    ~ParameterRestore() {
        SetSpeed(static_cast<int32_t>(Machine().maxSpeed));
        SetMaxErr(Machine().Err);
        SetXKp(Machine().XKp);
        SetXKi(Machine().XKi);
        SetXKd(Machine().XKd);
        SetYKp(Machine().YKp);
        SetYKi(Machine().YKi);
        SetYKd(Machine().YKd);
    }
};

// The board's constants become the globals that the restore sends back (the
// time-out setting is not touched by the test and stays as it is).
void ReadConstants() {
    int32_t values[kConstantCount] = {};
    if (GetConstants(values) != 0) return;
    const int32_t keptTimeOut = Machine().TOut;
    ApplyConstants(values);
    Machine().TOut = keptTimeOut;
}

// Makes the head's position the origin with both axes driven; false when the
// position cannot be read afterwards (the board does not answer).
bool StartAtHome(MachinePosition* start) {
    Halt();
    ClearPort();
    SendEndOfRunSignal();
    allStop = 0;
    SetHome();
    EnableX();
    EnableY();
    Resume();
    return GetXY(&start->x, &start->y) == 0;
}

// The tested axis keeps its proportional gain, the other is nearly limp, and
// no integral or derivative gain helps either.
void SetTestGains(TestAxis axis) {
    SetMaxErr(kTestMaxError);
    if (axis == kTestAxisX) {
        SetXKp(Machine().XKp);
        SetYKp(kLimpGain);
    } else {
        SetXKp(kLimpGain);
        SetYKp(Machine().YKp);
    }
    SetXKi(0);
    SetYKi(0);
    SetXKd(0);
    SetYKd(0);
}

// Hands the whole path to the board without asking for room (it fits the
// queue) and waits for it. False when a move went unanswered or the wait failed.
bool DrivePath(const FullPattern_t* path) {
    for (const FullPattern_t* p = path; p; p = p->next())
        if (SendMove(p->x, p->y, p->feed) == 3) return false;
    return WaitForMovesDone() == kMovesDone;
}

void ReleaseAxes() {
    DisableX();
    DisableY();
    SendEndOfRunSignal();
}

const char* AxisName(TestAxis axis) {
    return axis == kTestAxisX ? "X" : "Y";
}

}  // namespace

FullPattern_t* BuildTestPath() {
    const float step = (kTestPathXCounts / kCountsPerInch) * kPathUnitsPerInch /
                       static_cast<float>(kTestPathPoints - 1);
    FullPattern_t* first = NewFullPattern(kTestPathPoints);
    for (int i = 0; i < kTestPathPoints; i++) {
        FullPattern_t& point = first[i];
        point.x = static_cast<float>(i) * step;
        point.y = kTestPathYRatio * static_cast<float>(i) * step;
        point.feed = (i == 0 || i == kTestPathPoints - 1) ? 0.0f : 100.0f;
    }
    SetFeeds(first, 0);
    return first;
}

float EncoderCounts(float thousandths) {
    return std::fabs(thousandths) * kCountsPerInch / kPathUnitsPerInch;
}

int TestMotor(TestAxis axis, const DiagnosticsReport& report) {
    ReadConstants();
    const char* name = AxisName(axis);
    char text[128];
    std::snprintf(text, sizeof text, "Testing %s Motor\n", name);
    SetText(report, text);

    ParameterRestore restore;
    FullPattern_t* path = BuildTestPath();
    SetSpeed(kTestSpeed);
    std::snprintf(text, sizeof text, "Moving %s Motor at %0.0f%% \n", name,
                  static_cast<double>(kTestSpeed));
    Append(report, text);

    MachinePosition start, end;
    bool driven = StartAtHome(&start);
    if (driven) {
        SetTestGains(axis);
        driven = DrivePath(path) && GetXY(&end.x, &end.y) == 0;
    }
    FreeFullPattern(path);
    if (!driven) {
        std::snprintf(text, sizeof text, "%s Motor Error.  Test Aborted.\n", name);
        Append(report, text);
        // The moves the board still holds must not run once it is free again.
        Halt();
        ClearMCBuffer();
        SendStartSignal();
        ReleaseAxes();
        return 0;
    }

    const float countsX = EncoderCounts(static_cast<float>(end.x - start.x));
    const float countsY = EncoderCounts(static_cast<float>(end.y - start.y));
    std::snprintf(text, sizeof text, "Encoder counts: \tX: %0.0f Y: %0.0f \n",
                  static_cast<double>(countsX), static_cast<double>(countsY));
    Append(report, text);
    const float counts = axis == kTestAxisX ? countsX : countsY;
    Log("%s: %0.0f\n", name, static_cast<double>(counts));
    std::snprintf(text, sizeof text, "%s motor %s!\n", name,
                  counts > kPassCounts ? "passed" : "failed");
    Append(report, text);
    ReleaseAxes();
    return 1;
}

int TestXMotor(const DiagnosticsReport& report) {
    return TestMotor(kTestAxisX, report);
}

int TestYMotor(const DiagnosticsReport& report) {
    return TestMotor(kTestAxisY, report);
}

const char* StitcherLinkText(int readResult, unsigned char byte) {
    switch (readResult) {
        case 0:
            return byte == kStitcherReady ? "Stitcher Communication: Passed\n"
                                          : "Stitcher Communication: Failed\n";
        case -1:
            return "Stitcher Communication: Failed (Communication Timed Out)\n";
        case -3:
            return "Stitcher Communication: Failed (Framing Error)\n";
        default:
            return "Stitcher Communication: Failed (Unknown Error)\n";
    }
}

int TestStitcherLink(const DiagnosticsReport& report) {
    ClearPort();  // a stale byte must not pass for the stitcher's answer
    SendCommand(kCmdGetStitcherStatus);
    unsigned char byte = 0;
    const int result = GetChar(kStitcherLinkMs, &byte, 0);
    Append(report, StitcherLinkText(result, byte));
    return result;
}

int TestAllMotors(const DiagnosticsReport& report) {
    const int x = TestXMotor(report);
    const int y = TestYMotor(report);
    const bool both = x == 1 && y == 1;
    SetText(report, "Testing All Motors\n");
    Append(report, both ? "Test All Motors Passed!\n" : "Test All Motors Failed!\n");
    TestStitcherLink(report);
    return both ? 1 : 0;
}

void TestStitcherButtons(const DiagnosticsReport& report) {
    struct Button {
        int code;
        const char* on;
        const char* off;
    };
    static const Button kButtons[] = {
        {kButtonCommand, "Command Button On\n", "Command Button Off\n"},
        {kButtonStitchRegulator, "Stitch Regulation Button On\n", "Stitch Regulation Button Off\n"},
        {kButtonNeedleUp, "Needle Up Button On\n", "Needle Up Button Off\n"},
    };
    SetText(report, "Testing Port D\n");
    ProcessPendingEvents();
    Wait(report, kButtonGapMs);
    for (const Button& button : kButtons) {
        Append(report, button.on);
        ProcessPendingEvents();
        PseudoButtonPress(button.code, 1, 0, 0, 0);
        Wait(report, kButtonGapMs);
        Append(report, button.off);
        ProcessPendingEvents();
        PseudoButtonPress(button.code, 0, 0, 0, 0);
        if (&button != &kButtons[2]) Wait(report, kButtonGapMs);
    }
}
