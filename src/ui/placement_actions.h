// The quilter's ways into automatic placement: the scale dialog's
// "SMARTSCALE", the pop-up's "Autofill" and "Merge", and the Edit menu's
// "Autofill" tool (the next pattern picked in the view is autofilled). The
// work itself is done by layout/placement/; these handlers hold the menus and
// toolbar to the run controls while it runs and redraw afterwards.
//
// Every handler runs inside the screen event that started it, so the layout it
// changes reaches the crash-recovery image when that event has been handled.
#pragma once

#include <cstdint>

#include "base/menu_state.h"

typedef struct _GtkWidget GtkWidget;
struct LayoutNode;

// Menu state mask while a placement operation runs: nothing but the run
// controls can be used.
constexpr uint32_t kPlacementBusyMask = kBusyMenuMask;

// The scale dialog's SMARTSCALE for a placement (the caller has taken the undo
// point): asks "KEEP PATTERN PROPORTIONS?" (Yes, No, Cancel) and runs
// SmartScale with the menus held. Returns SmartScale's result, or -1 when the
// question was cancelled. Called by ScaleDialog.
int RunSmartScale(LayoutNode* node);

// Autofill of a placement with the menus held (Autofill, autofill.h), then the
// view redrawn. Returns Autofill's result. Called by the pop-up and the view's
// autofill tool.
int RunAutofillOf(LayoutNode* node);

// Pop-up "Autofill": autofills the selected placement.
void popupAutofill(GtkWidget* item, void* data);

// Pop-up "Merge": merges the selected placement's array into one pattern after
// the question (MergeWithConfirmation) and releases the pop-up.
void popupMergePattern(GtkWidget* item, void* data);

// Edit "Nest": ends any edit mode, runs the nesting screen and redraws.
void menuEditNest(GtkWidget* item, void* data);

// Edit "Autofill": arms the autofill tool (edit mode 12, status "Select Pattern
// Autofill"); the view's next tap on a pattern runs AutofillPicked.
void menuEditAutofill(GtkWidget* item, void* data);

// The autofill tool's tap at (x, y) pixels of the layout view: ends the edit
// mode and autofills the placement nearest the tap (nothing when none is near).
void AutofillPicked(int x, int y);

// Installs the layout view's redraw that shows the hull while autoscale runs.
// Part of InstallGtkInterface.
void InstallPlacementActions();
