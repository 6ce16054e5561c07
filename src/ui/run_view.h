// The run view and the toolbar's Start and Stop: the screen side of a
// quilting run. Installs the run control's screen hooks (Stitching toggle,
// lock toggles, run and edit views, PAUSE and THREAD BREAK, the head marker,
// the point-selection screen), the toolbar handlers, the PAUSE / THREAD BREAK
// handlers, the run view's drawing (da_MotorMove) and its speed buttons.
#pragma once

#include <gtk/gtk.h>

// Installs everything above. Called once by start-up after the toolkit is
// initialised (before or after the menu row is built).
void InstallRunView();

// Expose handler of the run view (drawing-area kind 0): the current box's
// patterns box-relative, the speed-button column in edit mode 10, the head
// marker cross, the top speed with the Up and Down images. Returns TRUE.
gboolean da_MotorMove(GtkWidget* widget, GdkEventExpose* event, gpointer data);

// PAUSE "toggled": halves the button to "START" and shows THREAD BREAK (usable
// only with the Stitching toggle on) when pressed, restores "PAUSE" when
// released, then lets the run pause or resume.
void OnBtnPauseToggled(GtkWidget* button, gpointer data);

// THREAD BREAK "clicked": the thread-break restart.
void OnBtnThreadClicked(GtkWidget* button, gpointer data);

// Which speed button of a run view of width x height pixels lies under
// (x, y): 1 Up, -1 Down, 0 none. The images are s x s pixels (50, or 32 for
// the small icon style) at (W - s - g, s) and (W - s - g, H - 2s).
int RunSpeedButtonAt(int x, int y, int width, int height);
