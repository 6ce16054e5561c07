// The path of a merged array: one pattern that visits every copy of a source
// pattern in rows and columns, row by row, with stops wherever the needle has
// to jump, so the array can be stitched, saved and transformed as one piece.
//
// Every copy is enclosed by "c e s" before its first point and "c e e" before
// the first point of the next copy (after the last point for the last copy,
// followed by a final "c s"). A new row starts with a stop; copies within a
// row are joined without one when they touch (0.25 inch or less apart). The
// source's own stops are repeated in every copy.
#pragma once

#include <functional>
#include <memory>

#include "pattern/pattern.h"

// Largest gap (inches) between copies of a row that is sewn without a stop.
constexpr float kMergeJoinDistance = 0.25f;

// An array's layout: rows and columns and the gaps between copies.
struct MergeGrid {
    int down = 1;             // rows
    int across = 1;           // columns
    float spacingDown = 0;    // inches between rows
    float spacingAcross = 0;  // inches between columns
    float x = 0, y = 0;       // inches: position of the first copy (the array's parent)
};

// Called before each copy k (from 1) of total; false stops the merge.
using MergeCopyStarted = std::function<bool(int copy, int total)>;

// Builds the merged pattern of the source repeated in the grid. Points lie in
// the placement frame of the box (the first copy's corner at (grid.x,
// grid.y)), rounded to thousandths as in a pattern file. The name is the
// source's name with "_merged"; base size and angle are 0. Returns none when
// copyStarted stops it, or for a grid without rows or columns (above 10,000
// copies counts as none too). Called by MergePatterns.
std::unique_ptr<Pattern> BuildMergedPattern(const Pattern& source, const MergeGrid& grid,
                                            const MergeCopyStarted& copyStarted);
