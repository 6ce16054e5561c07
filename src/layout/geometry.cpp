#include "layout/geometry.h"

#include <cmath>
#include <vector>

#include "base/log.h"

namespace {

// The cross product of (b − a) and (p − a), each difference and product
// rounded to single precision, as the orientation tests expect.
float Cross(const float* a, const float* b, const float* p) {
    float bx = b[0] - a[0];
    float py = p[1] - a[1];
    float px = p[0] - a[0];
    float by = b[1] - a[1];
    float first = bx * py;
    float second = px * by;
    return first - second;
}

// A coordinate on the thousandth grid, truncated toward zero.
long long Grid(float v) {
    return static_cast<long long>(static_cast<double>(v) * 1000.0);
}

const float* Point(const PatternBoxPoint* corner) {
    return &corner->x;
}

const float* Element(const PointArray* array, guint i) {
    return &g_array_index(const_cast<PointArray*>(array), PointArrayElement, i).x;
}

// Corners of a list in order, for the cyclic convexity tests.
std::vector<const PatternBoxPoint*> Corners(const PatternBoxPoint* first) {
    std::vector<const PatternBoxPoint*> corners;
    for (const PatternBoxPoint* c = first; c; c = c->next)
        corners.push_back(c);
    return corners;
}

// 1 when Left holds at every cyclic triple of corners.
int LeftAtEveryCorner(const std::vector<const PatternBoxPoint*>& corners) {
    const size_t n = corners.size();
    for (size_t i = 0; i < n; i++) {
        const PatternBoxPoint* prev = corners[(i + n - 1) % n];
        const PatternBoxPoint* next = corners[(i + 1) % n];
        if (!Left(Point(prev), Point(corners[i]), Point(next))) return 0;
    }
    return 1;
}

// Whole degrees of an edge direction, truncated toward zero.
int EdgeDegrees(const PatternBoxPoint* u, const PatternBoxPoint* v) {
    float dx = v->x - u->x;
    float dy = v->y - u->y;
    float degrees = static_cast<float>(
        std::atan2(static_cast<double>(dy), static_cast<double>(dx)) * 57.29577951);
    return static_cast<int>(degrees);
}

}  // namespace

PointArray* NewPointArray() {
    return g_array_new(FALSE, TRUE, sizeof(PointArrayElement));
}

int32_t Area(const float* a, const float* b, const float* p) {
    return static_cast<int32_t>(static_cast<double>(Cross(a, b, p)) * 1000.0);
}

int32_t Area2(const float* a, const float* b, const float* p) {
    return static_cast<int32_t>(static_cast<double>(-Cross(a, b, p)) * 1000.0);
}

int Left(const float* a, const float* b, const float* p) {
    return Area2(a, b, p) > 0;
}

int LeftOn(const float* a, const float* b, const float* p) {
    return Area2(a, b, p) >= 0;
}

int Left2(const float* a, const float* b, const float* p) {
    return Area(a, b, p) > 0;
}

int Collinear(const float* a, const float* b, const float* p) {
    return Area2(a, b, p) == 0;
}

int Between(const float* a, const float* b, const float* p) {
    if (!Collinear(a, b, p)) return 0;
    // On a vertical segment of the grid compare y, otherwise x.
    int axis = Grid(a[0]) == Grid(b[0]) ? 1 : 0;
    long long va = Grid(a[axis]);
    long long vb = Grid(b[axis]);
    long long vp = Grid(p[axis]);
    return (va <= vp && vp <= vb) || (vb <= vp && vp <= va);
}

int Xor(int x, int y) {
    return !x != !y;
}

int IntersectProper(const float* a, const float* b, const float* p, const float* q) {
    if (Collinear(a, b, p) || Collinear(a, b, q) || Collinear(p, q, a) || Collinear(p, q, b))
        return 0;
    return Xor(Left(a, b, p), Left(a, b, q)) && Xor(Left(p, q, a), Left(p, q, b));
}

int Intersect(const float* a, const float* b, const float* p, const float* q) {
    return IntersectProper(a, b, p, q) || Between(a, b, p) || Between(a, b, q) ||
           Between(p, q, a) || Between(p, q, b);
}

int PIP(const PointArray* polygon, const float* p, EdgeSegment* out, int strict) {
    const guint n = polygon->len;
    for (guint i = 1; i <= n; i++) {
        // Edges 0→1 … (n−2)→(n−1), then the closing edge (n−1)→0.
        const float* e0 = Element(polygon, i - 1);
        const float* e1 = Element(polygon, i % n);
        int inside = strict ? Left(e0, e1, p) : LeftOn(e0, e1, p);
        if (!inside) {
            if (out) *out = EdgeSegment{e0[0], e1[0], e0[1], e1[1]};
            return 0;
        }
    }
    return 1;
}

int PolygonsOverlap(const PointArray* a, const PointArray* b, EdgeSegment* out, int strict) {
    for (guint i = 0; i < b->len; i++) {
        if (!PIP(a, Element(b, i), out, strict)) return static_cast<int>(i);
    }
    return -1;
}

int PointInPolygon(const PatternBoxPoint* first, const float* p) {
    int inside = 0;
    for (const PatternBoxPoint* u = first; u; u = u->next) {
        const PatternBoxPoint* v = u->next ? u->next : first;
        bool counts = (u->y < p[1] && v->y >= p[1]) || (v->y < p[1] && u->y >= p[1]);
        if (!counts) continue;
        float crossing = u->x + (p[1] - u->y) / (v->y - u->y) * (v->x - u->x);
        if (crossing < p[0]) inside = !inside;
    }
    return inside;
}

float GetAngle(const float* a, const float* b) {
    float dy = b[1] - a[1];
    float dx = b[0] - a[0];
    return static_cast<float>(std::atan2(static_cast<double>(dy), static_cast<double>(dx)));
}

int CountVertices(const PatternBoxPoint* first) {
    int count = 0;
    for (const PatternBoxPoint* c = first; c; c = c->next)
        count++;
    return count;
}

int IsTriangle(const PatternBoxPoint* first) {
    return CountVertices(first) == 3;
}

int IsOrthogonal(const PatternBoxPoint* first) {
    if (CountVertices(first) != 4) return 0;
    for (const PatternBoxPoint* u = first; u; u = u->next) {
        const PatternBoxPoint* v = u->next ? u->next : first;
        if (EdgeDegrees(u, v) % 90 != 0) return 0;
    }
    return 1;
}

int IsConvex(const PatternBoxPoint* first) {
    if (CountVertices(first) <= 3) return 0;
    return LeftAtEveryCorner(Corners(first));
}

int IsReflex(const PatternBoxPoint* first) {
    if (CountVertices(first) <= 3) return 0;
    return !LeftAtEveryCorner(Corners(first));
}

int32_t GetPolygonType(const PatternBoxPoint* first) {
    LogLine("Get Polygon Type");
    if (IsTriangle(first)) {
        LogLine("Set Triangle Autobox");
        return kPolygonTriangle;
    }
    if (IsOrthogonal(first)) {
        LogLine("Set Orthogonal Autobox");
        return kPolygonOrthogonal;
    }
    if (IsConvex(first)) {
        LogLine("Set Convex Autobox");
        return kPolygonConvex;
    }
    if (IsReflex(first)) {
        LogLine("Set Reflex Autobox");
        return kPolygonReflex;
    }
    LogLine("Invalid Patternbox");
    return kPolygonInvalid;
}
