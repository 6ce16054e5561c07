// The process-wide flags and start-up globals that no other module owns: the
// status text, the run toggles, the pan of the layout view, the edit mode and
// the cancel flags of long operations. The layout selection lives in
// layout/layout_selection, the view scale in layout/view_transform, the current
// run in machine/stitching/run_state; the screens' widgets in ui/interface.
#pragma once

#include <cstdint>

// Size of the status text buffer (bytes, including the terminating zero).
constexpr int kStatusBarSize = 50;

// Status text drawn by the layout view (at most kStatusBarSize - 1 characters).
extern char statusBar[kStatusBarSize];

// Copies text into statusBar, cut to fit; null clears it. Called by start-up,
// edit modes and ReleaseAllUI (layout/layout_selection).
void SetStatusBar(const char* text);

// Process-wide flags that start-up sets.
extern int threaded;            // result of InitThreads (always 0)
extern int xOn, yOn, origin;    // run toggles of the stitching engine; 0 at start
extern int panX, panY;          // pan offset of the layout view in pixels
extern int zoomAll;             // 1: the next drawing fits the whole layout
extern int menuReady;           // 1 once the view may take touches
extern int64_t lastUpdateTime;  // time of the last view redraw in milliseconds
extern int stitching;           // 1 while the Stitching toggle is on
// Edit mode of the layout and run views: -1 none, 1 pan, ... 10 while a run is
// set up or running. The view code sets it; menu actions reset it to -1.
extern int command;
extern int vHandles;                      // 1 while the handles are shown on the view
extern volatile int mergePatternsActive;  // 1 while a pattern merge runs; Cancel clears it
// 1 while a cancellable long operation (automatic scaling, filling) runs; the
// waiting window's Cancel and the toolbar's Stop clear it.
extern volatile int operationRunning;

struct StatusWindow;
// The progress window of the operation that is running, or null.
extern StatusWindow* statWindow;
