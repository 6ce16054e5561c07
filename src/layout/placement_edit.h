// Edits of one placement (and of the array it belongs to) that the pattern
// pop-up and its dialogs carry out: stepping to the next pattern near a touch,
// removing a placement or its whole array, turning and scaling a placement's
// pattern while keeping it where the quilter sees it, turning every placement
// of the current box, and the arithmetic of the properties dialog.
//
// Positions are inches from the origin of the placement's pattern box; angles
// are degrees unless the name says radians.
#pragma once

struct LayoutNode;

// Rotation centre of a placement (inches, box frame): the pattern's own centre
// (width / 2, height / 2) outside any array; for an array member the centre of
// the span of every member (x … x + width, y … y + height). Returns 0 (centre
// left as it is) when the placement or its pattern is missing, else 1.
int PlacementRotationCentre(const LayoutNode* node, float* cx, float* cy);

// Turns the placement's pattern by angle degrees: rotation centre, the pattern
// turn (the placement outside an array takes the centre shift), then the array
// members' positions turned about the centre. The pattern's `angle` is not
// changed. Returns 1, or 0 when there is no placement or pattern.
// Used by the quarter turns, the rotate dialog and RotateFullPattern.
int RotatePlacement(LayoutNode* node, float angle);

// The rotate dialog's answer applied: nothing for an answer not above 0
// (returns 0); else the whole degrees are added to the pattern's `angle` (less
// 360 when the sum exceeds 360) and the placement turned. Returns 1 when turned.
int ApplyRotateAngle(LayoutNode* node, double answer);

// Turns every top-level placement of the current box (singles and array
// parents, in list order) by alpha radians; a pattern shown by several single
// placements is turned once and each of them keeps its centre. Used by nesting.
void RotateFullPattern(float alpha);

// Scales the placement's pattern to pw % of its width and ph % of its height,
// keeping a single placement's centre and an array's centre where they were.
// Returns 1, or 0 when there is no placement or pattern or a percentage is not
// above 0.
int ScalePlacement(LayoutNode* node, float pw, float ph);

// Moves a placement, or every member of its array, by (dx, dy) inches.
void MovePlacementOrArray(LayoutNode* node, float dx, float dy);

// Removes a placement; a member of an array takes the whole array with it (the
// other members, the array record, then the placement itself). Nothing for none.
void RemovePlacementOrArray(LayoutNode* node);

// The pop-up's "Next": from the placement selected for the touch at (x, y)
// (screen pixels) to the next nearest one, skipping every member of the
// current placement's array; after the farthest it wraps to the nearest (skip
// back to 0). skip holds the rank of the current selection and is updated.
// Returns the new selection, or none when the box holds no placement.
LayoutNode* NextPlacement(int x, int y, const LayoutNode* current, int* skip);

// What the properties dialog shows for a placement (inches).
struct PlacementProperties {
    float startX = 0, startY = 0;    // the pattern's first point, box frame
    float actualX = 0, actualY = 0;  // the same point on the quilt (box origin added)
    float width = 0, height = 0;     // the pattern's size
};

// The values above for a placement in the current box. Returns 0 (values 0)
// when the placement or its pattern is missing, else 1.
int GetPlacementProperties(const LayoutNode* node, PlacementProperties* out);

// Applies the properties dialog's OK. A new width or height (when either
// differs from the shown one and moveAll is clear) stretches the pattern and
// scales the placement's (or its array's) position with it. Then the start
// point: with moveAll the whole current box (origin, bounds, corners) moves by
// the change of the start point, else the placement (and its array) moves by
// the change along each axis whose value differs. Returns 1, or 0 when there
// is no placement or pattern or a size is not above 0 (nothing changed).
int ApplyPlacementProperties(LayoutNode* node, const PlacementProperties& shown, float newStartX,
                             float newStartY, float newWidth, float newHeight, int moveAll);
