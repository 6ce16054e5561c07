// Repeats of a placed pattern in rows and columns made by hand (the "Repeat"
// dialog): the parent placement keeps its place, the repeats are further
// placements of the same pattern in the same array slot.
#pragma once

struct LayoutNode;

// Counts and spacings of an array (inches between copies).
struct RepeatSettings {
    int down = 1;             // rows
    float spacingDown = 0;    // inches between rows
    int across = 1;           // columns
    float spacingAcross = 0;  // inches between columns
};

// Ranges of the Repeat dialog.
constexpr int kRepeatCountMin = 1, kRepeatCountMax = 20;
constexpr float kRepeatSpacingMin = -10.0f, kRepeatSpacingMax = 10.0f;  // inches

// The placement an array is made from: the placement itself when it has no
// array or is the parent, else its array's parent (itself when none is found).
// None for none.
LayoutNode* ArrayParentOf(LayoutNode* node);

// The dialog's start values for a parent: its array record, or 1 row, 1 column,
// no spacing when it has none. A parent whose array slot is empty is set back
// to no array (arrayIndex -1).
RepeatSettings RepeatStartValues(LayoutNode* parent);

// Makes the array: the old repeats of the parent's array are removed, the
// array record is made or overwritten, and a repeat is appended in the parent's
// box for every row and column except the first of both (on a turned pattern
// the grid is turned about the parent by the pattern's angle). With one row and
// one column the array is dissolved and the parent stands alone. Counts are
// truncated to whole numbers and kept to 1 … 20. Returns 1, or 0 when no array
// slot is free ("COULD NOT ADD ARRAY" shown) or there is no placement or pattern.
int ApplyRepeat(LayoutNode* parent, const RepeatSettings& settings);
