// The toolbar's machine toggles as the machine sees them: the axis locks (an
// enabled axis is held by its servo, a disabled one moves freely by hand), the
// Stitching toggle that arms the run's stitching after a stitcher check, and
// the head position copied into the pattern properties dialog. The toolkit
// side (ui/run_toggles) calls these and sets its widgets from the results.
#pragma once

// Axes of SetAxisLock.
enum LockAxis { kAxisX = 0, kAxisY = 1 };

// Lock X / Lock Y toggled: ends any edit mode of the views, then enables the
// axis when locked is 1 and disables it when 0. Returns 1 sent, 0 line not
// open or unknown axis. Called by menuRunLockX / menuRunLockY.
int SetAxisLock(int axis, int locked);

// Texts of the stitcher check.
constexpr const char* kHandleBarsText = "HANDLE BARS NOT IN ROBOT MODE";
constexpr const char* kNoStitchControllerText = "STITCH CONTROLLER NOT PRESENT";

// Stitching toggle switched to active (1) or inactive (0). Keeps `command` at
// 10 during a run, else sets it to -1, and ends any edit mode. Switching on
// checks the stitcher: when it answers with a status other than ready it shows
// the handle-bars or no-controller warning, switches stitching off and
// returns 0 (the toggle must go off); a ready answer or no answer returns 1.
// Switching off switches stitching off and returns 0. Keeps `stitching` equal
// to the result. Logs "Stitching On" / "Stitching Off". Called by
// menuRunStitching.
int StitchingToggled(int active);

// The values of the properties dialog's start entries, inches.
struct StartPointValues {
    float localX = 0, localY = 0;    // relative to the current pattern box's origin
    float actualX = 0, actualY = 0;  // absolute quilt position of the head
};

// Reads the head position into values (box origin 0, 0 when there is no
// current box). Returns 1 read; 0 when the position could not be read, after
// showing "COULD NOT RETRIEVE POINT". Called by OnBtnSetStartClicked.
int ReadStartPoint(StartPointValues* values);
