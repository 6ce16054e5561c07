#include "layout/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "support/captured_log.h"

namespace {

// A corner list built from points, owned by the test.
struct Corners {
    explicit Corners(std::vector<QuiltPoint> points) {
        nodes.resize(points.size());
        for (size_t i = 0; i < points.size(); i++) {
            nodes[i] = PatternBoxPoint{static_cast<int32_t>(i), points[i].x, points[i].y,
                                       i + 1 < points.size() ? &nodes[i + 1] : nullptr};
        }
    }
    const PatternBoxPoint* first() const { return nodes.empty() ? nullptr : &nodes[0]; }
    std::vector<PatternBoxPoint> nodes;
};

struct ArrayDeleter {
    void operator()(PointArray* a) const { g_array_free(a, TRUE); }
};
using ArrayPtr = std::unique_ptr<PointArray, ArrayDeleter>;

ArrayPtr MakeArray(std::vector<QuiltPoint> points) {
    ArrayPtr array(NewPointArray());
    for (const QuiltPoint& p : points) {
        PointArrayElement e{p.x, p.y, 0, 0};
        g_array_append_val(array.get(), e);
    }
    return array;
}

// An edge of the given direction in degrees, starting at the origin.
QuiltPoint Direction(double degrees) {
    double r = degrees * M_PI / 180.0;
    return {static_cast<float>(10 * std::cos(r)), static_cast<float>(10 * std::sin(r))};
}

// A square walked in the Left sense: front-left, front-right, back-right, back-left.
const std::vector<QuiltPoint> kSquare = {{0, 10}, {10, 10}, {10, 0}, {0, 0}};

TEST(Orientation, ThousandthGridDecidesTurns) {
    float a[2] = {0, 0}, b[2] = {1, 0};
    float nearlyLeft[2] = {0, -0.0009f};  // cross = -0.0009
    float nearlyRight[2] = {0, 0.0009f};  // cross = 0.0009
    float left[2] = {0, -0.001f};
    EXPECT_TRUE(Collinear(a, b, nearlyRight));
    EXPECT_FALSE(Left(a, b, nearlyRight));
    EXPECT_FALSE(Left2(a, b, nearlyRight));
    EXPECT_TRUE(LeftOn(a, b, nearlyRight));
    EXPECT_TRUE(Collinear(a, b, nearlyLeft));
    EXPECT_TRUE(LeftOn(a, b, nearlyLeft));
    EXPECT_FALSE(Left(a, b, nearlyLeft));
    EXPECT_TRUE(Left(a, b, left));
    EXPECT_EQ(Area(a, b, left), -1);
    EXPECT_EQ(Area2(a, b, left), 1);
    float right[2] = {0, 0.5f};
    EXPECT_TRUE(Left2(a, b, right));
    EXPECT_FALSE(LeftOn(a, b, right));
}

TEST(Segments, BetweenAndIntersection) {
    float a[2] = {1, 0}, b[2] = {1, 5};
    float mid[2] = {1, 2.5f}, end[2] = {1, 5}, beyond[2] = {1, 6}, off[2] = {1.5f, 2.5f};
    EXPECT_TRUE(Between(a, b, mid));  // vertical: y compared
    EXPECT_TRUE(Between(a, b, end));
    EXPECT_FALSE(Between(a, b, beyond));
    EXPECT_FALSE(Between(a, b, off));
    float h0[2] = {0, 0}, h1[2] = {4, 0}, offLine[2] = {2, 1};
    EXPECT_FALSE(Between(h0, h1, offLine));  // x in range but off the line

    float p[2] = {0, 2}, q[2] = {2, 2};
    EXPECT_TRUE(IntersectProper(a, b, p, q));
    EXPECT_TRUE(Intersect(a, b, p, q));
    // Sharing only an end point: not proper, but they do intersect.
    float e0[2] = {1, 5}, e1[2] = {3, 7};
    EXPECT_FALSE(IntersectProper(a, b, e0, e1));
    EXPECT_TRUE(Intersect(a, b, e0, e1));
    float far0[2] = {3, 0}, far1[2] = {3, 5};
    EXPECT_FALSE(Intersect(a, b, far0, far1));
    EXPECT_TRUE(Xor(1, 0));
    EXPECT_FALSE(Xor(2, 1));
}

TEST(Containment, ConvexPolygonTestsAndFailedEdge) {
    ArrayPtr square = MakeArray(kSquare);
    float centre[2] = {5, 5}, onEdge[2] = {5, 10}, outside[2] = {12, 5};
    EXPECT_EQ(PIP(square.get(), centre, nullptr, 1), 1);
    EXPECT_EQ(PIP(square.get(), onEdge, nullptr, 0), 1);
    EdgeSegment edge{-1, -1, -1, -1};
    EXPECT_EQ(PIP(square.get(), onEdge, &edge, 1), 0);
    EXPECT_FLOAT_EQ(edge.x1, 0);  // the front edge (0,10)→(10,10)
    EXPECT_FLOAT_EQ(edge.x2, 10);
    EXPECT_FLOAT_EQ(edge.y1, 10);
    EXPECT_FLOAT_EQ(edge.y2, 10);
    EXPECT_EQ(PIP(square.get(), outside, &edge, 0), 0);
    EXPECT_FLOAT_EQ(edge.x1, 10);  // the right edge (10,10)→(10,0)
    EXPECT_FLOAT_EQ(edge.y2, 0);

    ArrayPtr inner = MakeArray({{1, 1}, {2, 2}, {3, 1}});
    EXPECT_EQ(PolygonsOverlap(square.get(), inner.get(), nullptr, 0), -1);
    ArrayPtr firstOut = MakeArray({{20, 1}, {2, 2}, {3, 1}});
    EXPECT_EQ(PolygonsOverlap(square.get(), firstOut.get(), nullptr, 0), 0);
    ArrayPtr thirdOut = MakeArray({{1, 1}, {2, 2}, {3, -1}});
    EXPECT_EQ(PolygonsOverlap(square.get(), thirdOut.get(), nullptr, 0), 2);

    Corners rectangle(kSquare);
    float right[2] = {15, 5};
    EXPECT_EQ(PointInPolygon(rectangle.first(), centre), 1);
    EXPECT_EQ(PointInPolygon(rectangle.first(), right), 0);
    // An L shape: the notch is outside by the even-odd rule.
    Corners ell({{0, 0}, {10, 0}, {10, 4}, {4, 4}, {4, 10}, {0, 10}});
    float notch[2] = {7, 7}, arm[2] = {2, 7};
    EXPECT_EQ(PointInPolygon(ell.first(), notch), 0);
    EXPECT_EQ(PointInPolygon(ell.first(), arm), 1);
}

TEST(Shapes, ClassificationOfBoxes) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(GetPolygonType(Corners(kSquare).first()), kPolygonOrthogonal);
    EXPECT_EQ(GetPolygonType(Corners({{0, 10}, {12, 11}, {10, 0}, {1, 1}}).first()),
              kPolygonConvex);
    // An L-shaped hexagon walked in the Left sense.
    EXPECT_EQ(GetPolygonType(Corners({{0, 10}, {10, 10}, {10, 6}, {4, 6}, {4, 0}, {0, 0}}).first()),
              kPolygonReflex);
    EXPECT_EQ(GetPolygonType(Corners({{0, 0}, {5, 0}, {0, 5}}).first()), kPolygonTriangle);
    EXPECT_EQ(GetPolygonType(Corners({{0, 0}, {0, 5}, {5, 0}}).first()), kPolygonTriangle);
    EXPECT_EQ(GetPolygonType(Corners({{0, 0}, {5, 0}}).first()), kPolygonInvalid);
    // The same convex quadrilateral walked the other way is reflex.
    EXPECT_EQ(GetPolygonType(Corners({{1, 1}, {10, 0}, {12, 11}, {0, 10}}).first()),
              kPolygonReflex);
    testing::internal::GetCapturedStdout();
}

TEST(Shapes, OrthogonalityToleranceIsLopsided) {
    // A 4-corner path whose first edge has the given direction and whose other
    // three edges are axis-parallel by construction, so only the first decides.
    auto firstEdgePasses = [](double degrees) {
        QuiltPoint d = Direction(degrees);
        Corners quad({{0, 0}, d, {d.x, 20}, {0, 20}});
        return IsOrthogonal(quad.first());
    };
    for (double ok : {0.5, -0.5, 90.5, -90.5})
        EXPECT_TRUE(firstEdgePasses(ok)) << ok;
    for (double bad : {89.5, -89.5, 179.5})
        EXPECT_FALSE(firstEdgePasses(bad)) << bad;

    // A box with an 89.5° edge that still turns left everywhere is convex.
    Corners tilted({{0, 10}, {10, 10}, {10 + 10 * std::tan(0.5 * M_PI / 180), 0}, {0, 0}});
    Logged([&] { EXPECT_EQ(GetPolygonType(tilted.first()), kPolygonConvex); });

    float a[2] = {0, 0}, b[2] = {0, 1};
    EXPECT_FLOAT_EQ(GetAngle(a, b), static_cast<float>(M_PI / 2));
}

}  // namespace
