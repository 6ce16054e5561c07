// The drawing area of the current screen. Every screen that shows the quilt
// draws into one drawing area (the Interface's drawingArea); its kind decides
// its size and which view draws it: the layout, run and trace views and the
// quilt-area setup draw their own kinds; the pattern preview of the
// pattern-select screen is drawn here.
#pragma once

#include <gtk/gtk.h>

// Drawing-area kinds.
enum DrawingAreaKind {
    kAreaRunView = 0,         // view_area_width x (view_area_height - 60)
    kAreaTrace = 1,           // (view_area_width - trace_button_width - 10) x view_area_height
    kAreaLayoutView = 2,      // view_area_width x view_area_height
    kAreaPatternPreview = 3,  // pattern_preview_width x pattern_preview_height
    kAreaExtentsSetup = 4,    // view_area_width x view_area_height
    kAreaKindCount
};

// 1 while a manual zoom is in force (zoom-to-fit then does nothing); the screen
// builders set it to 0.
extern int zoomed;

// Destroys the current drawing area if it is a live widget and makes a new one
// of the given kind: events exposure, button press and release, motion while a
// button is down; the kind's size and expose handler; the run and trace kinds
// (re)set the status text layout, the layout view releases it. Stores it in drawingArea and
// returns it; an unknown kind gives null and changes nothing.
GtkWidget* SetDrawingArea(int kind);

// The handler id of the drawing area's expose handler.
extern gulong da_signal;

// Makes the next drawing of the view fit the whole layout (zoomAll = 1).
void SetZoomAll();

// Expose handler of the pattern preview: previewPixbuf scaled into the area
// (keeping its proportions), on white. Returns TRUE.
gboolean da_SmallPatternView(GtkWidget* widget, GdkEventExpose* event, gpointer data);
