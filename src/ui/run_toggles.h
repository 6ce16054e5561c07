// The toolbar's machine toggles (Stitching, Lock X, Lock Y), the main menu's
// password-protected "Demo", and the properties dialog's "Retrieve Start
// Point" button.
#pragma once

typedef struct _GtkWidget GtkWidget;

// Lock X / Lock Y toolbar toggles ("toggled"): hold or free one axis, then move
// the pointer off the toolbar.
void menuRunLockX(GtkWidget* button, void* data);
void menuRunLockY(GtkWidget* button, void* data);

// Stitching toolbar toggle ("toggled"): arms stitching after a stitcher check;
// a refused check turns the toggle off again.
void menuRunStitching(GtkWidget* button, void* data);

// Main menu "Demo": the password, then the repeated run of the current box.
void menuRunTest(GtkWidget* item, void* data);

// "Retrieve Start Point" of the pattern properties dialog ("clicked"; data:
// the dialog's entry array, GtkWidget* [4] or longer, in the order local start
// X, local start Y, actual X, actual Y). Writes the head position into them as
// "%0.3f" inches, box-relative then absolute; shows "COULD NOT RETRIEVE POINT"
// when the head position cannot be read. Entries that are null or gone are
// skipped.
void OnBtnSetStartClicked(GtkWidget* button, void* entries);
