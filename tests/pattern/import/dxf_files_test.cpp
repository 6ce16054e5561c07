// Drawings written by an independent DXF writer (ezdxf, see
// tests/data/make_dxf.py) convert into the expected patterns.
#include <gtest/gtest.h>

#include <algorithm>

#include "pattern/import/import_test_util.h"

namespace {

bool HasSegment(const OutPattern& out, OutPoint a, OutPoint b) {
    for (const OutEntity& e : out.entities) {
        for (std::size_t i = 1; i < e.points.size(); i++) {
            const OutPoint& p = e.points[i - 1];
            const OutPoint& q = e.points[i];
            if ((Near(p.x, a.x) && Near(p.y, a.y) && Near(q.x, b.x) && Near(q.y, b.y)) ||
                (Near(p.x, b.x) && Near(p.y, b.y) && Near(q.x, a.x) && Near(q.y, a.y)))
                return true;
        }
    }
    return false;
}

TEST(DxfFiles, R12DrawingWithEveryEntityKind) {
    ConvertRun run = RunConvertDxf(SourceFile("tests/data/dxf/r12_entities.dxf"));
    ASSERT_EQ(run.result, 0) << run.error;
    OutPattern out = ParseOutput(run.output);
    EXPECT_EQ(out.strayLines, 0);
    // LINE, LINE, CIRCLE, ARC, POLYLINE, POINT: the dashed line, the line after
    // the stopping macro and the block's entities are gone.
    ASSERT_EQ(out.entities.size(), 6u);
    std::vector<std::size_t> sizes;
    for (const OutEntity& e : out.entities)
        sizes.push_back(e.points.size());
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<std::size_t>{1, 2, 2, 3, 8, 64}));
    // Drawing x runs 10 .. 70 (POINT), y 9 .. 11: nothing of the block at 80 and
    // later remains, the dashed riser (12, 10)-(12, 12) would reach above y = 11
    // (quilt y below 0), and the dropped line (20, 10)-(22, 10) would be x 10 .. 12.
    for (const OutEntity& e : out.entities) {
        for (const OutPoint& p : e.points) {
            EXPECT_LE(p.x, 60.0005);
            EXPECT_GE(p.y, 0.0);
            EXPECT_FALSE(p.x > 9.9 && p.x < 12.1) << p.x;
        }
    }
}

TEST(DxfFiles, ModernDrawingWithSplineAndLayerNameWithBlank) {
    ConvertRun run = RunConvertDxf(SourceFile("tests/data/dxf/r2010_entities.dxf"));
    ASSERT_EQ(run.result, 0) << run.error;
    OutPattern out = ParseOutput(run.output);
    ASSERT_EQ(out.entities.size(), 3u);
    EXPECT_EQ(out.entities[0].points.size(), 3u);  // light-weight polyline
    EXPECT_EQ(out.entities[1].points.size(), 4u);  // the spline's control points
    EXPECT_TRUE(HasSegment(out, {11, 0}, {12, 2}));
    EXPECT_TRUE(HasSegment(out, {20, 2}, {21, 2}));  // the line on "Quilt Border"
}

}  // namespace
