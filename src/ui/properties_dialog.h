// The properties dialog of a placed pattern: where its path starts (in the box
// and on the quilt) and its width and height, each typed on the number pad. OK
// resizes the pattern, moves the placement (with its array) to the typed start,
// or, with "Move All" ticked, moves the whole pattern box by the change.
#pragma once

typedef struct _GtkWidget GtkWidget;
struct LayoutNode;

// Title of the dialog.
constexpr const char* kPropertiesDialogTitle = "Properties";

// The entries the "Retrieve Start Point" button fills, in this order. Their
// widget names: "LocalStartX", "LocalStartY", "ActualX", "ActualY", "Width",
// "Height"; the button is "RetrieveStartPoint", the check button "MoveAll".
enum PropertiesEntry {
    kEntryLocalStartX,
    kEntryLocalStartY,
    kEntryActualX,
    kEntryActualY,
    kEntryWidth,
    kEntryHeight,
    kPropertiesEntryCount
};

// Runs the dialog for a placement of the current box and applies OK. Returns
// the response (-5 OK, -6 Cancel, -4 closed), or 0 without a placement or
// pattern. Called by the pop-up's Properties.
int PatternPropertiesDialog(LayoutNode* node);

// The number of an entry's text (0 when it holds none).
double EntryNumber(GtkWidget* entry);
