// The layout view: the current pattern box with its placed patterns, drawn
// from the drawing area's expose handler over the grid (or the camera picture),
// with the start and end markers, the status texts, the on-view edit buttons,
// the direction pad of the move modes and the pop-up hint. Also zoom to fit,
// the grid image and the on-view button images.
#pragma once

#include <gtk/gtk.h>

// Expose handler of the layout view (kind 2). Returns TRUE.
gboolean da_PatternView(GtkWidget* widget, GdkEventExpose* event, gpointer data);

// Zoom to fit for a window (its size): nothing while a manual zoom is in force
// (zoomed 1) or the window has no size yet. Sets viewScale and the pan, rebuilds
// the grid, and declares the pattern images out of date when the scale changed.
// Called by the view on zoomAll and by menu actions.
void ZoomAll(GdkWindow* window);

// Zoom of the setup view: the whole quilt area fits the window. Sets viewScale.
void ZoomExtents(GdkWindow* window);

// Rebuilds gridPixbuf (view_area_width x view_area_height) at the view scale
// and returns its spacing in pixels (0: no grid drawn).
int DrawGrid();

// An on-view button image of w x h pixels: with an image path and no text, the
// image with its visible pixels at the given alpha; with text, the text in blue
// centred on the image (or on a grey disc) with the rest transparent. Returns
// a new image owned by the caller, or none when the image cannot be loaded.
GdkPixbuf* DrawButton(int w, int h, const char* text, const char* imagePath, int alpha);

// Asks for a redraw of the current drawing area (nothing when there is none).
void RedrawView();

// An image of "./images/" with every visible pixel at the given alpha
// (alpha < 0: as loaded); cached for the life of the program. None when the
// file is missing.
GdkPixbuf* ViewImage(const char* name, int alpha = -1);
