// The trace screen's behaviour: the Start toggle that records a new pattern
// while the quilter guides the head by hand, the Save button, the trace view
// that draws the recording over the camera picture, and the main menu's
// "Free Motion" item that opens the screen.
#pragma once

#include <gtk/gtk.h>

// Start toggle ("toggled"): pressed, records until it is released (menus and
// Save unusable meanwhile); released, nothing (the running recording ends).
void OnBtnStartTraceToggled(GtkWidget* button, gpointer data);

// Save button ("clicked"): saves the recording as a pattern file.
void OnBtnSaveClicked(GtkWidget* button, gpointer data);

// Expose handler of the trace view: the camera picture, the recorded points,
// a cross through the last point and the position line.
gboolean da_Capture(GtkWidget* widget, GdkEventExpose* event, gpointer data);

// Main menu "Free Motion": frees both axes, then the trace screen (or the
// quilt-area setup when no quilting area exists yet).
void menuMainTraceMode(GtkWidget* item, void* data);
