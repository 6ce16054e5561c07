#include "machine/stitcher.h"

#include <cmath>
#include <cstdio>

#include "base/log.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/mc1_motion.h"
#include "machine/serial_link.h"

int robotIsStitching = 0;

namespace {

constexpr unsigned char kNeedleDone = 0xFA;
constexpr unsigned char kNeedleFailed = 0xFB;

bool LineOpen() {
    return sp >= 0;
}

// A button timing in whole milliseconds: negative or not-a-number settings wait
// nothing, and no setting holds the line longer than a minute.
int Ms(float value) {
    if (!(value > 0.0f)) return 0;
    if (value > 60000.0f) return 60000;
    return static_cast<int>(value);
}

// Reads the needle sensor: 1 up, 0 not up, -1 no (or no sensible) answer.
int ReadNeedleSensor() {
    SendCommand(kCmdNeedleSensor);
    unsigned char byte = 0;
    if (GetChar(50, &byte, 1) != 0) return -1;
    if (byte == 0 || byte == 1) return byte;
    return -1;
}

void PressCommandButton(int state) {
    PseudoButtonPress(kButtonCommand, state, 0, 0, 0);
}

// Method 1 before a run: the needle-up and command buttons must move the
// needle the way a stitcher in robot mode does.
void TestCorvaneTwin(unsigned char* status) {
    const int64_t start = MonotonicMs();
    const double limit = 1.5 * Ms(Machine().needleUpTime);
    bool firstPoll = true;
    bool needleUpSent = false;
    bool movedSeen = false;
    while (static_cast<double>(MonotonicMs() - start) < limit) {
        if (!sendMoveActive) {
            if (firstPoll) {
                firstPoll = false;
                if (ReadNeedleSensor() == 1) {
                    PseudoButtonPress(kButtonCommand, 1, 0, Machine().needleUpPress, 0);
                    LogLine("Test Command Button sent");
                } else {
                    PseudoButtonPress(kButtonNeedleUp, 1, 0, Machine().needleUpPress, 0);
                    LogLine("Needle Up sent because the needle was down");
                    needleUpSent = true;
                }
                DoNothing(Ms(Machine().needleUpTime) / 2);
            }
            const int needle = ReadNeedleSensor();
            if (needle == 1 && needleUpSent) {
                LogLine("Warning: the stitcher is not in robot mode");
                *status = kStitcherNotInRobotMode;
                return;
            }
            if (needle == 0 && !movedSeen) {
                movedSeen = true;
                LogLine("Test Needle moved");
                PseudoButtonPress(kButtonNeedleUp, 1, 0, Machine().needleUpPress, 0);
                LogLine("Test Needle Up sent");
                needleUpSent = true;
                DoNothing(Ms(Machine().needleUpTime) / 2);
            }
        }
        SleepMicroseconds(10000);
    }
    *status = kStitcherReady;
    LogLine("Test Needle Up passed timeout");
}

}  // namespace

int PseudoButtonPress(int button, int state, int releaseState, float pressMs, float holdMs) {
    SendCommand(static_cast<unsigned char>(button));
    SendCommand(static_cast<unsigned char>(state));
    if (Ms(pressMs) == 0) return 1;
    char release[32];
    std::snprintf(release, sizeof release, "0x%2.2X %d 1", button & 0xFF, releaseState);
    DoNothing(Ms(pressMs));
    PseudoButtonRelease(release);
    DoNothing(Ms(holdMs));
    return 1;
}

int PseudoButtonRelease(const char* text) {
    unsigned int button = 0;
    int state = 0;
    int flag = 0;
    if (!text || std::sscanf(text, "%x %d %d", &button, &state, &flag) < 2) return 1;
    if (sendMoveActive) return 1;
    SendCommand(static_cast<unsigned char>(button));
    SendCommand(static_cast<unsigned char>(state));
    return 0;
}

int StitchOn() {
    if (!LineOpen()) return 0;
    if (robotIsStitching == 1) return 1;
    robotIsStitching = 1;
    const int method = CurrentStitcherMethod();
    if (method == 1) {
        PressCommandButton(1);
        PseudoButtonPress(kButtonStitchRegulator, 1, 0, Machine().stitchRegPress,
                          Machine().stitchRegTime);
        PressCommandButton(0);
        LogLine("Command + Stitching On");
    } else if (method == 12) {
        PseudoButtonPress(kButtonStitchRegulator, 1, 0, 0, 0);
        LogLine("Stitching On CV18");
    } else if (method >= 2) {
        PseudoButtonPress(kButtonStitchRegulator, 1, 0, Machine().stitchRegPress,
                          Machine().stitchRegTime);
        LogLine("Stitching On");
    } else {
        SendCommand(kCmdStitchingOn);
    }
    return 1;
}

int StitchOff() {
    if (!LineOpen()) return 0;
    if (robotIsStitching == 0) return 1;
    robotIsStitching = 0;
    const int method = CurrentStitcherMethod();
    if (method == 1) {
        PressCommandButton(1);
        PseudoButtonPress(kButtonStitchRegulator, 1, 0, Machine().stitchRegPress, 0);
        PressCommandButton(0);
        LogLine("Command + Stitching Off");
    } else if (method == 12) {
        PseudoButtonPress(kButtonStitchRegulator, 0, 0, 0, 0);
        LogLine("Wait for waitTime");
        DoNothing(Ms(Machine().needleUpTime));
        LogLine("Stitching Off 18");
    } else if (method >= 2) {
        PseudoButtonPress(kButtonStitchRegulator, 1, 0, Machine().stitchRegPress, 0);
        LogLine("Stitching Off");
    } else {
        SendCommand(kCmdStitchingOff);
        LogLine("Stitching Off");
    }
    return 1;
}

int NeedleUp() {
    if (!LineOpen()) return 1;
    const int method = CurrentStitcherMethod();
    if (method == 1) {
        PressCommandButton(1);
        PseudoButtonPress(kButtonNeedleUp, 1, 0, Machine().needleUpPress, 0);
        PressCommandButton(0);
        LogLine("Command + Needle Up");
        PauseForNeedle();
    } else if (method == 12) {
        LogLine("No needle up on CV18");
    } else if (method >= 2) {
        PseudoButtonPress(kButtonNeedleUp, 1, 0, Machine().needleUpPress, 0);
        LogLine("Needle Up");
        PauseForNeedle();
    } else {
        SendCommand(kCmdNeedleUp);
        WaitForNeedle();
        SleepMicroseconds(50000);
    }
    return 1;
}

int PauseForNeedle() {
    LogLine("PFN");
    if (!LineOpen()) return -1;
    if (Machine().needleUpConfirm == 0) {
        DoNothing(Ms(Machine().needleUpTime));
        LogLine("PFN End");
        return 1;
    }
    const int64_t start = MonotonicMs();
    bool downSeen = false;
    while (MonotonicMs() - start < Ms(Machine().needleUpTime)) {
        if (!sendMoveActive) {
            const int needle = ReadNeedleSensor();
            if (needle == 0) {
                downSeen = true;
            } else if (needle == 1 && downSeen) {
                Log("PFN Needle Up Received: 0x%X after %ld ms\n", 1u,
                    static_cast<long>(MonotonicMs() - start));
                return 1;
            }
        }
        SleepMicroseconds(10000);
    }
    Log("PFN Needle Up: Timeout after %0.0f msec\n",
        static_cast<double>(Ms(Machine().needleUpTime)));
    return 0;
}

int WaitForNeedle() {
    LogLine("WFN");
    if (!LineOpen()) return 0;
    const int64_t start = MonotonicMs();
    while (MonotonicMs() - start < 5000) {
        ProcessPendingEvents();
        unsigned char byte = 0;
        if (GetChar(500, &byte, 0) != 0) {
            LogLine("WFN: GetChar() timed out");
            continue;
        }
        if (byte == kNeedleDone) {
            LogLine("WFN return true");
            return 1;
        }
        if (byte == kNeedleFailed) {
            LogLine("WFN return false");
            return 0;
        }
        Log("WFN returned something weird: 0X%2.2X\n", byte);
    }
    LogLine("WFN End");
    return 0;
}

int GetStitcher(unsigned char* status) {
    if (!LineOpen()) return 255;
    const int method = CurrentStitcherMethod();
    if ((method == 1 || method == 2) && Machine().needleUpConfirm) {
        if (ReadNeedleSensor() == 0) {
            LogLine("Needle Down!");
            NeedleUp();
            DoNothing(Ms(Machine().needleUpTime));
        }
    }
    if (method == 0) {
        // An answer that came too late for an earlier request (the start-up
        // stitch settings wait only 28 ms) must not pass for the status.
        ClearPort();
        SendCommand(kCmdGetStitcherStatus);
        unsigned char byte = 0;
        const int result = GetChar(3000, &byte, 0);
        if (result == 0) {
            *status = byte;
            return 0;
        }
        LogLine(result == -3 ? "ERROR: Framing Error Detected" : "ERROR: Get Stitcher Timed Out");
        return 2;
    }
    if (method == 1) {
        if (Machine().needleUpConfirm) TestCorvaneTwin(status);
        return 0;
    }
    *status = kStitcherReady;
    return 0;
}
