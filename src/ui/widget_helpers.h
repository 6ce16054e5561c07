// Small helpers every window of the program uses: the live-widget test, the
// button font, the arrow and busy cursors, the frame drawn around dialogs, and
// draining pending events so the screen stays alive during long work.
#pragma once

#include <gtk/gtk.h>

// The busy cursor image.
constexpr const char* kBusyCursorImage = "./images/thinker_20x20.png";

// GDK's standard arrow cursor, the only standard cursor the program sets.
constexpr int kArrowCursor = 2;

// 1 when pointer is non-null and a live toolkit widget, else 0. Pointers kept
// across events must be kept with KeepWidget so they fall to null when the
// widget goes; isWidget then never looks at freed memory.
int isWidget(const void* pointer);

// Stores widget in *slot and arranges that *slot becomes null when the widget
// is finalised (destroyed and released). A previous widget in the slot is let go.
void KeepWidget(GtkWidget** slot, GtkWidget* widget);

// Sets the button's label to text in the given font ("<span font_desc=...>"),
// the text escaped so markup characters show literally. Makes a label when the
// button has none.
void SetButtonFont(GtkWidget* button, const char* text, const char* font);

// Sets a standard cursor (type 2 is the arrow) on a drawable window. A null
// window prints "The window is not realized!" and does nothing else. Drains
// pending events afterwards when drain is non-zero.
void SetCursor(GdkWindow* window, int type, int drain);

// Sets a cursor made from an image (hot spot at 7, 7) on the window; a missing
// image leaves the cursor as it is. Drains pending events when drain is non-zero.
void SetCursorFromFile(GdkWindow* window, const char* imagePath, int drain);

// "expose-event" handler of every dialog, pop-up and message box: sets the
// arrow cursor on the widget's window and returns FALSE so other handlers run.
gboolean CursorExpose(GtkWidget* widget, GdkEventExpose* event, gpointer data);

// "expose-event" handler (connected after the default one): draws a black frame
// 5 pixels wide along the edges of the widget's allocation; returns FALSE.
gboolean DrawFrame(GtkWidget* widget, GdkEventExpose* event, gpointer data);

// The smallest height or width of anything a finger presses: 24 pixels on the
// 320 x 240 screen, 40 on the large one (icon_style 1).
int TouchTargetPixels();

// Makes a widget at least TouchTargetPixels high, keeping the height its
// contents need when that is more. Call once its contents are final.
void AtLeastTouchHigh(GtkWidget* widget);

// Keeps a drop-down, sub- or pop-up menu inside the configured screen
// (screen_width x screen_height) each time it opens, as the toolkit does with
// the display it sees: a sub-menu that would run off the right edge opens to
// the left of the menu holding its entry, a menu that would run off the bottom
// moves up. Call once after creating the menu.
void KeepMenuOnScreen(GtkWidget* menu);

// Runs the toolkit's pending events (one main-loop iteration each).
void DrainEvents();

// The window of the main program window, or null before it is realised.
GdkWindow* MainDrawable();

// Sets the cairo source to a named or "#RRGGBB" colour; an unknown name leaves
// the source as it was. Used by the views that draw with cairo.
void SetCairoColour(cairo_t* cr, const char* colourName);
