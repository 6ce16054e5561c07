// Whether a stitch path stays on the quilt: the points of a packed path
// against the measured quilting area of the table (`extents`). The run refuses
// a path that leaves the area before anything is sent, the estimate of
// longarm-tool warns about one, and a preview can mark the points outside.
//
// The area is taken as the convex polygon of its corners (the quilt area is
// measured as a four-cornered one, its left edge along the y axis and its
// front edge along the x axis). A position lies outside by its distance beyond
// the line of each edge; the edge's outward direction names the side.
#pragma once

#include <string>

struct FullPattern_t;
struct PatternBox;

// How far the path may stray over an edge of the area (inches): about the
// needle's own width, so that a path drawn right along the edge is accepted.
constexpr float kQuiltAreaToleranceInches = 0.05f;

// The sides of the quilt area as the quilter faces the table from its front.
enum QuiltAreaSide { kSideBack, kSideFront, kSideLeft, kSideRight, kQuiltAreaSides };

// How far one position lies outside the area and beyond which side.
struct QuiltAreaOverrun {
    float inches = 0;  // 0 inside the area
    QuiltAreaSide side = kSideBack;
};

// The overrun of one path position (x, y in thousandths of an inch, quilt
// coordinates): the farthest distance beyond an edge line. An area of fewer
// than three corners, or without surface, holds every position (0).
QuiltAreaOverrun QuiltAreaOverrunAt(const PatternBox& area, float x, float y);

// The farthest overrun of a path beyond each side of the area, in inches, 0
// for a side that the path keeps within `tolerance` inches of.
struct PathOverrun {
    float inches[kQuiltAreaSides] = {};
    // True when the path leaves the area on some side.
    bool Outside() const;
};

// Checks every point of the path starting at first (none: nothing outside).
// Used by the run before it sends anything and by longarm-tool's estimate.
PathOverrun CheckPathInQuiltArea(const FullPattern_t* first, const PatternBox& area,
                                 float tolerance = kQuiltAreaToleranceInches);

// The quilter's words for an overrun: one part per side left, in the order
// back, front, left, right, such as "3.600 IN. BEYOND THE FRONT EDGE", joined
// by separator. Empty when the path stays inside.
std::string DescribePathOverrun(const PathOverrun& overrun, const char* separator);
