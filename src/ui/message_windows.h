// The small modal windows every part of the program uses: message boxes, the
// waiting window with its animation and Cancel button, and the progress window
// with its STOP button. Core code reaches the message boxes and the progress
// window through the seam of base/ui_hooks.h; InstallGtkInterface puts these
// functions behind it.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "base/ui_hooks.h"

// Title of every message window (not shown on the undecorated screen; it lets
// tools and tests find the window).
constexpr const char* kMessageWindowTitle = "Longarm message";

// Shows a modal message box over the main window: kind 0 information,
// 1 warning, 2 question, 3 error; buttons 1 OK, 2 Close, 4 Yes and No, 5 OK and
// Cancel. The text is shown literally and wraps. Returns the response: -5 OK,
// -6 Cancel, -7 Close, -8 Yes, -9 No, -4 window closed.
int GtkShowMessage(int kind, int buttons, const char* text);

// Runs a modal dialog to its answer and destroys it, unless something else
// destroyed it meanwhile. Returns the response.
int RunDialog(GtkWidget* dialog);

// Tells the quilter where a file was just saved: the information message
// "FILE SAVED:\n" and the path, with OK. Called after every save the quilter
// asked for (layout, traced pattern, pattern save-as).
void ShowSavedMessage(const std::string& path);

// OK and Cancel plus one extra button answering extraResponse; centred.
// Returns -5, -6, extraResponse or -4.
int GtkShowMessageSpecial(int kind, const char* text, const char* extraLabel, int extraResponse);

// The waiting window: an animation under a title, an info line for the
// caller's notes, and a Cancel button shown only when the work can be cancelled.
struct WaitingWindow {
    GtkWidget* window = nullptr;
    GtkWidget* title = nullptr;
    GtkWidget* info = nullptr;   // empty label in blue for progress notes
    GtkWidget* image = nullptr;  // animation; none in the band
    GtkWidget* box = nullptr;
    GtkWidget* cancelButton = nullptr;
    int open = 0;             // 1 while the window exists
    int restoreOnCancel = 0;  // 1: Cancel brings back the undo layout
};

// The waiting window that is open, or null.
extern WaitingWindow* waitWindow;

// 1 while a waiting window is open; keeps its refresh timer alive.
extern int keepWaitingWindowOpen;

// Opens the waiting window over the whole screen, stores it in waitWindow and
// starts its 200 ms refresh. Returns the record; it stays valid (inert once
// closed) until the program ends.
WaitingWindow* CreateWaitingWindow(const char* title, int cancellable);

// The waiting window as a band over the menu row (the screen's width, as high
// as the menu row and never lower than a 24-pixel Cancel, 40 pixels with the
// large icons): the title in one line, the info line beside it and Cancel at
// the right; no animation. The layout view under the menu row stays in
// sight. Otherwise as CreateWaitingWindow.
WaitingWindow* CreateWaitingBand(const char* title, int cancellable);

// Destroys the window if it is open and forgets it; a second call does nothing
// to the window. keepWaitingWindowOpen becomes 0; pending events are drained.
void CloseWaitingWindow(WaitingWindow* window);

// The Cancel button's action: clears operationRunning and mergePatternsActive,
// closes the record (restoring the undo layout when asked), sets the arrow
// cursor and redraws the drawing area. Works without a record too.
void CancelWaitingWindow(WaitingWindow* window);

// The 200 ms timer: FALSE (stop) once keepWaitingWindowOpen is 0, otherwise
// drains pending events and returns TRUE.
gboolean RefreshWaitingWindow(gpointer data);

// Progress-window hooks of the seam: build, pulse, relabel, close the window of
// a StatusWindow record. The STOP button sets its abortRequested.
void GtkCreateStatusWindow(StatusWindow* record);
void GtkUpdateStatusWindow(StatusWindow* record);
void GtkStatusWindowSetText(StatusWindow* record);
void GtkCloseStatusWindow(StatusWindow* record);

// The STOP button's handler: sets abortRequested of the record given as data.
void OnBtnStatusAbort(GtkWidget* button, gpointer record);
