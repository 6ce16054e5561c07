// Nesting after the quilt was rolled, on the screen: the marks (NestingMarks,
// layout/placement/nesting.h) move the current pattern box with the fabric,
// then the nesting-point screen shows the moved layout with the head's cross,
// and the nesting screen lets the quilter nudge the box with the machine: the
// layout drawn follows the head every 250 ms, and OK moves the box by how far
// the head was pushed.
//
// Both screens are full-screen windows without buttons: an OK image is drawn in
// the bottom right corner and any tap in the bottom strip of
// confirm_button_size pixels confirms.
#pragma once

typedef struct _GtkWidget GtkWidget;

// Widget names of the two screens' windows and views (tools and tests find
// them by these).
constexpr const char* kNestPointScreenName = "nestPointScreen";
constexpr const char* kNestPointViewName = "nestPointView";
constexpr const char* kNestingScreenName = "nestingScreen";
constexpr const char* kNestingViewName = "nestingView";

// Edit "Nest" after the widgets were released: the marks, the nesting-point
// screen, the nesting screen. Returns the nesting screen's response (-5 OK),
// kNestCancelled (-1) when a step was cancelled, kNestFailed (-90) when a
// head position could not be read ("COMMUNICATIONS ERROR.\nPLEASE TRY AGAIN."
// shown; the box stays where the marks put it) or the current box holds no
// placement.
int NestingDialog();

// The nesting-point screen: the whole table with the layout, "Select a nesting
// point" and the head's cross following the head, until a tap confirms. The
// view scale is restored afterwards.
void SelectPoint2();

// Tap at (x, y) pixels on a nesting screen's view of w x h pixels: logs
// "Tap (%d, %d )\n"; 1 (confirm) in the strip of the bottom confirm_button_size
// pixels, else 0.
int PointScreenTap2(int x, int y, int w, int h);

// Applies the nesting screen's answer and destroys the dialog: logs "Dialog
// received response: 0x%2.2X ( %d )\n"; on OK (-5) stops the head following,
// reads the head once more and moves the current box by the head's travel
// since the screen opened (ApplyNestingScreenMove); anything else logs
// "Returned Unknown Response".
void ResponseEmit(GtkWidget* dialog, int response);
