// The frames of the screens shown under the menu row: the layout and run views,
// the trace screen and the quilt-area / pattern-box setup. Each builder returns
// the new screen, its buttons and views connected to the handlers of the views
// that run them; the screen switch (ShowScreen) stores it in currentScreen,
// packs it and applies the screen's menu mask.
#pragma once

#include <gtk/gtk.h>

// Destroys the current screen if it is a live widget (printing "destroy
// current screen") and clears currentScreen, drawingArea, btnPause and
// btnThread. Nothing happens when there is no screen.
void clearScreen();

// Layout view (mode 0, kind 2) or run view (mode 1, kind 0): a column of the
// view area with viewPanel and the drawing area connected to the view touch
// handlers; the run view adds the THREAD BREAK and PAUSE buttons. The run's
// speed-up and slow-down counts start again at 0.
GtkWidget* createPatternViewScreen(int mode, int kind);

// Trace screen: camera view with the Start and Save buttons at the right; a
// temporary pattern left by an earlier recording is erased first.
GtkWidget* createTraceScreen();

// Quilt-area (mode 0) or pattern-box (mode 1) setup: the frame with the setup
// view, then the guided procedure of the mode starts (StartExtentsProcedure).
GtkWidget* createExtentsSetup(int mode);
