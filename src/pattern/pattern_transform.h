// The transforms of one pattern: rotation about its centre, stretching along one
// axis, mirroring within its bounding box, and reversing its path. Each rewrites
// the points in place, so every placement of the pattern changes with it. The
// transforms that change the size report how far the pattern's centre moved, so
// the caller can shift the placement and keep the pattern where it was seen.
#pragma once

#include <optional>

#include "pattern/pattern.h"

struct StatusWindow;

// How far the pattern's centre moved, in inches of pattern coordinates.
struct CentreShift {
    float dx = 0;
    float dy = 0;
};

// Turns the points by angle degrees (clockwise on screen; a negative angle adds
// 360) about the centre (width / 2, height / 2), moves the result to the origin
// and recomputes the bounds. `angle`, `baseWidth` and `baseHeight` stay. Returns
// the centre shift (old half size minus new half size), or none for a missing
// pattern. Called by the quarter turns, the rotate dialog and nesting.
std::optional<CentreShift> RotatePattern(Pattern* pattern, float angle);

// Multiplies every x (axis 'x') or every y (axis 'y') by factor about coordinate
// 0, recomputes that axis's bounds and size and multiplies baseWidth or
// baseHeight by the factor. With a status window, it is refreshed every 500
// points. Returns the new centre minus the old along that axis; 0 and nothing
// changed for any other axis character. Called by the scale dialog and autoscale.
float stretchPattern(Pattern* pattern, char axis, float factor, StatusWindow* status);

// Reflects the points within the bounding box: with mirrorX every x becomes
// width - x, with mirrorY every y becomes height - y. An image the pattern holds
// is drawn anew at the current view scale. Called by the mirror commands.
void mirrorPattern(Pattern* pattern, int mirrorX, int mirrorY);

// Reverses the path: point i takes the place of point pointCount - 1 - i, each
// command is renumbered to precede the same point as before (c becomes
// pointCount - c + 2) and the command order is reversed. Reversing twice gives
// the pattern back. Called by the "Reverse Path" pop-up entry.
void ReversePatternPath(Pattern* pattern);
