#include "layout/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "layout/pattern_box.h"
#include "layout/placement/convex_hull.h"
#include "support/captured_log.h"

namespace {

// A box through the corners as given, unchecked.
std::unique_ptr<PatternBox> Box(const std::vector<QuiltPoint>& corners) {
    auto box = std::make_unique<PatternBox>();
    SetPatternBoxCorners(box.get(), corners);
    return box;
}

PointArrayPtr MakeArray(const std::vector<QuiltPoint>& points) {
    PointArrayPtr array(NewPointArray());
    for (const QuiltPoint& p : points) {
        PointArrayElement e{p.x, p.y, 0, 0};
        g_array_append_val(array.get(), e);
    }
    return array;
}

// A square walked in the Left sense: front-left, front-right, back-right, back-left.
const std::vector<QuiltPoint> kSquare = {{0, 10}, {10, 10}, {10, 0}, {0, 0}};

TEST(Geometry, TurnsOnTheThousandthGridAndSegments) {
    float a[2] = {0, 0}, b[2] = {1, 0};
    const struct {
        float y;  // of p = (0, y)
        int collinear, left, left2, leftOn;
    } cases[] = {
        {0.0009f, 1, 0, 0, 1}, {-0.0009f, 1, 0, 0, 1}, {-0.001f, 0, 1, 0, 1}, {0.5f, 0, 0, 1, 0}};
    for (const auto& c : cases) {
        float p[2] = {0, c.y};
        EXPECT_EQ((std::vector<int>{!!Collinear(a, b, p), !!Left(a, b, p), !!Left2(a, b, p),
                                    !!LeftOn(a, b, p)}),
                  (std::vector<int>{c.collinear, c.left, c.left2, c.leftOn}))
            << c.y;
    }
    float left[2] = {0, -0.001f};
    EXPECT_EQ(Area(a, b, left), -1);
    EXPECT_EQ(Area2(a, b, left), 1);
    // Between on a vertical segment compares y; on a horizontal one a point
    // in the x range but off the line is not between.
    float v0[2] = {1, 0}, v1[2] = {1, 5}, h1[2] = {4, 0};
    const struct {
        float p[2];
        bool between;
    } points[] = {{{1, 2.5f}, true}, {{1, 5}, true}, {{1, 6}, false}, {{1.5f, 2.5f}, false}};
    for (const auto& c : points)
        EXPECT_EQ(!!Between(v0, v1, c.p), c.between) << c.p[0] << " " << c.p[1];
    float offLine[2] = {2, 1};
    EXPECT_FALSE(Between(a, h1, offLine));
    float p[2] = {0, 2}, q[2] = {2, 2}, e0[2] = {1, 5}, e1[2] = {3, 7}, f0[2] = {3, 0},
          f1[2] = {3, 5};
    EXPECT_TRUE(IntersectProper(v0, v1, p, q) && Intersect(v0, v1, p, q));
    // Sharing only an end point: not proper, but they do intersect.
    EXPECT_FALSE(IntersectProper(v0, v1, e0, e1));
    EXPECT_TRUE(Intersect(v0, v1, e0, e1));
    EXPECT_FALSE(Intersect(v0, v1, f0, f1));
    EXPECT_TRUE(Xor(1, 0));
    EXPECT_FALSE(Xor(2, 1));
}

TEST(Geometry, ContainmentAndTheFailedEdge) {
    PointArrayPtr square = MakeArray(kSquare);
    float centre[2] = {5, 5}, onEdge[2] = {5, 10}, outside[2] = {12, 5}, right[2] = {15, 5};
    EXPECT_EQ(PIP(square.get(), centre, nullptr, 1), 1);
    EXPECT_EQ(PIP(square.get(), onEdge, nullptr, 0), 1);
    EdgeSegment edge{-1, -1, -1, -1};
    EXPECT_EQ(PIP(square.get(), onEdge, &edge, 1), 0);
    EXPECT_EQ(std::vector<float>({edge.x1, edge.x2, edge.y1, edge.y2}),
              std::vector<float>({0, 10, 10, 10}));  // the front edge
    EXPECT_EQ(PIP(square.get(), outside, &edge, 0), 0);
    EXPECT_EQ(std::vector<float>({edge.x1, edge.x2, edge.y1, edge.y2}),
              std::vector<float>({10, 10, 10, 0}));  // the right edge

    const std::pair<std::vector<QuiltPoint>, int> overlaps[] = {{{{1, 1}, {2, 2}, {3, 1}}, -1},
                                                                {{{20, 1}, {2, 2}, {3, 1}}, 0},
                                                                {{{1, 1}, {2, 2}, {3, -1}}, 2}};
    for (const auto& [points, result] : overlaps)
        EXPECT_EQ(PolygonsOverlap(square.get(), MakeArray(points).get(), nullptr, 0), result);

    EXPECT_EQ(PointInPolygon(Box(kSquare)->corners, centre), 1);
    EXPECT_EQ(PointInPolygon(Box(kSquare)->corners, right), 0);
    // An L shape: the notch is outside by the even-odd rule.
    auto ell = Box({{0, 0}, {10, 0}, {10, 4}, {4, 4}, {4, 10}, {0, 10}});
    float notch[2] = {7, 7}, arm[2] = {2, 7};
    EXPECT_EQ(PointInPolygon(ell->corners, notch), 0);
    EXPECT_EQ(PointInPolygon(ell->corners, arm), 1);
}

TEST(Geometry, ClassificationOfBoxes) {
    const std::pair<std::vector<QuiltPoint>, int32_t> cases[] = {
        {kSquare, kPolygonOrthogonal},
        {{{0, 10}, {12, 11}, {10, 0}, {1, 1}}, kPolygonConvex},
        {{{0, 10}, {10, 10}, {10, 6}, {4, 6}, {4, 0}, {0, 0}}, kPolygonReflex},  // an L
        {{{0, 0}, {5, 0}, {0, 5}}, kPolygonTriangle},
        {{{0, 0}, {0, 5}, {5, 0}}, kPolygonTriangle},
        {{{0, 0}, {5, 0}}, kPolygonInvalid},
        {{{1, 1}, {10, 0}, {12, 11}, {0, 10}}, kPolygonReflex},  // convex, walked the other way
        // An 89.5° edge that still turns left everywhere.
        {{{0, 10}, {10, 10}, {static_cast<float>(10 + 10 * std::tan(0.5 * M_PI / 180)), 0}, {0, 0}},
         kPolygonConvex},
    };
    for (const auto& [corners, type] : cases)
        Logged([&] { EXPECT_EQ(GetPolygonType(Box(corners)->corners), type) << corners[1].x; });
    // A 4-corner path whose first edge has the given direction and whose other
    // three edges are axis-parallel by construction, so only the first decides.
    for (double degrees : {0.5, -0.5, 90.5, -90.5, 89.5, -89.5, 179.5}) {
        const double r = degrees * M_PI / 180.0;
        const QuiltPoint d{static_cast<float>(10 * std::cos(r)),
                           static_cast<float>(10 * std::sin(r))};
        EXPECT_EQ(!!IsOrthogonal(Box({{0, 0}, d, {d.x, 20}, {0, 20}})->corners),
                  std::fabs(std::fmod(degrees, 90)) < 1)
            << degrees;
    }
    float a[2] = {0, 0}, b[2] = {0, 1};
    EXPECT_FLOAT_EQ(GetAngle(a, b), static_cast<float>(M_PI / 2));
}

}  // namespace
