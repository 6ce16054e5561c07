// What the quilter has chosen in the layout: the current pattern box, the
// placement the pattern pop-up acts on, the entity drawn in red and the box
// procedure of the setup. This module owns the one record of it (private to
// its .cpp); the views, the placement code and the run read and change it
// through these accessors.
#pragma once

struct LayoutNode;  // one placement of a pattern in a pattern box

// The current pattern box (index in the pattern-box table, -1 when none) and
// its setter; the setter takes any index, callers check it against the table.
int CurrentPatternBox();
void SetCurrentPatternBox(int index);

// The placement the pattern pop-up acts on, none when nothing is selected.
LayoutNode* SelectedNode();
void SetSelectedNode(LayoutNode* node);

// The entity (counted from 1) of the selected placement drawn in red; -1 for none.
int HighlightIndex();
void SetHighlightIndex(int index);

// The box procedure of the setup: 0 defines the quilt area, 1 draws a pattern box.
int BoxMode();
void SetBoxMode(int mode);

// Puts the start values back: box 0, no selection, no highlight, box mode 0.
// Tests call it so each case starts from a fresh selection.
void ResetLayoutSelection();

// Ends any edit mode of the views: the view code's own state (edit command,
// measuring line, on-view edit buttons) through releaseViewEditState, then the
// status text is cleared and no entity is highlighted. Every menu and pop-up
// action calls it first.
void ReleaseAllUI();

// The view code's part of ReleaseAllUI; null until the view code installs it.
extern void (*releaseViewEditState)();
