// The number pad: a modal dialog "ENTER NUMBER" with the number in an entry,
// keys 0-9, "<-" and (when decimals are allowed) ".", and in angle mode a
// "Counterclockwise" box. Every number the quilter types (sizes, positions,
// angles, machine settings) is entered here.
#pragma once

#include "base/number_pad_rules.h"

typedef struct _GtkWidget GtkWidget;
typedef union _GdkEvent GdkEvent;

// Shows the pad with text as the value shown (the first key replaces it) and
// runs it modally. Returns the number entered with OK; in angle mode at most
// 360, and 360 minus it when "Counterclockwise" is ticked. Returns the number
// of text (0 when it holds none) with Cancel. A title (or null) is shown above
// the number: the name and unit of the field being edited. Start-up installs it
// as the user-interface seam's numberEntry.
double GtkNumberEntry(const char* text, int decimalAllowed, int angleMode,
                      const char* title = nullptr);

// "button-release-event" handler of a numeric entry (the pattern properties
// dialog): opens the number pad (through the user-interface seam) on the
// entry's text and shows the result as "%0.3f". When the entry was linked to
// another one with LinkNumberEntry, that one shows the current pattern box's
// origin in the linked axis plus the value. The pad's title is the one given to
// LinkNumberEntry. Returns FALSE (event not handled).
int OnEntryClicked(GtkWidget* entry, GdkEvent* event, GtkWidget* linked);

// Connects OnEntryClicked to entry; linked (or null) follows it in the axis
// (0 x, 1 y). title (or null) names the field and its unit on the number pad.
void LinkNumberEntry(GtkWidget* entry, GtkWidget* linked, int axis, const char* title = nullptr);
