// Where a newly added pattern goes in its box: beside or below the patterns
// already there, so that adding several in a row does not stack them on the
// box's origin corner.
#pragma once

// The box-relative position (inches) for a new pattern of width × height in
// box slot `box`: the first spot, in reading order (smallest y, then smallest
// x), among the box origin (0, 0), the right side and the bottom of every
// placement of that box, where the pattern's rectangle overlaps no placement's
// rectangle and stays inside the box's bounding rectangle. (0, 0) when there
// is no box or no such spot. Called when a pattern is added to the layout.
void NewPlacementSpot(int box, float width, float height, float* x, float* y);

// Loads a pattern file into the next free pattern slot, turns it to the
// current box's angle and places it at NewPlacementSpot in that box. Returns
// 1 when placed; 0 when the table is full (with the message), the file cannot
// be read (with the message), or there is no pattern box. The pattern-select
// screen calls it.
int AddPatternToCurrentBox(const char* path);
