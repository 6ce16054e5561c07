#include <algorithm>
#include <cmath>
#include <tuple>

#include "layout/box_drawing.h"
#include "layout/geometry.h"
#include "layout/layout_selection.h"
#include "layout/placement/array_repeat.h"
#include "layout/placement/convex_hull.h"
#include "layout/placement/placement_fixture.h"
#include "layout/placement_edit.h"
#include "layout/placement_spot.h"
#include "layout/scale_preview.h"
#include "layout/view_fixture.h"
#include "layout/view_gestures.h"
#include "layout/view_images.h"
#include "support/temp_dir.h"

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

TEST(Geometry, TurnsSegmentsContainmentAndClassesOfBoxes) {
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
    EXPECT_EQ(std::pair(Area(a, b, left), Area2(a, b, left)), std::pair(-1, 1));
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
    EXPECT_TRUE(Xor(1, 0) && !Xor(2, 1));
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
    // An L shape: the notch is outside by the even-odd rule.
    auto ell = Box({{0, 0}, {10, 0}, {10, 4}, {4, 4}, {4, 10}, {0, 10}});
    float notch[2] = {7, 7}, arm[2] = {2, 7};
    EXPECT_EQ(
        (std::vector<int>{PointInPolygon(Box(kSquare)->corners, centre),
                          PointInPolygon(Box(kSquare)->corners, right),
                          PointInPolygon(ell->corners, notch), PointInPolygon(ell->corners, arm)}),
        (std::vector<int>{1, 0, 0, 1}));
    const std::pair<std::vector<QuiltPoint>, int32_t> types[] = {
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
    for (const auto& [corners, type] : types)
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
    float up[2] = {0, 1};
    EXPECT_FLOAT_EQ(GetAngle(a, up), static_cast<float>(M_PI / 2));
}

TEST_F(LayoutTest, SpanOfTheCurrentBox) {
    float w, h, x, y;
    GetLayoutDimensions(&w, &h);
    GetLayoutCenter(&x, &y);
    ExpectFloats({w, h, x, y}, {-1, -1, 0, 0});
    MakeBox({{0, 20}, {20, 20}, {20, 0}, {0, 0}});
    SetCurrentPatternBox(MakeBox({{0, 20}, {20, 20}, {20, 0}, {0, 0}}) - 1);
    const int a = LoadRectangle(2, 1), b = LoadRectangle(1, 3);
    NewPatternLayoutNode(a, -1, 0, 1, 1);
    NewPatternLayoutNode(b, -1, 0, 4, 2);
    SetCurrentPatternBox(1);
    NewPatternLayoutNode(a, -1, 0, 50, 50);  // another box: not measured
    SetCurrentPatternBox(0);
    GetLayoutDimensions(&w, &h);
    GetLayoutOrigin(&x, &y);
    float cx, cy;
    GetLayoutCenter(&cx, &cy);
    ExpectFloats({w, h, x, y, cx, cy}, {4, 4, 1, 1, 3, 3});  // 1 … 4 + 1 by 1 … 2 + 3
    MoveLayoutPattern(nullptr, 1, 1);                        // nothing
}

TEST_F(LayoutTest, BoxCornersClosingEdgeOriginSizeAngleAndCentre) {
    PatternBox box;
    // Any third corner is accepted, even a collinear one.
    for (float x : {0, 10, 20})
        EXPECT_EQ(AddPatternBoxPoint(&box, x, 10, x == 0, 1), 1);
    EXPECT_EQ(box.count, 3);
    PatternBox square;
    for (const auto& [x, y] : Points{{0, 10}, {10, 10}, {10, 0}})
        AddPatternBoxPoint(&square, x, y, x == 0, 1);
    // Across the first edge, or straight on from the last: refused, nothing
    // changed; a proper fourth corner: the measures follow, the origin stays.
    EXPECT_EQ((std::vector<int>{AddPatternBoxPoint(&square, 5, 15, 0, 1),
                                AddPatternBoxPoint(&square, 10, -5, 0, 1), square.count,
                                AddPatternBoxPoint(&square, 0, 0, 0, 1), square.count}),
              (std::vector<int>{0, 0, 3, 1, 4}));
    ExpectFloats({square.width, square.height, square.x, square.y}, {10, 10, 0, 10});
    EXPECT_EQ(square.corners->next->next->next->index, 3);
    EXPECT_EQ(CheckPatternBox(&square), 1);
    EXPECT_EQ(AddPatternBoxPoint(nullptr, 1, 1, 0, 1), 1);
    BogusExtents();  // the default diamond is walked in the Left sense too
    EXPECT_EQ(CheckPatternBox(GetPatternBox(0)), 1);
    std::unique_ptr<PatternBox> copy = CopyPatternBox(&square);
    ClearPatternBox(&square);
    EXPECT_TRUE(square.count == 0 && square.corners == nullptr);
    EXPECT_EQ(copy->count, 4);  // the copy owns its own corners
    EXPECT_FLOAT_EQ(copy->corners->next->x, 10);
    // The closing edge of a finished box, from its last corner back to the first.
    const std::pair<std::vector<QuiltPoint>, int> closings[] = {
        {{{5, 5}, {15, 5}, {15, 15}, {5, 15}}, 1},
        {{{5, 5}, {15, 5}, {15, 15}, {20, 10}}, 0},  // back across the second edge
        {{{5, 5}, {15, 5}, {15, 15}, {10, 5}}, 0},   // ends on the first edge
        {{{5, 5}, {15, 5}, {20, 5}}, 0},             // back along both edges
    };
    for (const auto& [corners, clear] : closings)
        EXPECT_EQ(ClosingEdgeIsClear(Box(corners).get()), clear) << corners.back().x;
    // Origin, size, angle and centre of boxes set up from corners, the centre -7 before.
    auto boxOf = [](const std::vector<QuiltPoint>& corners) {
        auto made = Box(corners);
        made->centreX = -7;
        SetPatternBoxOrigin(made.get());
        return made;
    };
    const auto owner = boxOf({{0, 1}, {1, 1}, {1, 0}, {0, 0}});
    const PatternBox& unit = *owner;
    ExpectFloats({unit.x, unit.y, unit.width, unit.height, unit.centreX, unit.centreY},
                 {0, 0, 1, 1, 0.5f, 0.5f});
    // The box lies on the back side of its first (rightward) edge: no turn;
    // walked the other way the first edge runs left with the box behind it.
    EXPECT_NEAR(unit.angle, 0, 1e-4);
    EXPECT_NEAR(boxOf({{1, 1}, {0, 1}, {0, 0}, {1, 0}})->angle, 0, 1e-3);
    const auto triangle = boxOf({{0, 0}, {6, 0}, {0, 3}});  // the centroid, quilt frame
    ExpectNear({triangle->centreX, triangle->centreY}, {2, 1}, 1e-5);
    EXPECT_FLOAT_EQ(boxOf({{0, 0}, {1, 0}, {2, 0}})->centreX, -7);  // medians parallel
}

// Removing a box closes the gap, renumbers the boxes after it and takes the
// records of the arrays only its placements used along; the default quilt
// area leaves a drawn box alone.
TEST_F(LayoutTest, TableFillsUpAndRemovalClosesGapsRenumbersAndTakesArrays) {
    for (int i = 0; i < kPatternBoxSlots; i++)
        ASSERT_EQ(CreatePatternBox(), i);
    EXPECT_EQ(CreatePatternBox(), -1);
    InitPatternBox();
    EXPECT_EQ(CurrentPatternBox(), -1);
    int slot = LoadRectangle(1, 1);
    int arrays[3];
    for (int b = 0; b < 3; b++) {
        MakeBox({{0, 10}, {10, 10}, {10, 0}, {0, 0}});
        SetCurrentPatternBox(b);
        arrays[b] = NewArrayNode(1, 1, 2, 1.5f);
        NewPatternLayoutNode(slot, arrays[b], 1, static_cast<float>(b), 0);
        if (b > 0) continue;
        PatternBox* first = GetPatternBox(0);
        BogusExtents();
        ASSERT_NE(extents, nullptr);
        EXPECT_FLOAT_EQ(extents->width, 35);
        EXPECT_TRUE(patternBoxList.count == 1 && GetPatternBox(0) == first);
    }
    SetCurrentPatternBox(1);
    NewPatternLayoutNode(slot, arrays[0], 0, 3, 0);  // in box 1, of box 0's array
    PatternBox* third = GetPatternBox(2);
    SetCurrentPatternBox(2);
    Logged([&] { RemovePatternBox(1); });
    EXPECT_TRUE(GetPatternBox(1) == third && GetPatternBox(2) == nullptr);
    EXPECT_TRUE(!GetArrayNode(arrays[1]) && GetArrayNode(arrays[0]) && GetArrayNode(arrays[2]));
    ASSERT_EQ(CountLayoutNodes(), 2);
    EXPECT_EQ((std::vector<int>{patternBoxList.count, CurrentPatternBox(), patternLayout->boxIndex,
                                patternLayout->next->boxIndex}),
              (std::vector<int>{2, 1, 0, 1}));
    EXPECT_FLOAT_EQ(patternLayout->next->x, 2);
    EXPECT_NE(GetPattern(slot), nullptr);  // still used by the other boxes
    // The box of the first placements: the list starts at the next one left.
    SetCurrentPatternBox(0);
    Logged([&] { RemovePatternBox(0); });
    RemovePatternBox(7);  // an empty slot: nothing
    ASSERT_EQ(CountLayoutNodes(), 1);
    EXPECT_FLOAT_EQ(patternLayout->x, 2);
    // The current box does not go below 0.
    EXPECT_EQ(
        (std::vector<int>{patternLayout->boxIndex, CurrentPatternBox(), patternBoxList.count}),
        (std::vector<int>{0, 0, 1}));
    // The last placement of a pattern unloads it, and takes the selection along.
    SetSelectedNode(patternLayout);
    Logged([&] { RemovePatternBox(0); });
    EXPECT_TRUE(!GetPattern(slot) && !SelectedNode() && patternList.count == 0);
}

// Patterns of the given sizes added one after another to a 10 x 6 inch box,
// each at the spot found for it (w, h, then the spot): side by side, under
// the second, the rest of the top row, under that, below the first when too
// wide for what is left up top, and the origin when no room is left.
TEST_F(LayoutTest, PatternsAddedInARowLieSideBySideWhileTheBoxHasRoom) {
    const int box = MakeBox({{0, 6}, {10, 6}, {10, 0}, {0, 0}});
    SetCurrentPatternBox(box);
    const float cases[][4] = {{4, 3, 0, 0}, {4, 2, 4, 0}, {3, 3, 4, 2}, {2, 1, 8, 0},
                              {2, 1, 8, 1}, {4, 3, 0, 3}, {5, 5, 0, 0}};
    for (const auto& [w, h, wantX, wantY] : cases) {
        float x = -1, y = -1;
        NewPlacementSpot(box, w, h, &x, &y);
        ExpectFloats({x, y}, {wantX, wantY});
        NewPatternLayoutNode(LoadRectangle(w, h), -1, 0, x, y);
    }
    // Placements of another box take no room in this one; no box: the origin.
    const int other = MakeBox({{0, 6}, {10, 6}, {10, 0}, {0, 0}});
    float x = -1, y = -1, x2 = -1, y2 = -1;
    NewPlacementSpot(other, 4, 3, &x, &y);
    NewPlacementSpot(7, 1, 1, &x2, &y2);
    ExpectFloats({x, y, x2, y2}, {0, 0, 0, 0});
}

// The scale dialog's preview: the placements it scales, the view scale and
// frame that show them, and the scaled paths centred on the unscaled ones.
TEST_F(LayoutTest, ScalePreviewShowsAPlacementOrAWholeArrayCentredInTheFrame) {
    const int box = MakeRectBox(2, 3, 30, 20);
    const int slot = PlacePoints(box, {{0, 0}, {4, 0}, {4, 2}, {0, 2}}, 5, 5, {3});  // a stop
    const std::vector<LayoutNode*> nodes = PreviewedPlacements(patternLayout);
    ASSERT_EQ(nodes, std::vector<LayoutNode*>{patternLayout});
    const PlacementSpan span = SpanOfPlacements(nodes);
    ASSERT_TRUE(span.Valid());
    EXPECT_EQ(std::pair(span.CentreX(), span.CentreY()), std::pair(7.0f, 6.0f));
    // The span's centre lands in the middle of the area below the band.
    const PreviewFrame frame = ScalePreviewFrame(span, 0.5f, 200, 116);
    EXPECT_EQ(std::pair(frame.PixelX(7.0f), frame.PixelY(6.0f)), std::pair(100, 16 + 50));
    const ScalePreviewPaths same = ScaledPreviewPaths(nodes, 100, 100, frame);
    const ScalePreviewPaths paths = ScaledPreviewPaths(nodes, 200, 50, frame);
    EXPECT_EQ(std::vector<double>({paths.minX, paths.minY, paths.maxX, paths.maxY}),
              std::vector<double>({96, 64, 104, 68}));
    // Points as x, y, start; unscaled only x.
    std::vector<double> got, unscaled;
    for (size_t i = 0; i < paths.points.size() && i < same.points.size(); i++) {
        got.insert(got.end(), {paths.points[i].x, paths.points[i].y, 1.0 * paths.points[i].start});
        unscaled.push_back(same.points[i].x);
    }
    EXPECT_EQ(got, (std::vector<double>{92, 65, 1, 108, 65, 0, 108, 67, 1, 92, 67, 0}));
    EXPECT_EQ(unscaled, (std::vector<double>{96, 104, 104, 96}));
    AppendLayoutNode(slot, -1, 0, 20, 20, box);
    LayoutNode* first = AppendLayoutNode(slot, 3, 1, 2, 1, box);
    LayoutNode* second = AppendLayoutNode(slot, 3, 0, 10, 1, box);
    EXPECT_EQ(PreviewedPlacements(second), (std::vector<LayoutNode*>{first, second}));
    const PlacementSpan whole = SpanOfPlacements({first, second});
    EXPECT_EQ(std::vector<float>({whole.minX, whole.minY, whole.maxX, whole.maxY}),
              std::vector<float>({2, 1, 14, 3}));
    // 320 x 240: the height column and the borders take 54 pixels across, the
    // controls below 90; a tiny dialog still gets 40 x 40.
    const PreviewSize preview = ScalePreviewSize(320, 240), tiny = ScalePreviewSize(60, 100);
    EXPECT_EQ((std::vector<int>{preview.width, preview.height, tiny.width, tiny.height}),
              (std::vector<int>{266, 150, 40, 40}));
    EXPECT_FLOAT_EQ(ScalePreviewViewScale(whole, preview), 13.0f / 266);  // width decides
    EXPECT_FLOAT_EQ(ScalePreviewViewScale(whole, PreviewSize{1000, 66}), 3.0f / 50);  // height
    EXPECT_FLOAT_EQ(ScalePreviewViewScale(whole, PreviewSize{20000, 20000}), 0.001f);
    LayoutNode orphan;
    orphan.patternIndex = 45;  // no pattern loaded there
    EXPECT_FALSE(SpanOfPlacements({&orphan}).Valid());
    EXPECT_TRUE(ScaledPreviewPaths({&orphan}, 100, 100, PreviewFrame{}).points.empty());
    ScalePercents percents;
    EXPECT_EQ(ScalePercentText(percents), "W 100 %   H 100 %");
    percents.Set(true, 130, true);
    percents.Set(false, 90.4, false);
    EXPECT_EQ(ScalePercentText(percents), "W 130 %   H 90 %");
    percents.Set(false, 250, true);
    EXPECT_EQ(percents.width, 250);
}

// Centre of a single placement in the box frame.
QuiltPoint CentreOf(const LayoutNode* n) {
    const Pattern* p = GetPattern(n->patternIndex);
    return {n->x + p->width / 2, n->y + p->height / 2};
}

// The span of all placements whose patterns are w x h: its centre and size.
std::vector<float> Span(float w, float h) {
    float minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
    for (LayoutNode* n = patternLayout; n; n = n->next) {
        minX = std::min(minX, n->x), maxX = std::max(maxX, n->x + w);
        minY = std::min(minY, n->y), maxY = std::max(maxY, n->y + h);
    }
    return {(minX + maxX) / 2, (minY + maxY) / 2, maxX - minX, maxY - minY};
}

TEST_F(PlacementTest, QuarterTurnsAndScalingKeepAPlacementOrAWholeArrayCentred) {
    MakeRectBox(0, 0, 20, 20);
    int slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}, {0.5f, 0.25f}});
    GetPattern(slot)->angle = 30;
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 3, 3);
    const std::vector<float> x0 = GetPattern(slot)->x, y0 = GetPattern(slot)->y;
    float cx, cy;
    ASSERT_EQ(PlacementRotationCentre(n, &cx, &cy), 1);
    ExpectNear({cx, cy}, {1, 0.5f}, 1e-6);
    ASSERT_EQ(RotatePlacement(n, 90), 1);
    const Pattern* p = GetPattern(slot);
    // The centre stays at (4, 3.5); clockwise on screen: the first point (top
    // left) goes to the top right.
    ExpectNear({p->width, p->height, n->x, n->y, p->x[0], p->y[0]}, {1, 2, 3.5f, 2.5f, 1, 0}, 2e-3);
    for (int i = 0; i < 3; i++)
        RotatePlacement(n, 90);
    ExpectNear(p->x, x0, 5e-3);
    ExpectNear(p->y, y0, 5e-3);
    ExpectNear({n->x, n->y}, {3, 3}, 1e-3);
    EXPECT_EQ(p->angle, 30);  // quarter turns leave the angle
    LayoutNode orphan;
    orphan.patternIndex = 40;  // empty slot
    EXPECT_EQ(std::pair(RotatePlacement(nullptr, 90), RotatePlacement(&orphan, 90)),
              std::pair(0, 0));
    // The rotate dialog adds whole degrees and wraps at 360.
    EXPECT_EQ((std::pair{ApplyRotateAngle(n, 350.7), ApplyRotateAngle(n, 20)}), std::pair(1, 1));
    EXPECT_EQ(p->angle, 40);
    const std::vector<float> x = p->x;
    for (double refused : {0.0, -5.0, std::nan("")})
        EXPECT_EQ(ApplyRotateAngle(n, refused), 0) << refused;
    EXPECT_EQ(p->x, x);
    EXPECT_EQ(p->angle, 40);
    ClearLayout();  // an array turned from a member
    LayoutNode* parent = NewPatternLayoutNode(LoadPoints({{0, 0}, {2, 0}, {2, 1}}), -1, 0, 10, 10);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 3, 0}), 1);  // 3 across: 10 … 16
    LayoutNode* member = parent->next->next;
    ASSERT_EQ(PlacementRotationCentre(member, &cx, &cy), 1);
    ExpectNear({cx, cy}, {13, 10.5f}, 1e-6);
    ASSERT_EQ(RotatePlacement(member, 90), 1);
    // Now a column of three 1 x 2 patterns centred on (13, 10.5).
    ExpectNear(Span(1, 2), {13, 10.5f, 1, 6}, 1e-3);
    ClearLayout();  // scaling keeps the centre of a placement and of an array
    slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}});
    n = NewPatternLayoutNode(slot, -1, 0, 4, 4);
    const QuiltPoint before = CentreOf(n);
    ASSERT_EQ(ScalePlacement(n, 200, 100), 1);
    p = GetPattern(slot);
    ExpectNear({p->width, p->height, p->baseWidth, CentreOf(n).x, CentreOf(n).y},
               {4, 1, 4, before.x, before.y}, 1e-4);
    EXPECT_EQ((std::pair{ScalePlacement(n, 0, 100), ScalePlacement(nullptr, 100, 100)}),
              std::pair(0, 0));
    parent = NewPatternLayoutNode(LoadPoints({{0, 0}, {1, 0}, {1, 1}}), -1, 0, 10, 10);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 2, 1}), 1);  // 10 … 11, 12 … 13
    member = parent->next;
    ASSERT_EQ(ScalePlacement(member, 50, 300), 1);
    // Both copies shrink to 0.5 wide and their gap scales with them, the
    // array's centre (11.5, 10.5) stays; the other placement did not move.
    ExpectNear({member->x - parent->x, (parent->x + member->x + 0.5f) / 2, parent->y + 1.5f, n->x},
               {1, 11.5f, 10.5f, before.x - 2}, 1e-4);
}

TEST_F(PlacementTest, PropertiesMoveOnlyTheAxisThatChangedResizeOrMoveTheBox) {
    MakeRectBox(5, 7, 40, 40);
    int slot = LoadPoints({{1, 0}, {2, 0}, {2, 1}, {0, 1}});
    LayoutNode* n = NewPatternLayoutNode(slot, -1, 0, 2, 3);
    PlacementProperties shown;
    ASSERT_EQ(GetPlacementProperties(n, &shown), 1);
    // The first point in the box and on the quilt.
    ExpectNear({shown.startX, shown.actualX, shown.actualY, shown.width}, {3, 8, 10, 2}, 1e-6);
    // The entries show three decimals: an untouched entry reads back rounded.
    ASSERT_EQ(ApplyPlacementProperties(n, shown, 6.5f, 3.0002f, 2, 1, 0), 1);
    ExpectNear({n->x, n->y}, {5.5f, 3}, 1e-6);
    LayoutNode* parent = NewPatternLayoutNode(slot, -1, 0, 10, 10);
    ASSERT_EQ(ApplyRepeat(parent, RepeatSettings{1, 0, 2, 0}), 1);
    LayoutNode* member = parent->next;
    GetPlacementProperties(member, &shown);
    ASSERT_EQ(ApplyPlacementProperties(member, shown, shown.startX, shown.startY + 1, 2, 1, 0), 1);
    ExpectNear({parent->y, member->y, member->x, n->y}, {11, 11, 12, 3}, 1e-6);
    // A new size; the start stays where the entry says.
    n = NewPatternLayoutNode(slot = LoadPoints({{0, 0}, {2, 0}, {2, 1}}), -1, 0, 2, 3);
    GetPlacementProperties(n, &shown);
    ASSERT_EQ(ApplyPlacementProperties(n, shown, shown.startX, shown.startY, 4, 3, 0), 1);
    PlacementProperties now;
    GetPlacementProperties(n, &now);
    ExpectNear({GetPattern(slot)->width, GetPattern(slot)->height, now.startX, now.startY},
               {4, 3, shown.startX, shown.startY}, 1e-4);
    EXPECT_EQ(ApplyPlacementProperties(n, now, now.startX, now.startY, 0, 3, 0), 0);
    EXPECT_EQ(ApplyPlacementProperties(n, now, now.startX, now.startY, 4, 0, 0), 0);
    // With Move All the box moves, not the placements; sizes are ignored.
    n = NewPatternLayoutNode(slot, -1, 0, 2, 3);
    GetPlacementProperties(n, &shown);
    zoomAll = 0;
    ASSERT_EQ(ApplyPlacementProperties(n, shown, shown.startX + 1.5f, shown.startY - 1, 9, 9, 1),
              1);
    const PatternBox* b = GetPatternBox(0);
    ExpectNear(
        {n->x, n->y, GetPattern(slot)->width, b->x, b->y, b->corners->x, b->corners->next->next->y},
        {2, 3, 4, 6.5f, 6, 6.5f, 46}, 1e-6);
    EXPECT_EQ(zoomAll, 1);
    zoomAll = 0;
}

// The layout view's arithmetic that the reference pictures of the view cannot
// show: truncation order and grid steps.
TEST_F(ViewTest, TruncationAndGrid) {
    // x: int(int(2.0 / 0.03) + 1.0 / 0.03 + 7) = int(66 + 33.33 + 7) = 106, not 107;
    // y: int(int(0.5 / 0.03) + 2.0 / 0.03 - 12) = int(16 + 66.67 - 12) = 70, not 71.
    const ViewFrame frame{0.03f, 7, -12, 1.0f, 2.0f};
    // QuiltToScreen y: int(16.67 - 12); wild values are held to +-1e9.
    const ViewFrame unit{1.0f, 0, 0, 0, 0};
    EXPECT_EQ((std::vector<int>{
                  PlacementToScreen(frame, 2.0f, 0.5f).x, PlacementToScreen(frame, 2.0f, 0.5f).y,
                  QuiltToScreen(frame, 2.0f, 0.5f).y, PlacementToScreen(unit, 1e12f, -1e12f).x,
                  QuiltToScreen(unit, 1e12f, -1e12f).y}),
              (std::vector<int>{106, 70, 4, 1000000000, -1000000000}));
    // An empty current slot gives the frame no box origin.
    SetCurrentPatternBox(7);
    MakeRectBox(4, 5, 10, 10);
    EXPECT_FLOAT_EQ(CurrentViewFrame().boxX, 0);
    // A quarter inch, else half an inch when that is under 10 pixels, else one inch.
    const std::tuple<float, int> grids[] = {
        {0.01f, 25}, {0.03f, 16}, {0.06f, 16}, {0.2f, 5}, {0.0f, 0}};
    for (const auto& [scale, spacing] : grids)
        EXPECT_EQ(GridSpacing(scale), spacing) << scale;
}

// The touch arithmetic: long press, swipes, corner arrows, the direction pad,
// the edit buttons and the moves of the two move modes.
TEST(Gestures, PressesSwipesArrowsPadAndEditButtonsDecideAtTheirLimits) {
    constexpr uint32_t kMenus = 0x37FFFFF;
    // Ticks so far, held, drift in pixels, menu mask (0: a screen without menus).
    const std::tuple<int, bool, int, uint32_t, LongPressStep> ticks[] = {
        {8, true, 0, kMenus, kLongPressWait},
        {9, true, 14, kMenus, kLongPressMatured},
        {100, true, 15, kMenus, kLongPressWait},
        {9, true, 16, kMenus, kLongPressCancelled},
        {9, false, 0, kMenus, kLongPressCancelled},
        {101, true, 15, kMenus, kLongPressCancelled},
        {9, true, 0, 0, kLongPressWait},
        {2, true, 3, kMenus, kLongPressBusy},
    };
    for (const auto& [count, held, drift, mask, step] : ticks)
        EXPECT_EQ(LongPressTick(count, held, drift, mask), step) << count << " " << drift;
    // 160 pixels in 300 ms is 533 pixels per second; 150 is exactly 500. A
    // press and release in the same millisecond must not divide by zero.
    const std::tuple<double, double, int64_t, int, SwipeResult> releases[] = {
        {-160, 10, 300, kModeNone, kSwipeNextBox},  {160, -24, 300, kModePan, kSwipePrevBox},
        {-150, 0, 300, kModeNone, kNotASwipe},      {-160, 25, 300, kModeNone, kSwipeNoChange},
        {160, -25, 300, kModeNone, kSwipeNoChange}, {-600, 0, 100, kModeSpeed, kNotASwipe},
        {-2, 0, 0, kModeNone, kSwipeNextBox},       {0, 0, 0, kModeNone, kNotASwipe},
    };
    for (const auto& [dx, dy, ms, mode, result] : releases)
        EXPECT_EQ(ClassifySwipe(dx, dy, ms, mode), result) << dx << " " << dy;
    // Press and release in the top band (y < 32): right corner x > 320 - 10 - 32, left x < 42.
    const std::tuple<double, double, double, double, int, int> arrows[] = {
        {300, 5, 310, 31, kModeNone, 1}, {10, 5, 41, 31, kModePan, -1},
        {300, 5, 310, 32, kModeNone, 0}, {300, 5, 200, 5, kModeNone, 0},
        {300, 5, 310, 5, kModeSpeed, 0},
    };
    for (const auto& [px, py, rx, ry, mode, step] : arrows)
        EXPECT_EQ(CornerArrowStep(px, py, rx, ry, 320, PadForIconStyle(0), mode), step)
            << rx << " " << ry;
    // A 320 x 200 view, 32-pixel pad images 5 apart around (262, 142): Up from
    // (246, 89), Left from (209, 126); the pad square reaches 53 from the centre,
    // strictly. Edit button 1 spans 88 < x < 120, 160 < y < 192; 4 and 5 sit at
    // the right edge (4 overlaps the pad, which is never shown with it).
    const PadGeometry pad = PadForIconStyle(0);
    const std::tuple<double, double, PadButton, bool, int> points[] = {
        {246, 89, kPadUp, false, 0},   {277, 120, kPadUp, true, 0},
        {278, 120, kPadNone, true, 0}, {262, 142, kPadOk, true, 0},
        {220, 142, kPadLeft, true, 0}, {209, 142, kPadLeft, false, 0},
        {262, 190, kPadDown, true, 0}, {290, 142, kPadRight, true, 4},
        {210, 90, kPadNone, true, 0},  {89, 161, kPadNone, false, 1},
        {88, 170, kPadNone, false, 0}, {100, 192, kPadNone, false, 0},
        {300, 80, kPadNone, false, 5}, {300, 100, kPadNone, true, 0},
    };
    for (const auto& [x, y, button, insidePad, edit] : points) {
        EXPECT_EQ(PadButtonAt(x, y, 320, 200, pad), button) << x << " " << y;
        EXPECT_EQ(InsidePad(x, y, 320, 200, pad), insidePad) << x << " " << y;
        EXPECT_EQ(EditButtonAt(x, y, 320, 200), edit) << x << " " << y;
    }
    for (int n = 1; n <= 5; n++) {
        int x = 0, y = 0;
        ASSERT_TRUE(EditButtonOrigin(n, 320, 200, &x, &y));
        EXPECT_EQ(EditButtonAt(x + 1, y + 1, 320, 200), n);
        EXPECT_EQ(EditButtonAt(x + 31, y + 31, 320, 200), n);
    }
    const std::tuple<PadButton, float, float> steps[] = {
        {kPadUp, 0, -0.5f},   {kPadDown, 0, 0.5f}, {kPadLeft, -0.5f, 0},
        {kPadRight, 0.5f, 0}, {kPadOk, 0, 0},
    };
    for (const auto& [button, stepX, stepY] : steps) {
        float dx = 9, dy = 9;
        PadMove(button, 0.5f, &dx, &dy);
        EXPECT_EQ(std::pair(dx, dy), std::pair(stepX, stepY)) << button;
    }
}

// Move all moves every placement of the current box; move selected one
// placement or its whole array, and nothing once it left the layout.
TEST_F(ViewTest, MoveModesMoveTheBoxTheSelectionOrItsArray) {
    MakeRectBox(0, 0, 20, 20);
    MakeRectBox(20, 0, 20, 20);
    SetCurrentPatternBox(0);
    const int a = LoadPattern({{0, 0}, {1, 1}});
    LayoutNode* single = NewPatternLayoutNode(a, -1, 0, 1, 1);
    LayoutNode* member1 = NewPatternLayoutNode(a, 3, 1, 5, 5);
    LayoutNode* member2 = NewPatternLayoutNode(a, 3, 0, 7, 5);
    LayoutNode* other = AppendLayoutNode(a, -1, 0, 2, 2, 1);
    EXPECT_EQ(MoveForMode(kModeMoveAll, 0.5f, -0.25f), 1);
    ExpectFloats({member2->y, other->x}, {4.75f, 2});
    SetSelectedNode(member2);
    EXPECT_EQ(MoveForMode(kModeMoveSelected, 1, 0), 1);
    ExpectFloats({member1->x, single->x}, {6.5f, 1.5f});
    EXPECT_EQ(MoveForMode(kModePan, 1, 1), 0);
    LayoutNode* detached = CopyLayoutNode(single);
    SetSelectedNode(detached);
    EXPECT_EQ(MoveForMode(kModeMoveSelected, 1, 1), 0);
    EXPECT_FLOAT_EQ(detached->x, 1.5f);
    SetSelectedNode(nullptr);
    FreeDetachedLayoutNode(detached);
}

std::vector<float> Corners(const PatternBox& box) {
    std::vector<float> xy;
    for (const PatternBoxPoint& c : box.cornerStore)
        xy.insert(xy.end(), {c.x, c.y});
    return xy;
}

// Drawn corner by corner: PLUS at every point but the last, CHECK there (the
// live corner starting at the first), then finished into a box with centre 7.
TEST_F(LayoutTest, DrawnCornersMakeARectangleAClosedBoxOrARefusal) {
    const struct {
        std::vector<QuiltPoint> pressed;
        std::vector<float> corners;
        const char* refusal;  // "cross": the last press was not taken
    } cases[] = {
        // Two corners: the rectangle walked so every corner passes the Left test.
        {{{10, 10}, {20, 5}}, {10, 10, 20, 10, 20, 5, 10, 5}, nullptr},
        {{{10, 5}, {20, 10}}, {10, 5, 10, 10, 20, 10, 20, 5}, nullptr},
        {{{20, 10}, {10, 5}}, {20, 10, 20, 5, 10, 5, 10, 10}, nullptr},
        {{{20, 5}, {10, 10}}, {20, 5, 10, 5, 10, 10, 20, 10}, nullptr},
        {{{10, 10}, {20, 5}, {20, 5}}, {10, 10, 20, 10, 20, 5, 10, 5}, nullptr},
        // CHECK up to 0.005 away from the last corner closes the box there.
        {{{0, 10}, {10, 10}, {10, 0}, {0, 0}, {0.005f, 0.005f}},
         {0, 10, 10, 10, 10, 0, 0, 0},
         nullptr},
        {{{7, 7}, {7, 7}}, {}, kNoBoxCorners},
        {{{7, 7}}, {}, kNoBoxCorners},
        {{{5, 5}, {5, 12}}, {}, kNoBoxFromCorners},
        {{{12, 5}, {3, 5}}, {}, kNoBoxFromCorners},
        // Farther away is a corner of its own, here back along the last edge.
        {{{5, 5}, {15, 5}, {15, 15}, {5, 15}, {5.02f, 15}}, {}, "cross"},
        {{{5, 5}, {15, 5}, {15, 15}, {20, 10}}, {}, "cross"},  // the closing edge crosses
    };
    for (const auto& c : cases) {
        PatternBox drawing;
        AddPatternBoxPoint(&drawing, c.pressed[0].x, c.pressed[0].y, 1, 0);
        const char* refusal = nullptr;
        for (size_t i = 0; i < c.pressed.size() && !refusal; i++)
            if (!PressBoxCorner(drawing, c.pressed[i], i + 1 == c.pressed.size()))
                refusal = "cross";
        auto box = std::make_unique<PatternBox>();
        box->centreX = 7;
        box->angle = 33;
        if (!refusal) refusal = FinishDrawnBox(drawing, box);
        EXPECT_STREQ(refusal, c.refusal) << c.pressed.back().x;
        EXPECT_EQ(Corners(*box), c.corners) << c.pressed.back().x;
        if (refusal) continue;
        const bool rectangle = c.pressed.size() <= 3;
        ExpectFloats(
            {box->x, box->y, box->width, box->height, box->centreX},
            rectangle ? std::vector<float>{10, 5, 10, 5, 7} : std::vector<float>{0, 0, 10, 10, 5});
        if (rectangle) {
            EXPECT_EQ(box->angle, 0);
            EXPECT_EQ(CheckPatternBox(box.get()), 1);
        }
    }
    // Refused presses keep the corners, the live corner at the head.
    PatternBox drawing;
    AddPatternBoxPoint(&drawing, 4, 4, 1, 0);
    EXPECT_NEAR(MoveLiveCorner(drawing, {4.015f, 3.99f}), 0.015f, 1e-6);
    ExpectFloats({drawing.x, drawing.y}, {4.015f, 3.99f});  // the origin follows the only corner
    for (QuiltPoint p : std::vector<QuiltPoint>{{5, 5}, {15, 5}, {15, 15}})
        ASSERT_TRUE(PressBoxCorner(drawing, p, false));
    EXPECT_FALSE(PressBoxCorner(drawing, {10, 0}, false));  // back across the first edge
    EXPECT_FALSE(PressBoxCorner(drawing, {15, 20}, true));  // straight on from the last edge
    EXPECT_EQ(Corners(drawing), (std::vector<float>{5, 5, 15, 5, 15, 15, 15, 20}));
    EXPECT_FLOAT_EQ(MoveLiveCorner(drawing, {12, 9.5f}), 10.5f);
    ExpectFloats({drawing.cornerStore.back().y, drawing.x}, {9.5f, 5});
    std::unique_ptr<PatternBox> none;
    EXPECT_EQ(FinishDrawnBox(drawing, none), nullptr);
}

// A pattern file added to the current box, turned to the box's angle; refused
// without a box, with an unreadable file or with a full table.
TEST_F(PlacementTest, PatternFilesAreAddedTurnedToTheBoxAngleWhileThereIsRoom) {
    TempDir dir;
    const std::string square = dir.File("square.qcc");
    ASSERT_TRUE(WriteFileText(square, "p X0.000 Y0.000\np X2.000 Y0.000\np X2.000 Y1.000\n"));
    EXPECT_EQ(AddPatternToCurrentBox(square.c_str()), 0);
    SetCurrentPatternBox(MakeBox({{0, 20}, {40, 20}, {40, 0}, {0, 0}}));
    ASSERT_EQ(AddPatternToCurrentBox(square.c_str()), 1);
    EXPECT_EQ(GetPattern(0)->angle, 0);
    GetPatternBox(0)->angle = 90.7f;  // a quarter turn
    ASSERT_EQ(AddPatternToCurrentBox(square.c_str()), 1);
    ExpectNear({GetPattern(1)->width, GetPattern(1)->height}, {1, 2}, 1e-3);
    EXPECT_EQ(GetPattern(1)->angle, 90);
    EXPECT_EQ(CountLayoutNodes(0), 2);
    EXPECT_EQ(AddPatternToCurrentBox(dir.File("missing.qcc").c_str()), 0);
    while (patternList.count < kPatternSlots)
        ASSERT_EQ(AddPatternToCurrentBox(square.c_str()), 1);
    EXPECT_EQ(AddPatternToCurrentBox(square.c_str()), 0);
    EXPECT_EQ(script.shown,
              (std::vector<std::string>{"COULD NOT OPEN PATTERN FILE.",
                                        "MAXIMUM PATTERN COUNT EXCEEDED.\nPLEASE LINK "
                                        "YOUR PATTERNS TO CREATE MORE SPACE."}));
    EXPECT_EQ(CountLayoutNodes(), kPatternSlots);
}

// The view's pixels after painting the 12 patterns' images with their corner
// at (-600, -700) of an 800 x 600 view.
std::string Paint() {
    cairo_surface_t* view = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 800, 600);
    cairo_t* cr = cairo_create(view);
    for (int slot = 0; slot < 12; slot++)
        PaintPatternImage(cr, slot, -600, -700, 800, 600);
    cairo_destroy(cr);
    cairo_surface_flush(view);
    std::string pixels(reinterpret_cast<const char*>(cairo_image_surface_get_data(view)),
                       static_cast<std::size_t>(cairo_image_surface_get_stride(view)) * 600);
    cairo_surface_destroy(view);
    return pixels;
}

// Close up, overlapping patterns that each fill the view need more windows than
// the budget holds: the oldest are dropped and drawn again when needed, and the
// picture stays the same.
TEST_F(ViewTest, PatternImagesStayWithinTheBudgetAndPaintTheSamePicture) {
    for (int i = 0; i < 12; i++)
        LoadPattern({{0, 0}, {2, 2}, {0.2f * i, 2}, {2, 0.1f * i}});
    SetViewScale(0.001f);  // 2001 x 2001 pixel images
    DropPatternImages();
    const long drawnBefore = PatternImagesInUse().drawn;
    const std::string first = Paint();
    const PatternImageUse use = PatternImagesInUse();
    EXPECT_EQ(use.drawn - drawnBefore, 12);
    EXPECT_LE(use.bytes, kPatternImageBudget);
    EXPECT_LT(use.windows, 12);
    int black = 0;  // opaque black pixels
    for (std::size_t i = 0; i + 4 <= first.size(); i += 4)
        black += first.compare(i, 4, "\0\0\0\xFF", 4) == 0;
    EXPECT_GT(black, 1000);
    EXPECT_EQ(Paint(), first);
    EXPECT_EQ(PatternImagesInUse().drawn - drawnBefore, 24);  // dropped ones drawn again
    DropPatternImages();
}

}  // namespace
