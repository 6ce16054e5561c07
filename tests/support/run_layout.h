// The one layout builder of the tests: boxes from corners, patterns from
// points (inches), placements, and whole layouts for runs.
#pragma once

#include <utility>
#include <vector>

#include "machine/stitching/stitch_path.h"

using Points = std::vector<std::pair<float, float>>;  // inches

// Empties the box, pattern, placement and array tables, forgets the quilt area
// and the layout's file name, and starts a fresh selection.
void ResetLayout();
// A pattern through the points as given, in a free slot; returns the slot.
int LoadPattern(const Points& points);
// A pattern from pattern-file lines ("p X1.000 Y0.500", "c s", ...), in a free slot.
int LoadPatternLines(const std::vector<const char*>& lines);
// A box from corners in the order the quilter walks them (not made current).
int MakeBox(const Points& corners);
// Clears the layout and the pattern list and makes a 20 x 20 inch box at
// (1, 1) inch the current box (interface must exist). Returns the box.
int MakeRunBox();
// Places a pattern of the points at (nodeX, nodeY) of the box; stops are the
// 1-based point numbers a Stop command precedes. Returns the pattern's slot.
int PlacePoints(int box, const Points& points, float nodeX, float nodeY,
                const std::vector<int>& stops = {});
// The points moved to the origin, base size set to the size, in a free slot (-1: list full).
int LoadPoints(const Points& points);
// A rectangular box from (x, y) of w x h, walked as the quilter draws it, made current.
int MakeRectBox(float x, float y, float w, float h);
// n points on a line from (x0, y0), (dx, dy) apart.
Points LinePoints(int n, float x0, float y0, float dx, float dy);

// A run path of (x, y, halt) points, thousandths of an inch; free it with FreeFullPattern.
struct PathPointSpec {
    float x, y;
    int halt;
};
FullPattern_t* MakePath(const std::vector<PathPointSpec>& points);
