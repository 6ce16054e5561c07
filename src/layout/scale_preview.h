// The arithmetic of the scale dialog's preview: which placements it scales (a
// placement or its whole array), the view scale that fits them into the
// preview, where the preview's frame lies, and the previewed paths at the
// chosen width and height percentages, centred where the unscaled ones are.
// The dialog (ui/transform_dialogs) draws what these return.
#pragma once

#include <string>
#include <vector>

struct LayoutNode;
struct PatternBox;

// Percentages of the scale sliders.
constexpr double kScalePercentMin = 10, kScalePercentMax = 400;
// Height of the band at the top of the preview that holds the percentages,
// in pixels; the preview's picture is drawn below it.
constexpr int kScalePercentBand = 16;
// Size of the dialog's -1 / +1 buttons and its lock toggle, in pixels.
constexpr int kScaleStepButtonWidth = 36, kScaleStepButtonHeight = 28;
// Smallest view scale the preview uses, in inches per pixel.
constexpr float kScalePreviewMinViewScale = 0.001f;

// The rectangle placements cover with their patterns, in inches of the box
// frame (the previewed ones here, an array's members for its edits).
struct PlacementSpan {
    float minX = 99999.0f, minY = 99999.0f, maxX = -99999.0f, maxY = -99999.0f;
    // False when no pattern was found or the span has no size.
    bool Valid() const { return minX <= maxX && minY <= maxY && (maxX - minX) + (maxY - minY) > 0; }
    float CentreX() const { return (minX + maxX) / 2; }
    float CentreY() const { return (minY + maxY) / 2; }
};

// The placements the dialog changes: the placement itself, or every member of
// its array in layout order.
std::vector<LayoutNode*> PreviewedPlacements(LayoutNode* node);

// The span of the placements; placements without a loaded pattern are left out.
PlacementSpan SpanOfPlacements(const std::vector<LayoutNode*>& nodes);

// Size of the preview area in pixels: what the controls leave of a dialog of
// the given size (the height column at its right, the width row and the
// buttons below), at least 40 each way.
struct PreviewSize {
    int width = 0, height = 0;
};
PreviewSize ScalePreviewSize(int dialogWidth, int dialogHeight);

// The view scale (inches per pixel) at which the span plus an inch fills the
// preview below its percentage band; never below kScalePreviewMinViewScale.
float ScalePreviewViewScale(const PlacementSpan& span, PreviewSize preview);

// Pixel position in the preview of a point (inches, box frame) at the view
// scale, the frame's origin at (originX, originY). Positions are cut to whole
// pixels in the precision they come in.
struct PreviewFrame {
    float scale = 1;  // inches per pixel
    int originX = 0, originY = 0;
    int PixelX(float inches) const { return static_cast<int>(inches / scale) + originX; }
    int PixelY(float inches) const { return static_cast<int>(inches / scale) + originY; }
    int PixelX(double inches) const { return static_cast<int>(inches / scale) + originX; }
    int PixelY(double inches) const { return static_cast<int>(inches / scale) + originY; }
};

// The frame of a preview area of width x height pixels that puts the span's
// centre in the middle of the area below the percentage band.
PreviewFrame ScalePreviewFrame(const PlacementSpan& span, float scale, int width, int height);

// One point of a previewed path in preview pixels; start marks a pen lift (the
// first point and every point after a stop).
struct ScalePreviewPoint {
    double x, y;
    bool start;
};

// The previewed paths of the placements at the percentages, shifted so that
// their rectangle is centred on the unscaled one, and that unscaled rectangle
// (pixels). No points when no placement has a loaded pattern.
struct ScalePreviewPaths {
    std::vector<ScalePreviewPoint> points;
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;  // unscaled, pixels
};
ScalePreviewPaths ScaledPreviewPaths(const std::vector<LayoutNode*>& nodes, double widthPercent,
                                     double heightPercent, const PreviewFrame& frame);

// The corners of the box in the preview frame (pixels), in order; none for a
// box without corners. The frame's origin is the box origin's.
std::vector<ScalePreviewPoint> ScalePreviewBoxOutline(const PatternBox& box,
                                                      const PreviewFrame& frame);

// The percentages the dialog works with. Setting one while locked sets both.
struct ScalePercents {
    double width = 100, height = 100;  // percent
    void Set(bool widthChanged, double value, bool locked);
};

// The text over the preview, "W 120 %   H 95 %".
std::string ScalePercentText(const ScalePercents& percents);
