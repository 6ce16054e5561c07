#include "machine/stitching/machine_toggles.h"

#include <cstdint>

#include "base/application_state.h"
#include "base/log.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/pattern_box.h"
#include "machine/mc1_commands.h"
#include "machine/mc1_motion.h"
#include "machine/stitcher.h"
#include "machine/stitching/pattern_run.h"

namespace {

constexpr float kUnitsPerInch = 1000.0f;

}  // namespace

int SetAxisLock(int axis, int locked) {
    ReleaseAllUI();
    if (axis == kAxisX) return locked ? EnableX() : DisableX();
    if (axis == kAxisY) return locked ? EnableY() : DisableY();
    return 0;
}

int StitchingToggled(int active) {
    if (command != kRunCommand) command = -1;
    ReleaseAllUI();
    if (!active) {
        StitchOff();
        LogLine("Stitching Off");
        stitching = 0;
        return 0;
    }
    unsigned char status = 0;
    if (GetStitcher(&status) == 0 && status != kStitcherReady) {
        ShowMessage(kMessageWarning, kButtonsOk,
                    status == kStitcherNotInRobotMode ? kHandleBarsText : kNoStitchControllerText);
        StitchOff();
        LogLine("Stitching Off");
        stitching = 0;
        return 0;
    }
    // Armed: the run switches stitching on section by section.
    LogLine("Stitching On");
    stitching = 1;
    return 1;
}

int ReadStartPoint(StartPointValues* values) {
    int32_t x = 0, y = 0;
    if (GetXY(&x, &y) != 0) {
        ShowMessage(kMessageError, kButtonsOk, "COULD NOT RETRIEVE POINT");
        return 0;
    }
    float boxX = 0, boxY = 0;
    if (const PatternBox* box = GetPatternBox(CurrentPatternBox())) {
        boxX = box->x;
        boxY = box->y;
    }
    StartPointValues read;
    read.actualX = x / kUnitsPerInch;
    read.actualY = y / kUnitsPerInch;
    read.localX = read.actualX - boxX;
    read.localY = read.actualY - boxY;
    if (values) *values = read;
    return 1;
}
