// The "Repeat" dialog that makes an array of a placed pattern (counts across
// and down and the spacings between copies), and the "ECHO" dialog.
#pragma once

typedef struct _GtkWidget GtkWidget;
struct LayoutNode;

constexpr const char* kRepeatDialogTitle = "Repeat";
constexpr const char* kEchoDialogTitle = "ECHO";

// Runs the Repeat dialog for the placement's array parent (the placement
// itself when it has no array), starting from the array's counts and spacings.
// OK takes the undo point and makes the array (one row and one column dissolve
// it). The view is redrawn in every case. Returns the response (-5, -6, -4),
// or 0 for no placement. Called by the pop-up's Repeat.
int ArrayDialog(LayoutNode* node);

// Runs the echo dialog (repeat count and percentage) for a placement outside
// any array; the values change nothing. Returns the response, or -1 for an
// arrayed placement (refused with a message) or none.
int EchoDialog(LayoutNode* node);

// The sliders carry their labels as widget names ("Across", "Spacing Across",
// "Down", "Spacing Down"; "Repeat: ", "Percent: ") so that tools can find them.
