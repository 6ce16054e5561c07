// The convex hull of a placed pattern (or of every copy of an array), the
// outline that autoscale grows and bounces inside a pattern box, and the small
// measures and moves the bounce applies to it.
//
// A hull is a PointArray of HullElement in the placement frame of its box
// (inches from the box origin). Its corners turn in the Left2 sense (clockwise
// as the quilter sees the table); the polygon closes from the last element to
// the first. Degenerate input gives a degenerate hull: no element for no point,
// one element when every point is the same, the two ends of a segment when the
// points lie on one line.
#pragma once

#include <glib.h>

#include <cstdint>
#include <memory>

#include "layout/geometry.h"

struct Pattern;
struct LayoutNode;

// One hull element; the same 16 bytes as PointArrayElement, so a hull is a
// PointArray the geometry tests take.
struct HullElement {
    float x;          // inches
    float y;          // inches
    int32_t deleted;  // 1: dropped while the hull is built
    int32_t number;   // index of the pattern point it was made from
};
static_assert(sizeof(HullElement) == sizeof(PointArrayElement));

// Owns a PointArray and frees it with g_array_free.
struct PointArrayFree {
    void operator()(PointArray* array) const {
        if (array) g_array_free(array, TRUE);
    }
};
using PointArrayPtr = std::unique_ptr<PointArray, PointArrayFree>;

// Element i of a hull (no bounds check).
inline HullElement& HullAt(PointArray* hull, guint i) {
    return g_array_index(hull, HullElement, i);
}
inline const HullElement& HullAt(const PointArray* hull, guint i) {
    return g_array_index(const_cast<PointArray*>(hull), HullElement, i);
}

// Sort order of the hull construction around the anchor (the element with the
// smallest y, the largest x among equal y): -1 when a comes first, 1 when b
// does, 0 when they lie at the same place. Elements on the anchor come first;
// then by direction from the anchor, growing in the Left2 sense of turning;
// on one ray the nearer first. Computed from the direction angle and the
// distance, so it is a strict weak order for any input, as a sort needs.
int Compare(const HullElement& anchor, const HullElement& a, const HullElement& b);

// Graham scan: the anchor, the other elements sorted by Compare, the nearer
// ones of each ray through the anchor (and those on the anchor) dropped, then a
// stack that keeps only strict turns in the Left2 sense, tested exactly (not
// on the thousandth grid), so every candidate lies inside or on the hull.
// Consumes the candidates; returns the hull (never none; empty for empty
// input). Running it again gives the same hull.
PointArrayPtr Hull(PointArrayPtr candidates);

// The hull of a pattern's points as placed: each point less the pattern's
// (minX, minY), plus the placement offset (ox, oy). An empty hull for no
// pattern or no points. Called by autoscale.
PointArrayPtr ConvexHull(const Pattern* pattern, float ox, float oy);

// The hull of every copy of the parent's array (every placement with its
// arrayIndex, the parent's pattern at each position), or of the parent alone
// when it has no array. Empty for none. Called by array autoscale.
PointArrayPtr ConvexHullOfArray(const LayoutNode* parent);

// A deep copy of a hull.
PointArrayPtr CopyHull(const PointArray* hull);

// Bounding rectangle of a hull (inches); all 0 for an empty hull.
struct HullBounds {
    float minX = 0, minY = 0, maxX = 0, maxY = 0;
    float Width() const { return maxX - minX; }
    float Height() const { return maxY - minY; }
    float CentreX() const { return (minX + maxX) / 2; }
    float CentreY() const { return (minY + maxY) / 2; }
};
HullBounds MeasureHull(const PointArray* hull);

// Moves every element by (dx, dy) inches.
void MoveHull(PointArray* hull, float dx, float dy);

// Moves the hull so the centre of its bounding rectangle lies on (cx, cy).
void CentreHullOn(PointArray* hull, float cx, float cy);

// Multiplies every coordinate by (sx, sy) about the origin of the frame.
void ScaleHull(PointArray* hull, float sx, float sy);

// Area enclosed by the polygon (square inches, shoelace, always ≥ 0).
double PolygonArea(const PointArray* polygon);
