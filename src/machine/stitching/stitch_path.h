// The stitch path: the placements of the current pattern box joined into one
// run of points in thousandths of an inch, each with the feed at which the
// head arrives there. Packing drops points that lie too close, marks the jumps
// between sections, cuts long moves into short ones and computes the feeds
// from the turning angle, the curvature and the acceleration setting.
//
// A path is one block of points sized when it is made (NewFullPattern), held
// by its first point and freed with FreeFullPattern. A point's neighbours are
// the points beside it in the block; the two ends are marked so that next()
// and prev() stop there. A point is 16 bytes, so a million-point path is one
// allocation of 16 MB.
#pragma once

#include <cstdint>

struct StatusWindow;

// Bits of FullPattern_t::ends.
constexpr uint8_t kPathFirstPoint = 1;
constexpr uint8_t kPathLastPoint = 2;

struct FullPattern_t {
    float feed = 100.0f;   // feed into this point, on a scale whose top is 100
    float x = 0, y = 0;    // thousandths of an inch, quilt coordinates
    uint8_t halt = 0;      // 1: a stitched section ends here; the move on is a jump
    uint8_t inserted = 0;  // 1: added by line breaking
    // Which ends of its path this point is; a point on its own is both.
    uint8_t ends = kPathFirstPoint | kPathLastPoint;

    // The following and the preceding point of the path, none at its ends.
    FullPattern_t* next() { return ends & kPathLastPoint ? nullptr : this + 1; }
    const FullPattern_t* next() const { return ends & kPathLastPoint ? nullptr : this + 1; }
    FullPattern_t* prev() { return ends & kPathFirstPoint ? nullptr : this - 1; }
    const FullPattern_t* prev() const { return ends & kPathFirstPoint ? nullptr : this - 1; }
};

// Path units per inch.
constexpr float kPathUnitsPerInch = 1000.0f;
// Pattern points closer than this to the point kept before them are dropped.
constexpr float kLeastPointSpacing = 50.0f;
// A gap larger than this (inches, in x or y) between two placements is a jump.
constexpr float kPatternGapInches = 0.25f;
// Piece length of the line breaking, in path units.
constexpr float kLineBreakLength = 100.0f;
// Feed of every point of a path with fewer than three points.
constexpr float kShortPathFeed = 10.0f;
// Largest position a move frame can carry (path units × 100 in a 32-bit
// field); points farther out come from a broken layout.
constexpr float kLargestPathPosition = 2.0e7f;
// Most points a path may hold after line breaking: 100,000 inches of stitching
// at 0.1 inch, far more than any quilt, and 16 MB of memory.
constexpr long kMostPathPoints = 1000000;

// Builds the path of the current pattern box into CurrentRun().fullPattern (the
// old path is freed first); progress goes to the global statWindow when one is
// open. Returns 0 (an empty box gives an empty path), or -1 when the path
// cannot be stitched: a position that is not a number or lies beyond
// kLargestPathPosition, or more than kMostPathPoints points once long moves
// are broken up (a broken or hostile layout). The points are counted before
// the path is made, so such a layout never exhausts the memory; a layout
// changed between counting and writing (under an event drained by the
// progress window) is refused the same way.
int PackFullPattern();

// Builds the path of pattern box `box` as PackFullPattern does and returns it
// (the caller frees it with FreeFullPattern); progress goes to status when
// given. None for a box without points, and none (with *unstitchable set, when
// given) for a path PackFullPattern refuses. The run packs with it through
// PackFullPattern; the stitch-out preview packs its own copy with it.
FullPattern_t* PackBoxPath(int box, StatusWindow* status, bool* unstitchable = nullptr);

// A path of count points (as a point is made: feed 100 at (0, 0)) in one
// block, its ends marked; none when count is below 1. Free it with
// FreeFullPattern.
FullPattern_t* NewFullPattern(long count);

// Frees a path made by NewFullPattern, given its first point (none: nothing).
void FreeFullPattern(FullPattern_t* first);

// Number of points of a path.
int CountFullPattern(const FullPattern_t* first);

// Sets every feed from the path's turning angles and curvature (the first and
// the last point get 0). The angles are taken between the points that come
// from patterns: a point inserted by line breaking keeps feed 100 and is
// stepped over, so the feeds are those of the path before its long moves were
// cut. Shows a message when there is no path.
void FindPatternAngles(FullPattern_t* first, StatusWindow* status);

// The feed allowed at b, between a and c (inches), never below minimumFeed;
// the turn at b in degrees (0 straight on, at most 90) goes to turnOut when
// given.
float GetMaxFeed(const float* a, const float* b, const float* c, int index, float minimumFeed,
                 float* turnOut);

// Cuts the move from start to end into equal pieces of at least length when it
// is 2 × length or longer (at most a million pieces). Returns the number of
// pieces n, or 0 when the move is left whole; with out given, writes the n − 1
// points between start and end there (inserted, feed 100; out has room for
// them and their ends marks are kept).
int ExplodeLine(const FullPattern_t* end, const FullPattern_t* start, float length,
                FullPattern_t* out = nullptr);

// A path from (fromX, fromY) to (toX, toY) with the move cut by ExplodeLine
// at kLineBreakLength, every feed minimumFeed before the inserted ones (100).
// Free it with FreeFullPattern.
FullPattern_t* LinePath(float fromX, float fromY, float toX, float toY, float minimumFeed);

// Limits the feeds by the acceleration setting (forward and backward) and,
// with smoothing, averages them over five points and stretches them between
// minSpeed and the top feed.
void SetFeeds(FullPattern_t* first, int smoothing);
