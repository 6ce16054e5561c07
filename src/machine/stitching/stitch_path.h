// The stitch path: the placements of the current pattern box joined into one
// doubly linked list of points in thousandths of an inch, each with the feed at
// which the head arrives there. Packing drops points that lie too close,
// marks the jumps between sections, cuts long moves into short ones and
// computes the feeds from the turning angle, the curvature and the
// acceleration setting.
#pragma once

#include <cstdint>

struct StatusWindow;

struct FullPattern_t {
    float feed = 100.0f;  // feed into this point, on a scale whose top is 100
    float x = 0, y = 0;   // thousandths of an inch, quilt coordinates
    FullPattern_t* next = nullptr;
    FullPattern_t* prev = nullptr;
    int32_t halt = 0;      // 1: a stitched section ends here; the move on is a jump
    int32_t inserted = 0;  // 1: added by line breaking
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
// at 0.1 inch, far more than any quilt, and about 50 MB of memory.
constexpr long kMostPathPoints = 1000000;

// Builds the path of the current pattern box into interface->fullPattern (the
// old path is freed first); progress goes to the global statWindow when one is
// open. Returns 0 (an empty box gives an empty path), or -1 when the path
// cannot be stitched: a position that is not a number or lies beyond
// kLargestPathPosition, or more than kMostPathPoints points once long moves
// are broken up (a broken or hostile layout). The path is then freed before
// any move is broken up, so such a layout never exhausts the memory.
int PackFullPattern();

// Builds the path of pattern box `box` as PackFullPattern does and returns it
// (the caller frees it with FreeFullPattern); progress goes to status when
// given. None for a box without points, and none (with *unstitchable set, when
// given) for a path PackFullPattern refuses. The run packs with it through
// PackFullPattern; the stitch-out preview packs its own copy with it.
FullPattern_t* PackBoxPath(int box, StatusWindow* status, bool* unstitchable = nullptr);

// Frees every point of a path.
void FreeFullPattern(FullPattern_t* first);

// Number of points of a path.
int CountFullPattern(const FullPattern_t* first);

// Sets every feed from the path's turning angles and curvature (the first and
// the last point get 0). Shows a message when there is no path.
void FindPatternAngles(FullPattern_t* first, StatusWindow* status);

// The feed allowed at b, between a and c (inches), never below minimumFeed;
// the turn at b in degrees (0 straight on, at most 90) goes to turnOut.
float GetMaxFeed(const float* a, const float* b, const float* c, int index, float minimumFeed,
                 float* turnOut);

// Cuts the move from start to end into equal pieces of at least length when it
// is 2 × length or longer, inserting the new points after start. Returns the
// number of pieces, or 0 when the move was left whole.
int ExplodeLine(FullPattern_t* end, FullPattern_t* start, float length);

// Limits the feeds by the acceleration setting (forward and backward) and,
// with smoothing, averages them over five points and stretches them between
// minSpeed and the top feed.
void SetFeeds(FullPattern_t* first, int smoothing);
