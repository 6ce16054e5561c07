#include "layout/view_transform.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/application_state.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "pattern/pattern.h"

namespace {

// Integer part of v, held inside the int range so that a wild scale or a
// corrupt coordinate gives a far-off pixel instead of undefined behaviour.
int Truncate(double v) {
    if (std::isnan(v)) return 0;
    constexpr double kLimit = 1.0e9;
    return static_cast<int>(std::clamp(v, -kLimit, kLimit));
}

// Divisions by the scale are made in single precision, as the view scale is
// kept, so that exact quotients such as 2 / 0.1 stay whole before truncation.
float SafeScale(float scale) {
    return scale > 0 ? scale : kMinViewScale;
}

float viewScale = kMinViewScale;

}  // namespace

float ViewScale() {
    return viewScale;
}

void SetViewScale(float inchesPerPixel) {
    viewScale = inchesPerPixel;
}

ViewFrame CurrentViewFrame() {
    ViewFrame frame;
    frame.panX = panX;
    frame.panY = panY;
    frame.scale = ViewScale();
    if (const PatternBox* box = GetPatternBox(CurrentPatternBox())) {
        frame.boxX = box->x;
        frame.boxY = box->y;
    }
    return frame;
}

int InchesToPixels(float inches, float scale) {
    return Truncate(inches / SafeScale(scale));
}

ScreenPoint PlacementToScreen(const ViewFrame& frame, float x, float y) {
    const float s = SafeScale(frame.scale);
    // The box offset stays fractional; only the placement itself is truncated first.
    const float bx = frame.boxX / s;
    const float by = frame.boxY / s;
    return {Truncate(Truncate(x / s) + bx + frame.panX),
            Truncate(Truncate(y / s) + by + frame.panY)};
}

ScreenPoint QuiltToScreen(const ViewFrame& frame, float x, float y) {
    const float s = SafeScale(frame.scale);
    return {Truncate(x / s + frame.panX), Truncate(y / s + frame.panY)};
}

float SetInchPerPixel(float widthIn, float heightIn, int widthPx, int heightPx) {
    if (widthPx <= 0 || heightPx <= 0) return 0;
    return std::max(widthIn / widthPx, heightIn / heightPx);
}

int GridSpacing(float scale) {
    if (!(scale > 0)) return 0;
    int spacing = Truncate(0.25f / scale);
    if (spacing < 10) spacing = Truncate(0.5f / scale);
    if (spacing < 10) spacing = Truncate(1.0f / scale);
    return spacing;
}

ZoomFit ComputeZoomAll(int W, int H, const PatternBox* box, float lw, float lh, float lx,
                       float ly) {
    ZoomFit fit;
    if (W <= 0 || H <= 0) return fit;
    bool layoutExceedsBox = false;  // the placements reach beyond the box (or there is no box)
    float sx = 0, sy = 0;
    if (box) {
        sx = (box->width + 1) / W;
        sy = (box->height + 1) / H;
    }
    if ((lh + 1) / H > sy) {
        sy = (lh + 1) / H;
        layoutExceedsBox = true;
    }
    if ((lw + 1) / W > sx) {
        sx = (lw + 1) / W;
        layoutExceedsBox = true;
    }
    fit.scale = std::max(std::max(sx, sy), kMinViewScale);
    const float s = fit.scale;

    if (!box || layoutExceedsBox) {
        fit.panX = W / 2 - Truncate(lw / 2 / s) - Truncate(lx / s);
        fit.panY = H / 2 - Truncate(lh / 2 / s) - Truncate(ly / s);
        if (box) {
            fit.panX -= Truncate(box->x / s);
            fit.panY -= Truncate(box->y / s);
        }
    } else {
        fit.panX = (W - Truncate(box->width / s)) / 2 - Truncate(box->x / s);
        fit.panY = (H - Truncate(box->height / s)) / 2 - Truncate(box->y / s);
    }
    return fit;
}

float ComputeZoomExtents(int W, int H, const PatternBox* extentsBox) {
    float scale = 0;
    if (extentsBox && W > 0 && H > 0)
        scale = SetInchPerPixel(extentsBox->width, extentsBox->height, W, H);
    return std::max(scale, kMinViewScale);
}

// Markers. Each placement's first and last path points are compared in quilt
// inches (box origin included, pan left out) with the end of the placement
// drawn before it and the start of the one after it; joined ends (within
// 0.125 inch) carry no marker, so a chain of patterns sewn in one go shows one
// circle at its start and one cross at its end.
std::vector<PlacementMarks> LayoutMarks(const ViewFrame& frame, int box) {
    struct Ends {
        LayoutNode* node;
        const Pattern* pattern;
        QuiltPoint start, end;  // inches, absolute
    };
    std::vector<Ends> ends;
    for (LayoutNode* n = patternLayout; n; n = n->next) {
        if (n->boxIndex != box) continue;
        const Pattern* p = GetPattern(n->patternIndex);
        if (!p || p->pointCount <= 0 || p->x.empty() || p->y.empty()) continue;
        const int last = p->pointCount - 1;
        const float ox = n->x + frame.boxX, oy = n->y + frame.boxY;
        ends.push_back({n,
                        p,
                        {ox + p->x[0] - p->minX, oy + p->y[0] - p->minY},
                        {ox + p->x[last] - p->minX, oy + p->y[last] - p->minY}});
    }

    auto apart = [](QuiltPoint a, QuiltPoint b) {
        const double dx = a.x - b.x, dy = a.y - b.y;
        return std::sqrt(dx * dx + dy * dy) > kMarkerJoinDistance;
    };
    const float s = SafeScale(frame.scale);
    std::vector<PlacementMarks> marks;
    marks.reserve(ends.size());
    QuiltPoint previousEnd{0, 0};
    for (size_t i = 0; i < ends.size(); i++) {
        const Ends& e = ends[i];
        PlacementMarks m;
        m.node = e.node;
        m.position = PlacementToScreen(frame, e.node->x, e.node->y);
        m.width = Truncate(e.pattern->width / s);
        m.height = Truncate(e.pattern->height / s);
        const int last = e.pattern->pointCount - 1;
        m.start = {m.position.x + Truncate((e.pattern->x[0] - e.pattern->minX) / s),
                   m.position.y + Truncate((e.pattern->y[0] - e.pattern->minY) / s)};
        m.end = {m.position.x + Truncate((e.pattern->x[last] - e.pattern->minX) / s),
                 m.position.y + Truncate((e.pattern->y[last] - e.pattern->minY) / s)};
        m.startCircle = apart(e.start, previousEnd);
        m.endCross = i + 1 == ends.size() || apart(ends[i + 1].start, e.end);
        previousEnd = e.end;
        marks.push_back(m);
    }
    return marks;
}

LayoutNode* GetClosestPattern(int screenX, int screenY, int rank) {
    const int box = CurrentPatternBox();
    const float scale = ViewScale();
    const PatternBox* pb = GetPatternBox(box);
    const float boxX = pb ? pb->x : 0;
    const float boxY = pb ? pb->y : 0;

    struct Ranked {
        LayoutNode* node;
        int distance;
    };
    std::vector<Ranked> ranked;
    for (LayoutNode* n = patternLayout; n; n = n->next) {
        if (n->boxIndex != box) continue;
        int px = static_cast<int>(static_cast<int>(n->x / scale) + boxX / scale + panX);
        int py = static_cast<int>(static_cast<int>(n->y / scale) + boxY / scale + panY);
        long long dx = px - screenX, dy = py - screenY;
        int distance = static_cast<int>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
        // Insertion after every placement at the same or a smaller distance.
        auto at = ranked.begin();
        while (at != ranked.end() && at->distance <= distance)
            ++at;
        ranked.insert(at, Ranked{n, distance});
    }
    if (rank < 0 || rank >= static_cast<int>(ranked.size())) return nullptr;
    return ranked[rank].node;
}

LayoutNode* GetTouchedPattern(int screenX, int screenY) {
    const int box = CurrentPatternBox();
    const float scale = ViewScale();
    const PatternBox* pb = GetPatternBox(box);
    const float boxX = pb ? pb->x : 0;
    const float boxY = pb ? pb->y : 0;
    LayoutNode* touched = nullptr;
    double touchedArea = 0;
    for (LayoutNode* n = patternLayout; n; n = n->next) {
        const Pattern* p = n->boxIndex == box ? GetPattern(n->patternIndex) : nullptr;
        if (!p) continue;
        // The outline as the view draws it: the placement's corner and the
        // pattern's size, both in whole pixels.
        const int left = static_cast<int>(static_cast<int>(n->x / scale) + boxX / scale + panX);
        const int top = static_cast<int>(static_cast<int>(n->y / scale) + boxY / scale + panY);
        const int w = static_cast<int>(p->width / scale);
        const int h = static_cast<int>(p->height / scale);
        if (screenX < left || screenX > left + w || screenY < top || screenY > top + h) continue;
        const double area = static_cast<double>(p->width) * p->height;
        if (!touched || area < touchedArea) {
            touched = n;
            touchedArea = area;
        }
    }
    return touched ? touched : GetClosestPattern(screenX, screenY, 0);
}
