// Planar predicates and measurements on quilt polygons: orientation on a grid
// of one thousandth of an inch, segment intersection, containment, edge
// direction and the shape class of a pattern box. Every function is pure.
//
// Coordinates are single-precision inches, x to the right across the table,
// y toward the front (drawn downward). Operations take points by reference and
// read only their first two floats, so any record that starts with x, y serves.
#pragma once

#include <glib.h>

#include <cstdint>

struct QuiltPoint {
    float x;  // inches
    float y;  // inches
};

// One corner of a polygon kept as a singly linked list (pattern boxes and the
// quilt area). The polygon closes from the last corner back to the first.
struct PatternBoxPoint {
    int32_t index;  // 0 for the first corner, previous index + 1 after
    float x;        // inches
    float y;        // inches
    PatternBoxPoint* next;
};

// A polygon as a GLib array of PointArrayElement; closes from the last element
// to the first.
using PointArray = GArray;

struct PointArrayElement {
    float x;       // inches
    float y;       // inches
    float extra1;  // free for callers; the geometry ignores it
    float extra2;
};

// Creates an empty PointArray (no zero termination, cleared elements).
PointArray* NewPointArray();

// An edge reported by the convex containment test: both x, then both y.
struct EdgeSegment {
    float x1, x2, y1, y2;
};

// Shape class of a pattern box.
enum PolygonType : int32_t {
    kPolygonInvalid = -1,
    kPolygonTriangle = 0,
    kPolygonOrthogonal = 1,
    kPolygonConvex = 2,
    kPolygonReflex = 3,
};

// 1000 × cross(a, b, p) truncated toward zero; Area2 is the negative. The cross
// product (b−a) × (p−a) is computed in single precision.
int32_t Area(const float* a, const float* b, const float* p);
int32_t Area2(const float* a, const float* b, const float* p);

// Orientation on the thousandth grid. Left: a counter-clockwise turn as the
// quilter sees the table (cross ≤ −0.001); LeftOn: left or collinear;
// Left2: the opposite turn (cross ≥ 0.001); Collinear: |cross| < 0.001.
int Left(const float* a, const float* b, const float* p);
int LeftOn(const float* a, const float* b, const float* p);
int Left2(const float* a, const float* b, const float* p);
int Collinear(const float* a, const float* b, const float* p);

// 1 when p is collinear with a–b and lies on the closed segment a–b.
int Between(const float* a, const float* b, const float* p);

// 1 when exactly one of x, y is true.
int Xor(int x, int y);

// 1 when the segments a–b and p–q cross at a single interior point of both.
int IntersectProper(const float* a, const float* b, const float* p, const float* q);

// 1 when the segments a–b and p–q share any point.
int Intersect(const float* a, const float* b, const float* p, const float* q);

// Containment in a convex polygon of at least three elements walked in the
// Left sense: 1 inside; 0 outside, with the failing edge stored in out when
// given. With strict clear a point on an edge counts as inside.
int PIP(const PointArray* polygon, const float* p, EdgeSegment* out, int strict);

// Index of the first element of b that is not inside the convex polygon a
// (out then holds the failed edge of a), or −1 when all are inside.
int PolygonsOverlap(const PointArray* a, const PointArray* b, EdgeSegment* out, int strict);

// Even–odd containment of p in the polygon whose corner list starts at first.
int PointInPolygon(const PatternBoxPoint* first, const float* p);

// Direction of a→b in radians: atan2(b.y − a.y, b.x − a.x).
float GetAngle(const float* a, const float* b);

// Shape tests on a corner list (the corners of a pattern box).
int CountVertices(const PatternBoxPoint* first);
int IsTriangle(const PatternBoxPoint* first);
// 4 corners and every edge axis-parallel to within the whole-degree test.
int IsOrthogonal(const PatternBoxPoint* first);
// More than 3 corners and Left holds at every corner.
int IsConvex(const PatternBoxPoint* first);
// More than 3 corners and Left fails at some corner.
int IsReflex(const PatternBoxPoint* first);

// Classifies a box (triangle, orthogonal, convex, reflex, else invalid) and
// logs the class found.
int32_t GetPolygonType(const PatternBoxPoint* first);
