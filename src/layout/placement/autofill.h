// Array autofill: repeats a placed pattern in as many rows and columns as its
// pattern box has room for, then grows the whole array into the box with
// autoscale and centres it there. The pop-up's "Autofill" and the Edit menu's
// autofill tool run Autofill on the placement the quilter picked; longarm-tool
// runs PlanAutofill and RunAutofill without the question and the undo step.
//
// Works in the current pattern box; sizes are inches.
#pragma once

struct LayoutNode;

enum AutofillResult : int {
    kAutofillDone = 0,
    kAutofillBoxNotConvex = 1,  // from the autoscale: message shown, array made but not grown
    kAutofillBoxInvalid = 2,    // from the autoscale: array made but not grown
    kAutofillNothing = 3,       // no placement or pattern
    kAutofillRefused = 4,       // arrayed, no room, or no array slot: a message was shown
    kAutofillNotAsked = 5,      // the proportions question was cancelled; nothing changed
    kAutofillCancelled = -5,    // Cancel during the autoscale; the undo layout is back
};

constexpr const char* kAutofillQuestion = "KEEP PATTERN PROPORTIONS ON AUTOSCALE?";
constexpr const char* kAutofillTitle = "\n\nUPDATING PATTERNS";
constexpr const char* kArrayedRefusal = "YOU MAY NOT AUTOFILL AN ARRAYED PATTERN";
constexpr const char* kNoRoomMessage = "THE PATTERN CANNOT BE ARRAYED IN THE CURRENT PATTERNBOX";
constexpr const char* kNoArraySlotMessage = "COULD NOT CREATE ARRAY";
// Autofill makes at most this many rows and columns (as the Repeat dialog).
constexpr int kAutofillCountLimit = 20;

// Rows and columns of an autofill.
struct AutofillGrid {
    int down = 1;
    int across = 1;
};

// The grid that fits the current box: the box less the margin once
// (`xMargin`, `yMargin`) divided by the pattern's size, each count kept to
// 1 … 20 (1 along an axis where the pattern has no size). Refuses with a
// message (and returns 0) an arrayed placement ("YOU MAY NOT AUTOFILL AN
// ARRAYED PATTERN"), a pattern larger than the room, or one that would not be
// repeated at all ("THE PATTERN CANNOT BE ARRAYED IN THE CURRENT PATTERNBOX").
// Returns 1 with the grid otherwise; 0 without a message for no placement,
// pattern or current box.
int PlanAutofill(const LayoutNode* node, AutofillGrid* grid);

// Makes the grid an array of the placement (moved to the margin, the repeats
// appended next to each other in its box), then with `operationRunning` set
// and the waiting band "\n\nUPDATING PATTERNS" open grows the array into
// the box (AutoScaleArray in the given mode) and centres it
// (AutoCenterPattern); closes the window, clears the flag and redraws the
// pattern images. Returns kAutofillDone, kAutofillRefused when no array slot
// is free ("COULD NOT CREATE ARRAY", nothing changed), or the autoscale's
// result (kAutofillCancelled leaves the array as the autoscale stopped it:
// Autofill restores the undo layout).
int RunAutofill(LayoutNode* node, const AutofillGrid& grid, int mode);

// The whole autofill of a placement: the undo step, PlanAutofill, the
// question "KEEP PATTERN PROPORTIONS ON AUTOSCALE?" (Yes, No, Cancel:
// "Autofill cancelled" logged) and RunAutofill; after a Cancel during the
// autoscale the undo layout is brought back, so the placement pointer must not
// be used afterwards. Returns an AutofillResult. Called by the pop-up's
// Autofill and the view's autofill tool.
int Autofill(LayoutNode* node);
