// Merging an array into one placement: the array's copies become one pattern
// (BuildMergedPattern) shown by the array's parent, the other members and the
// array record go. The pop-up's "Merge" runs MergeWithConfirmation on the
// selected placement; longarm-tool runs MergePatterns.
//
// The layout is changed only once the merged pattern is complete: a Cancel in
// the waiting window (which clears `mergePatternsActive`), a missing array or
// a full pattern table leave every placement, pattern and array as it was.
#pragma once

struct LayoutNode;

constexpr const char* kMergeOnlyArrays = "ONLY REPEATED PATTERNS MAY BE MERGED";
constexpr const char* kMergeQuestion =
    "THIS WILL MERGE THE SELECTED PATTERN INTO A SINGLE PATTERN\n\nDO YOU WANT TO CONTINUE?";
constexpr const char* kMergeCancelled = "MERGE CANCELLED";
constexpr const char* kMergeCompleted = "MERGE COMPLETED SUCCESSFULLY";
constexpr const char* kMergeTitle = "MERGING PATTERN FILES";

// Merges the array of the given placement (any member; the parent is used).
// Shows the cancellable waiting window "MERGING PATTERN FILES" with the text
// "Merging Pattern k of n" before each copy, drains pending events between
// copies and stops when `mergePatternsActive` was cleared. The merged pattern
// replaces the source in the parent's slot, or takes a free slot when another
// placement outside the array still shows the source (which then stays). The
// parent then stands alone (no array, no parent flag); every other member and
// the array record are removed. Returns 1 merged; 0 cancelled or impossible:
// no placement, not in an array ("ONLY REPEATED PATTERNS MAY BE MERGED"
// shown), no array record or source points, or no free pattern slot.
int MergePatterns(LayoutNode* node);

// The pop-up's Merge: refuses a placement outside an array (the warning
// above), asks "THIS WILL MERGE ..." (Yes, No), writes the undo step, merges
// and shows "MERGE CANCELLED" (warning) or "MERGE COMPLETED SUCCESSFULLY"
// (information). Returns MergePatterns' result, 0 when refused or declined.
int MergeWithConfirmation(LayoutNode* node);
