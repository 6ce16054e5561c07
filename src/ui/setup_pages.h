// The Parameters and Constants pages of the setup screen, and what every page
// of it shares: the look of its labels, entries and tabs, and the entries and
// sliders that apply a value when touched or released.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>

// The board's constants as read when the setup screen is built, in reply
// order XKp, XKi, YKp, YKi, YKd, Err, TOut, XKd; all 100 when the board did
// not answer. They only fill the entries.
extern int32_t floaters[8];

// Sends nothing; reads the constants into floaters (100 each on failure).
void ReadSetupConstants();

// The fonts of the setup pages' buttons, and of the labels and check boxes
// that share a row with entries.
const char* SetupFont();
const char* SetupLabelFont();

// Height of the notebook: the view area less the packing around the screen.
int SetupNotebookHeight();

// Adds child as a page titled title.
void AppendSetupPage(GtkWidget* notebook, GtkWidget* child, const char* title);

// A label in the setup font.
GtkWidget* SetupLabel(const char* text);

// An entry showing text that opens the number pad when touched and applies
// the value for its field code (OnTxtEntryReleased), setup_spinbox_width x
// setup_spinbox_height.
GtkWidget* SetupEntry(char code, const char* text);

// Puts label and entry pairs into a table, two pairs per row, from row `row`;
// the entries and labels made go to `entries` and `labels` when given.
struct EntryCell {
    const char* label;
    char code;
};
void AttachEntryPairs(GtkWidget* table, int row, const EntryCell* cells, int count,
                      GtkWidget** entries, GtkWidget** labels);

// The entry text of a field code as the page shows it now (the board's
// constants from floaters).
void SetupEntryText(char code, char* text, int size);

// Fill the Parameters (sliders) and Constants (entries) pages.
void createUserSetupScreen(GtkWidget* notebook);
void createConstantsSetupScreen(GtkWidget* notebook);

// "button-release-event" of an entry: the number pad on the entry's text,
// then the value applied for the field code given as data (Cancel applies
// the shown value again). Returns FALSE.
gboolean OnTxtEntryReleased(GtkWidget* entry, GdkEventButton* event, gpointer code);

// "button-release-event" of a slider: once the slider has taken the release,
// its value is applied for the field code given as data and the slider (and
// "Max Speed") moved to the value the board holds. Returns FALSE.
gboolean OnPIDSliderReleased(GtkWidget* slider, GdkEventButton* event, gpointer code);
