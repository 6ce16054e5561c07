// Touches on the layout and run views: the long press that opens the pattern
// pop-up, swipes and corner arrows between pattern boxes, panning, moving all
// patterns or the selected one (by dragging or with the direction pad), the
// on-view edit buttons and pointer warping. Also the View menu, the Edit
// menu's "Move All" and the main menu's "Pattern View".
#pragma once

#include <gtk/gtk.h>

#include <cstdint>

// Press state shared by the press, motion and release handlers and the timer.
extern double xSaved, ySaved;     // pixels: last pointer position seen
extern double xStart, yStart;     // pixels: where the press began
extern int64_t buttonTime;        // ms: time of the press
extern int cnt;                   // ticks of the long-press timer
extern int buttonHold;            // 1 while pressed
extern int showMenu;              // 1 once the long press has matured
extern double timeOff;            // ms: time of the previous release
extern float offTempX, offTempY;  // set to -1 when the pad's OK ends a move

// The on-view edit buttons 1..5 (minus, text, plus, minus, plus); none when off.
extern GdkPixbuf* editButtonImages[5];

// Drawing-area handlers of the layout and run views ("button-press-event",
// "motion-notify-event", "button-release-event"). Return TRUE.
gboolean OnViewButtonPress(GtkWidget* widget, GdkEvent* event, gpointer data);
gboolean OnViewButtonMotion(GtkWidget* widget, GdkEvent* event, gpointer data);
gboolean OnViewButtonRelease(GtkWidget* widget, GdkEvent* event, gpointer data);

// The 100 ms long-press timer: TRUE to keep ticking, FALSE once decided.
gboolean ButtonTimer(gpointer data);

// Menu handlers: "Pan", "Zoom All", "Move All" and "Pattern View".
void menuViewPan(GtkWidget* item, void* data);
void menuViewZoomAll(GtkWidget* item, void* data);
void menuEditMove(GtkWidget* item, void* data);
void menuMainPatternView(GtkWidget* item, void* data);

// Frees measureLine and measureLayout (both none afterwards).
void DeleteMeasure();

// Replaces the edit buttons by those whose bit (0..4) is set; 0 removes all.
void SetEditButtons(uint32_t mask);

// Shows edit button n (1..5) at full opacity; nothing when it is off.
void HighlightButton(int n);

// The edit button (1..5) under a view point, or 0.
int GetButtonPressed(double x, double y);

// Moves the pointer by (dx, dy) pixels from where it is.
void MoveMouseLocation(int dx, int dy);

// Moves the pointer down by the menu-bar height (out of the toolbar); a
// one-shot timeout callback, returns FALSE.
gboolean MoveMouseLocationCallback(gpointer data);

// Ends the views' edit mode: command -1, measuring line, edit buttons and the
// pop-up hint gone. ReleaseAllUI calls it.
void ReleaseViewEditState();

// Installs the layout view's drawing, the touch handlers of the views and the
// edit-state release. Called at start-up.
void InstallViewInterface();
