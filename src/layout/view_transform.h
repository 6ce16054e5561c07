// The arithmetic of the layout view: quilt inches to screen pixels and back,
// zoom to fit, the spacing of the background grid, the start and end markers
// of the placed patterns, and the placements nearest a touch. No toolkit code:
// the view draws what these functions compute, and tests check them without a
// display.
//
// Pixels count from the top-left of the view; the pan (panX, panY) is the pixel
// offset of the quilt origin. Placements are measured from their box origin.
#pragma once

#include <vector>

#include "layout/geometry.h"

struct LayoutNode;
struct PatternBox;

// Smallest view scale, inches per pixel.
constexpr float kMinViewScale = 0.001f;
// Distance in inches under which the end of one pattern and the start of the
// next count as joined (no start circle, no end cross).
constexpr float kMarkerJoinDistance = 0.125f;

// Scale, pan and box origin that place quilt inches on the screen.
struct ViewFrame {
    float scale = 0.001f;  // inches per pixel
    int panX = 0;          // pixels
    int panY = 0;          // pixels
    float boxX = 0;        // inches: origin of the current pattern box (0 without a box)
    float boxY = 0;
};

struct ScreenPoint {
    int x = 0;  // pixels
    int y = 0;
};

// The zoom of the layout and run views, inches of quilt per screen pixel
// (kMinViewScale at start). The views and zoom to fit set it; placement,
// layout pictures and the touch search read it.
float ViewScale();
void SetViewScale(float inchesPerPixel);

// The frame of the layout view now: the view scale, the pan
// globals and the origin of the current pattern box. Called by the view and
// the touch handlers.
ViewFrame CurrentViewFrame();

// Screen position of a placement at box-relative (x, y):
// int(int(x / scale) + boxX / scale + pan), likewise y.
ScreenPoint PlacementToScreen(const ViewFrame& frame, float x, float y);

// Pixels covered by a length in inches: int(inches / scale).
int InchesToPixels(float inches, float scale);

// Screen position of an absolute quilt point (a box corner): int(v / scale + pan).
ScreenPoint QuiltToScreen(const ViewFrame& frame, float x, float y);

// The scale that fits a width x height inch area into wPx x hPx pixels: the
// larger of the two ratios. 0 when a pixel size is not positive.
float SetInchPerPixel(float widthIn, float heightIn, int widthPx, int heightPx);

// Grid spacing in pixels for a scale: a quarter inch, else half an inch when
// that is under 10 pixels, else one inch (even when under 10). 0 for a scale
// that is not positive.
int GridSpacing(float scale);

// Result of zoom to fit.
struct ZoomFit {
    float scale = kMinViewScale;  // inches per pixel, at least kMinViewScale
    int panX = 0;                 // pixels
    int panY = 0;
};

// Zoom to fit for a W x H window: the box (plus one inch) or, when the
// placements' span (lw x lh from (lx, ly), box-relative; -1 x -1 when empty)
// is larger, the placements, centred. box may be none.
ZoomFit ComputeZoomAll(int W, int H, const PatternBox* box, float lw, float lh, float lx, float ly);

// Zoom to fit of the setup view: the larger of extents width / W and height / H
// (0 without extents), at least kMinViewScale.
float ComputeZoomExtents(int W, int H, const PatternBox* extents);

// What the view draws for one placement of the current box.
struct PlacementMarks {
    LayoutNode* node = nullptr;
    ScreenPoint position;  // top-left of the pattern image
    int width = 0;         // pixels: int(pattern width / scale)
    int height = 0;
    ScreenPoint start;         // first point of the path on screen
    ScreenPoint end;           // last point
    bool startCircle = false;  // start lies more than 0.125 inch from the previous end
    bool endCross = false;     // no next placement starts within 0.125 inch of this end
};

// The placements of a box in layout order with their markers. The first
// placement's start is compared with the quilt origin; placements whose pattern
// is missing or empty are left out.
std::vector<PlacementMarks> LayoutMarks(const ViewFrame& frame, int box);

// The k-th nearest placement (0 = nearest) of the current box to a screen point
// in pixels, at the view scale and pan of the layout view; none when k is not
// less than the number of placements in the box.
LayoutNode* GetClosestPattern(int screenX, int screenY, int rank);

// The placement a touch at a screen point means: of the current box's
// placements whose outline (the pattern's bounding rectangle on the screen)
// holds the point, the one with the smallest outline (the first in the list
// on a tie); when no outline holds it, the nearest (GetClosestPattern rank 0).
// None when the box has no placement. The pop-up's first choice.
LayoutNode* GetTouchedPattern(int screenX, int screenY);
