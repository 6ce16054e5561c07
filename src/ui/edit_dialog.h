// The frame shared by the pattern dialogs (scale, properties, repeat, echo):
// an undecorated modal dialog with OK and Cancel, centred on the screen, framed
// in black, and a run that destroys it afterwards.
#pragma once

typedef struct _GtkWidget GtkWidget;

// A new modal dialog titled title with "gtk-cancel" (-6) and "gtk-ok" (-5) in
// that order, left to right as in every message window,
// width x height pixels with its buttons, centred on the configured screen, destroyed
// with the main window; "expose-event" draws the frame and sets the arrow
// cursor. The caller fills GTK_DIALOG(dialog)->vbox.
GtkWidget* NewEditDialog(const char* title, int width, int height);

// Shows the dialog, runs it modally and destroys it (unless it went already).
// Returns the response (-5 OK, -6 Cancel, -4 closed, or an extra button's).
int RunEditDialog(GtkWidget* dialog);

// Invalidates the layout view so it is drawn again; nothing without a view.
void RedrawLayoutView();
