// The parts the full-screen views that follow the machine head share (the
// start-point selection of the run, the nesting-point and nesting screens): a
// modal dialog without buttons holding one view, the prompt in a white band at
// the top, the head's cross, and the confirm buttons drawn on the view.
#pragma once

#include <gtk/gtk.h>

// A modal, undecorated dialog of the screen's size at (0, 0) over the main
// window, its action area hidden, holding a drawing area of the view size that
// takes exposures and button presses. The dialog and the view get the given
// widget names; the caller connects the view's handlers and shows the view.
// Returns the dialog; *view receives the view.
GtkWidget* NewHeadFollowDialog(const char* title, const char* name, const char* viewName,
                               GtkWidget** view);

// An image of "./images/" (the large name when icon_style is 1) scaled to
// size x size pixels; none (and a log line) when missing.
GdkPixbuf* LoadButtonImage(const char* large, const char* small, int size);

// The prompt centred at the top of a view w pixels wide, black on a white band.
void DrawPrompt(cairo_t* cr, GtkWidget* view, const char* prompt, int w);

// The head's cross: a red vertical and horizontal line through (x, y) pixels
// across the whole w x h view.
void DrawHeadCross(cairo_t* cr, double x, double y, int w, int h);

// One confirm button of size x size pixels at (x, y): its image, or a drawn
// button with the label when the image is missing.
void DrawConfirmButton(cairo_t* cr, GtkWidget* view, GdkPixbuf* image, const char* label, int x,
                       int y, int size);
