// Convex hull of placed patterns. See convex_hull.h.
#include "layout/placement/convex_hull.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "layout/layout_tree.h"
#include "pattern/pattern.h"

namespace {

// Where an element lies seen from the anchor: the direction (radians, in
// (0, π] for every element but those on the anchor, which get 0) and the
// squared distance. Sorting by these numbers is a strict weak order whatever
// the input, which a sort needs; turn tests in float could contradict
// themselves on nearly collinear points.
struct RayKey {
    double direction;
    double distance2;
};

RayKey KeyOf(const HullElement& anchor, const HullElement& e) {
    const double dx = static_cast<double>(e.x) - anchor.x;
    const double dy = static_cast<double>(e.y) - anchor.y;
    return RayKey{std::atan2(dy, dx), dx * dx + dy * dy};
}

bool Before(const RayKey& a, const RayKey& b) {
    if (a.direction != b.direction) return a.direction < b.direction;
    return a.distance2 < b.distance2;
}

// The turn a → b → p in the Left2 sense (clockwise on screen), exactly: a
// test on the thousandth grid lets a run of nearly straight corners fall away
// one after the other and leaves points outside the hull.
bool TurnsRight(const HullElement& a, const HullElement& b, const HullElement& p) {
    const double cross = (static_cast<double>(b.x) - a.x) * (static_cast<double>(p.y) - a.y) -
                         (static_cast<double>(p.x) - a.x) * (static_cast<double>(b.y) - a.y);
    return cross > 0;
}

// Smallest y, and among equal y the largest x.
guint AnchorIndex(const PointArray* points) {
    guint best = 0;
    for (guint i = 1; i < points->len; i++) {
        const HullElement& e = HullAt(points, i);
        const HullElement& b = HullAt(points, best);
        if (e.y < b.y || (e.y == b.y && e.x > b.x)) best = i;
    }
    return best;
}

PointArrayPtr NewHull() {
    return PointArrayPtr(NewPointArray());
}

}  // namespace

int Compare(const HullElement& anchor, const HullElement& a, const HullElement& b) {
    const RayKey ka = KeyOf(anchor, a), kb = KeyOf(anchor, b);
    if (Before(ka, kb)) return -1;
    if (Before(kb, ka)) return 1;
    return 0;
}

// Graham's scan. The anchor is a corner of the hull; every other element lies
// at a direction in (0, π] from it (y grows toward the front), so sorting by
// the turn from the anchor orders them around the hull:
//
//        anchor ●──────────▶ x
//              ╱ │ ╲
//       (π)  ╱   │   ╲  (0)       elements sorted from the right round to
//           ●    ●    ●           the left; the stack keeps turns in the
//                                 Left2 sense
//           y ▼
PointArrayPtr Hull(PointArrayPtr candidates) {
    PointArrayPtr hull = NewHull();
    if (!candidates || candidates->len == 0) return hull;
    const guint a = AnchorIndex(candidates.get());
    const HullElement anchor = HullAt(candidates.get(), a);

    struct Keyed {
        RayKey key;
        HullElement element;
    };
    std::vector<Keyed> rest;
    rest.reserve(candidates->len - 1);
    for (guint i = 0; i < candidates->len; i++) {
        const HullElement& e = HullAt(candidates.get(), i);
        if (i != a && !e.deleted) rest.push_back(Keyed{KeyOf(anchor, e), e});
    }
    candidates.reset();
    std::sort(rest.begin(), rest.end(),
              [](const Keyed& p, const Keyed& q) { return Before(p.key, q.key); });
    // Those on the anchor go, and of every ray from it only the farthest
    // element (the last of its run) stays.
    for (size_t i = 0; i < rest.size(); i++) {
        if (rest[i].key.distance2 == 0 ||
            (i + 1 < rest.size() && rest[i + 1].key.direction == rest[i].key.direction))
            rest[i].element.deleted = 1;
    }

    std::vector<HullElement> stack{anchor};
    for (const Keyed& k : rest) {
        const HullElement& p = k.element;
        if (p.deleted) continue;
        while (stack.size() >= 2 && !TurnsRight(stack[stack.size() - 2], stack.back(), p))
            stack.pop_back();
        stack.push_back(p);
    }
    g_array_append_vals(hull.get(), stack.data(), static_cast<guint>(stack.size()));
    return hull;
}

PointArrayPtr ConvexHull(const Pattern* pattern, float ox, float oy) {
    PointArrayPtr points = NewHull();
    if (!pattern || pattern->pointCount <= 0) return points;
    g_array_set_size(points.get(), static_cast<guint>(pattern->pointCount));
    for (int i = 0; i < pattern->pointCount; i++)
        HullAt(points.get(), i) = HullElement{pattern->x[i] - pattern->minX + ox,
                                              pattern->y[i] - pattern->minY + oy, 0, i};
    return Hull(std::move(points));
}

PointArrayPtr ConvexHullOfArray(const LayoutNode* parent) {
    PointArrayPtr points = NewHull();
    if (!parent) return points;
    const Pattern* p = GetPattern(parent->patternIndex);
    if (!p) return points;
    for (const LayoutNode* n = patternLayout; n; n = n->next) {
        if (n != parent && (parent->arrayIndex < 0 || n->arrayIndex != parent->arrayIndex))
            continue;
        for (int i = 0; i < p->pointCount; i++) {
            HullElement e{p->x[i] - p->minX + n->x, p->y[i] - p->minY + n->y, 0, i};
            g_array_append_val(points.get(), e);
        }
    }
    return Hull(std::move(points));
}

PointArrayPtr CopyHull(const PointArray* hull) {
    PointArrayPtr copy = NewHull();
    if (hull && hull->len) g_array_append_vals(copy.get(), hull->data, hull->len);
    return copy;
}

HullBounds MeasureHull(const PointArray* hull) {
    HullBounds b;
    if (!hull || hull->len == 0) return b;
    b.minX = b.maxX = HullAt(hull, 0).x;
    b.minY = b.maxY = HullAt(hull, 0).y;
    for (guint i = 1; i < hull->len; i++) {
        const HullElement& e = HullAt(hull, i);
        b.minX = std::min(b.minX, e.x);
        b.maxX = std::max(b.maxX, e.x);
        b.minY = std::min(b.minY, e.y);
        b.maxY = std::max(b.maxY, e.y);
    }
    return b;
}

void MoveHull(PointArray* hull, float dx, float dy) {
    for (guint i = 0; hull && i < hull->len; i++) {
        HullAt(hull, i).x += dx;
        HullAt(hull, i).y += dy;
    }
}

void CentreHullOn(PointArray* hull, float cx, float cy) {
    const HullBounds b = MeasureHull(hull);
    MoveHull(hull, cx - b.CentreX(), cy - b.CentreY());
}

void ScaleHull(PointArray* hull, float sx, float sy) {
    for (guint i = 0; hull && i < hull->len; i++) {
        HullAt(hull, i).x *= sx;
        HullAt(hull, i).y *= sy;
    }
}

double PolygonArea(const PointArray* polygon) {
    if (!polygon || polygon->len < 3) return 0;
    double twice = 0;
    for (guint i = 0; i < polygon->len; i++) {
        const HullElement& a = HullAt(polygon, i);
        const HullElement& b = HullAt(polygon, (i + 1) % polygon->len);
        twice += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
    }
    return std::fabs(twice) / 2;
}
