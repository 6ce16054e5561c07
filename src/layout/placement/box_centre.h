// The polygon of a pattern box in the frame of its placements and the centre
// that automatic placement aims at: the middle of the bounding rectangle, or
// the centroid of a triangle; and the inward move of the edges by the margin.
// Shared by auto-centring and automatic scaling.
#pragma once

#include "layout/geometry.h"

struct PatternBox;

// Slope used for a vertical line (|dx| < 0.001).
constexpr float kVerticalSlope = 9999999.0f;

// A new PointArray of the box's corners in list order, each less the box
// origin, so it shares the coordinates of placements. None for no box or a box
// without corners. The caller frees it with g_array_free(array, TRUE).
PointArray* BoxPolygon(const PatternBox* box);

// Centre (inches) of the bounding rectangle of a polygon (running minimum
// 99999.0, maximum -99999.0). Returns 0 for an empty polygon, else 1.
int PolygonBoundsCentre(const PointArray* polygon, float* cx, float* cy);

// Centroid of the triangle of the first three polygon points, found as the
// crossing of two medians (slopes dy / dx, 9999999.0 for a vertical median).
// Returns 0 when the polygon has fewer than three points, else 1.
int TriangleCentroid(const PointArray* polygon, float* cx, float* cy);

// Moves every edge of a polygon walked in the Left sense inward by |xMargin|
// inches (a negative margin works like a positive one); point i becomes the crossing of the
// moved edges that meet at corner i - 1, so the list starts one corner later.
// A margin outside -10 … 10 is reset to 0 in xMargin itself first. Logs "Box is
// NULL" for no polygon.
void AdjustForMargin(PointArray* polygon);

// The target centre of automatic placement in the current box (placement
// frame): the bounding-rectangle centre; with a margin the polygon is first
// moved inward; for a triangular box the centroid of the (moved) triangle.
// Returns 0 when there is no current box or it has no corners, else 1.
int CurrentBoxTargetCentre(float* cx, float* cy);
