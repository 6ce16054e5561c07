// Auto-centre: moves the placements of the current pattern box, or the members
// of one array, so that their common bounding rectangle is centred on the box's
// target centre (the middle of the box, or the centroid of a triangular box),
// horizontally, vertically or both.
#pragma once

struct LayoutNode;

// Moves every placement of the current box so the span of them all is centred
// in the box along x (centreX 1) and / or y (centreY 1). Nothing when the
// layout is empty or there is no current box. Called by Edit "AutoCenter".
void AutoCenter(int centreX, int centreY);

// The same for the members of the given placement's array (every placement
// with its arrayIndex; a placement outside any array alone), spanned with the
// given placement's pattern size. Called
// by autofill after the array has been scaled. Nothing for none.
void AutoCenterPattern(const LayoutNode* node, int centreX, int centreY);
