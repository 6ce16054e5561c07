// The point-selection screen of the run start ("SET START"): a full-screen
// view of the current box's layout with the machine head drawn as a cross that
// follows the head every 250 ms, and OK and Cancel buttons drawn on the view.
// The quilter pushes the head to where the run should begin and taps OK.
#pragma once

#include <cstdint>

typedef struct _GtkWidget GtkWidget;
struct FullPattern_t;

// Widget names of the screen's window and of its view.
constexpr const char* kPointSelectScreenName = "pointSelectScreen";
constexpr const char* kPointSelectViewName = "pointSelectView";

// Shows the point-selection screen until the quilter taps OK or Cancel.
// Returns the path point of CurrentRun().fullPattern nearest the head on OK
// (points with halt set not counted), none on Cancel, when the window was
// closed, or when there is no path. The view scale is restored afterwards.
// Called by the run start (startButtonReleased's "SET START").
FullPattern_t* SelectPoint();

// Tap on the point-selection screen at (x, y) pixels of a view w x h: logs
// "Tap (%d, %d )\n"; in the strip of the bottom confirm_button_size pixels
// returns 1 for the OK button and 2 for the Cancel button, otherwise 0.
// Called by the screen's button-release handler and the tests.
int PointScreenTap(int x, int y, int w, int h);

// 250 ms timer body of the point-selection screen: while runTimer is 1, puts
// the head position (pixels, (0, 0) when unreadable) into measureLine and
// redraws area. Returns runTimer (0 ends the timer).
int CrossTimer(GtkWidget* area);
