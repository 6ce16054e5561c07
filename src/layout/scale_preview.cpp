// Scale dialog preview arithmetic. See scale_preview.h.
#include "layout/scale_preview.h"

#include <algorithm>
#include <cstdio>

#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "pattern/pattern.h"

namespace {

// Pixels the dialog frame and borders take across.
constexpr int kDialogBorders = 14;
// Pixels the width row and the dialog's buttons take below the preview.
constexpr int kControlsBelow = 90;
constexpr int kSmallestPreview = 40;

}  // namespace

std::vector<LayoutNode*> PreviewedPlacements(LayoutNode* node) {
    if (node->arrayIndex < 0) return {node};
    return ArrayMembers(node->arrayIndex);
}

PlacementSpan SpanOfPlacements(const std::vector<LayoutNode*>& nodes) {
    PlacementSpan s;
    for (const LayoutNode* n : nodes) {
        const Pattern* p = GetPattern(n->patternIndex);
        if (!p) continue;
        s.minX = std::min(s.minX, n->x);
        s.minY = std::min(s.minY, n->y);
        s.maxX = std::max(s.maxX, n->x + p->width);
        s.maxY = std::max(s.maxY, n->y + p->height);
    }
    return s;
}

PreviewSize ScalePreviewSize(int dialogWidth, int dialogHeight) {
    PreviewSize size;
    size.width =
        std::max(kSmallestPreview, dialogWidth - kDialogBorders - kScaleStepButtonWidth - 4);
    size.height = std::max(kSmallestPreview, dialogHeight - kControlsBelow);
    return size;
}

float ScalePreviewViewScale(const PlacementSpan& span, PreviewSize preview) {
    return std::max({(span.maxX - span.minX + 1) / preview.width,
                     (span.maxY - span.minY + 1) / (preview.height - kScalePercentBand),
                     kScalePreviewMinViewScale});
}

PreviewFrame ScalePreviewFrame(const PlacementSpan& span, float scale, int width, int height) {
    PreviewFrame frame;
    frame.scale = std::max(scale, kScalePreviewMinViewScale);
    // The frame follows the previewed placements, so they are always in view
    // even in a box much larger than the preview.
    frame.originX = width / 2 - static_cast<int>(span.CentreX() / frame.scale);
    frame.originY = kScalePercentBand + (height - kScalePercentBand) / 2 -
                    static_cast<int>(span.CentreY() / frame.scale);
    return frame;
}

ScalePreviewPaths ScaledPreviewPaths(const std::vector<LayoutNode*>& nodes, double widthPercent,
                                     double heightPercent, const PreviewFrame& frame) {
    ScalePreviewPaths paths;
    const double fx = widthPercent / 100.0, fy = heightPercent / 100.0;
    double sMinX = 1e9, sMinY = 1e9, sMaxX = -1e9, sMaxY = -1e9;
    for (const LayoutNode* c : nodes) {
        const Pattern* p = GetPattern(c->patternIndex);
        if (!p) continue;
        size_t command = 0;
        for (int i = 0; i < p->pointCount; i++) {
            bool lift = i == 0;
            for (; command < p->commandPoint.size() && p->commandPoint[command] <= i + 1; command++)
                if (p->commandType[command] == PatternCommandType::Stop) lift = true;
            const double ux = frame.PixelX(c->x + p->x[i]);
            const double uy = frame.PixelY(c->y + p->y[i]);
            const double sx = frame.PixelX((c->x + p->x[i]) * fx);
            const double sy = frame.PixelY((c->y + p->y[i]) * fy);
            paths.minX = std::min(paths.minX, ux), paths.maxX = std::max(paths.maxX, ux);
            paths.minY = std::min(paths.minY, uy), paths.maxY = std::max(paths.maxY, uy);
            sMinX = std::min(sMinX, sx), sMaxX = std::max(sMaxX, sx);
            sMinY = std::min(sMinY, sy), sMaxY = std::max(sMaxY, sy);
            paths.points.push_back(ScalePreviewPoint{sx, sy, lift});
        }
    }
    const double shiftX = (paths.minX + paths.maxX) / 2 - (sMinX + sMaxX) / 2;
    const double shiftY = (paths.minY + paths.maxY) / 2 - (sMinY + sMaxY) / 2;
    for (ScalePreviewPoint& point : paths.points) {
        point.x += shiftX;
        point.y += shiftY;
    }
    return paths;
}

std::vector<ScalePreviewPoint> ScalePreviewBoxOutline(const PatternBox& box,
                                                      const PreviewFrame& frame) {
    std::vector<ScalePreviewPoint> outline;
    const int bx = static_cast<int>(box.x / frame.scale),
              by = static_cast<int>(box.y / frame.scale);
    for (const PatternBoxPoint* c = box.corners; c; c = c->next)
        outline.push_back(ScalePreviewPoint{static_cast<double>(frame.PixelX(c->x) - bx),
                                            static_cast<double>(frame.PixelY(c->y) - by),
                                            c == box.corners});
    return outline;
}

void ScalePercents::Set(bool widthChanged, double value, bool locked) {
    (widthChanged ? width : height) = value;
    if (locked) (widthChanged ? height : width) = value;
}

std::string ScalePercentText(const ScalePercents& percents) {
    char text[64];
    std::snprintf(text, sizeof text, "W %.0f %%   H %.0f %%", percents.width, percents.height);
    return text;
}
