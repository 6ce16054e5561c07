// Box polygon, target centre and margin. See box_centre.h.
#include "layout/placement/box_centre.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/application_state.h"
#include "base/log.h"
#include "base/program_settings.h"
#include "layout/layout_selection.h"
#include "layout/pattern_box.h"

namespace {

constexpr float kRunningMin = 99999.0f;
constexpr float kRunningMax = -99999.0f;
constexpr double kPi = 3.141592653589793;

// A straight line y = slope·x + intercept; a vertical line gets the steep
// slope. Computed in double: the steep slope times a coordinate needs more
// than single precision to keep thousandths.
struct Line {
    double slope;
    double intercept;
};

Line LineThrough(double x0, double y0, double x1, double y1) {
    const double dx = x1 - x0;
    const double slope = std::fabs(dx) < 0.001 ? kVerticalSlope : (y1 - y0) / dx;
    return Line{slope, y0 - slope * x0};
}

// Crossing of two lines; false when they are parallel.
bool Crossing(const Line& a, const Line& b, double* x, double* y) {
    const double d = a.slope - b.slope;
    if (std::fabs(d) < 1e-9) return false;
    *x = (b.intercept - a.intercept) / d;
    *y = a.slope * *x + a.intercept;
    return true;
}

const PointArrayElement& At(const PointArray* polygon, guint i) {
    return g_array_index(const_cast<PointArray*>(polygon), PointArrayElement, i);
}

}  // namespace

PointArray* BoxPolygon(const PatternBox* box) {
    if (!box || !box->corners) return nullptr;
    PointArray* polygon = NewPointArray();
    for (const PatternBoxPoint* c = box->corners; c; c = c->next) {
        PointArrayElement e{c->x - box->x, c->y - box->y, 0, 0};
        g_array_append_val(polygon, e);
    }
    return polygon;
}

int PolygonBoundsCentre(const PointArray* polygon, float* cx, float* cy) {
    if (!polygon || polygon->len == 0) return 0;
    float minX = kRunningMin, minY = kRunningMin, maxX = kRunningMax, maxY = kRunningMax;
    for (guint i = 0; i < polygon->len; i++) {
        const PointArrayElement& e = At(polygon, i);
        minX = std::min(minX, e.x);
        minY = std::min(minY, e.y);
        maxX = std::max(maxX, e.x);
        maxY = std::max(maxY, e.y);
    }
    *cx = (minX + maxX) / 2;
    *cy = (minY + maxY) / 2;
    return 1;
}

int TriangleCentroid(const PointArray* polygon, float* cx, float* cy) {
    if (!polygon || polygon->len < 3) return 0;
    const PointArrayElement &p0 = At(polygon, 0), &p1 = At(polygon, 1), &p2 = At(polygon, 2);
    const double m01x = (p0.x + p1.x) / 2.0, m01y = (p0.y + p1.y) / 2.0;
    const double m12x = (p1.x + p2.x) / 2.0, m12y = (p1.y + p2.y) / 2.0;
    const Line median1 = LineThrough(p2.x, p2.y, m01x, m01y);
    const Line median2 = LineThrough(p0.x, p0.y, m12x, m12y);
    double x, y;
    if (!Crossing(median1, median2, &x, &y)) {
        // Degenerate (flat) triangle: the mean of its corners.
        x = (p0.x + p1.x + p2.x) / 3.0;
        y = (p0.y + p1.y + p2.y) / 3.0;
    }
    *cx = static_cast<float>(x);
    *cy = static_cast<float>(y);
    return 1;
}

void AdjustForMargin(PointArray* polygon) {
    if (Settings().xMargin < -10 || Settings().xMargin > 10) Settings().xMargin = 0;
    if (!polygon) {
        LogLine("Box is NULL");
        return;
    }
    const guint n = polygon->len;
    if (n < 3) return;
    // Edge i runs from corner i - 1 (the last corner for i = 0) to corner i.
    std::vector<Line> edges(n);
    std::vector<PointArrayElement> moved(n);
    for (guint i = 0; i < n; i++) {
        const PointArrayElement& from = At(polygon, i == 0 ? n - 1 : i - 1);
        const PointArrayElement& to = At(polygon, i);
        double direction = GetAngle(&from.x, &to.x) + (Settings().xMargin > 0 ? -kPi / 2 : kPi / 2);
        while (direction < 0)
            direction += 2 * kPi;
        while (direction >= 2 * kPi)
            direction -= 2 * kPi;
        const double ox = Settings().xMargin * std::cos(direction),
                     oy = Settings().xMargin * std::sin(direction);
        edges[i] = LineThrough(from.x + ox, from.y + oy, to.x + ox, to.y + oy);
        moved[i] = PointArrayElement{static_cast<float>(from.x + ox),
                                     static_cast<float>(from.y + oy), from.extra1, from.extra2};
    }
    for (guint i = 0; i < n; i++) {
        const Line& before = edges[i == 0 ? n - 1 : i - 1];
        double x, y;
        PointArrayElement& e = g_array_index(polygon, PointArrayElement, i);
        if (Crossing(before, edges[i], &x, &y)) {
            e.x = static_cast<float>(x);
            e.y = static_cast<float>(y);
        } else {
            // Two edges in one line: the moved shared corner itself.
            e.x = moved[i].x;
            e.y = moved[i].y;
        }
    }
}

int CurrentBoxTargetCentre(float* cx, float* cy) {
    const PatternBox* box = GetPatternBox(CurrentPatternBox());
    PointArray* polygon = BoxPolygon(box);
    if (!polygon) return 0;
    PolygonBoundsCentre(polygon, cx, cy);
    if (Settings().xMargin != 0) AdjustForMargin(polygon);
    if (GetPolygonType(box->corners) == kPolygonTriangle) TriangleCentroid(polygon, cx, cy);
    g_array_free(polygon, TRUE);
    return 1;
}
