// The guided procedures that build the quilting area (extents) and the pattern
// boxes from machine positions: the quilter pushes the head to each corner and
// confirms it on the setup screen. The setup view shows the table, the box
// being drawn with its live corner, the instruction text and the buttons.
//
// The machine is reached through the motor-controller commands; tests run the
// procedures against the simulated board.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <string>

// The end-of-run signal sent when a setup screen opens.
constexpr unsigned char kEndOfRunSignal = 0x30;

// Distance in thousandths of an inch the head must move before the instruction
// text leaves the pattern-box setup.
constexpr int kPromptMoveThreshold = 15;

// The instruction text shown on the setup screen ("" once it was removed).
const std::string& SetupPromptText();

// The procedure part of createExtentsSetup(mode), installed as the screen's
// extentsSetupProcedure: frees the axes, starts the procedure of the mode
// (0 quilt area, 1 pattern box) and connects the taps to OnScreenTap.
void StartExtentsProcedure(int mode, GtkWidget* drawingArea);

// "button-release-event" of the setup view; data is the mode text "0" or "1".
// Taps on the button row press button 1, 2 or 3; other taps redraw. Returns TRUE.
gboolean OnScreenTap(GtkWidget* widget, GdkEventButton* event, gpointer data);

// The button number of a tap at x in a view of the given width (B =
// confirm_button_size); 0 or less, or above 3, is no button.
int SetupButtonAt(int x, int viewWidth, int buttonSize);

// Carries out button 1, 2 or 3 of the procedure of the mode. Called by
// OnScreenTap and by tests.
void PressSetupButton(int mode, int button);

// The one-second live tracking of the pattern-box procedure: moves the live
// corner to the head. Returns TRUE while tracking goes on, FALSE to stop.
gboolean getMCCoordinates(gpointer data);

// 1 while the live-tracking timer runs.
int TrackingTimerRunning();

// Menu "Set Quilt Area": starts the quilt-area procedure on its setup screen.
void menuMainExtents(GtkWidget* item, void* data);

// Menu "Pattern Box" with the action text "1" (add a box), "0" (redraw the
// current box) or "2" (delete the current box).
void menuMainPatternbox(GtkWidget* item, void* data);

// Starts the quilt-area procedure: a fresh corner list and the setup screen
// with the menus restricted to the setup set. Also used by a new layout and by
// loading a layout without extents.
void StartQuiltAreaSetup();

// Starts the pattern-box procedure for the current box (the quilt-area
// procedure instead, with a message, when no extents exist).
void StartPatternBoxSetup();

// Ends the live tracking and leaves the procedure for the layout view.
void ShowLayoutView();

// Expose handler of the setup view. Returns TRUE.
gboolean da_ExtentsView(GtkWidget* widget, GdkEventExpose* event, gpointer data);
