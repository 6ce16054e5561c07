// The stitch path against the quilt area. See quilt_area_check.h.
#include "machine/stitching/quilt_area_check.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "layout/pattern_box.h"
#include "machine/stitching/stitch_path.h"

namespace {

// One edge of the area: a point on it and its outward unit normal.
struct Edge {
    double x, y;    // inches
    double nx, ny;  // outward, length 1
    QuiltAreaSide side;
};

QuiltAreaSide SideOf(double nx, double ny) {
    if (std::fabs(nx) >= std::fabs(ny)) return nx < 0 ? kSideLeft : kSideRight;
    return ny < 0 ? kSideBack : kSideFront;  // y grows toward the front of the table
}

// The edges with their outward normals; none for an area without surface.
std::vector<Edge> EdgesOf(const PatternBox& area) {
    const std::vector<PatternBoxPoint>& c = area.cornerStore;
    std::vector<Edge> edges;
    if (c.size() < 3) return edges;
    double twiceArea = 0;  // positive when the corners turn counter-clockwise (y up)
    for (size_t i = 0; i < c.size(); i++) {
        const PatternBoxPoint& a = c[i];
        const PatternBoxPoint& b = c[(i + 1) % c.size()];
        twiceArea += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
    }
    if (twiceArea == 0) return edges;
    const double turn = twiceArea > 0 ? 1 : -1;
    for (size_t i = 0; i < c.size(); i++) {
        const PatternBoxPoint& a = c[i];
        const PatternBoxPoint& b = c[(i + 1) % c.size()];
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double length = std::hypot(dx, dy);
        if (length == 0) continue;
        const double nx = turn * dy / length, ny = -turn * dx / length;
        edges.push_back({a.x, a.y, nx, ny, SideOf(nx, ny)});
    }
    return edges;
}

// Inches of a path position (thousandths of an inch) beyond the edge's line;
// negative on the inner side.
float Beyond(const Edge& e, float x, float y) {
    return static_cast<float>((x / kPathUnitsPerInch - e.x) * e.nx +
                              (y / kPathUnitsPerInch - e.y) * e.ny);
}

}  // namespace

bool PathOverrun::Outside() const {
    for (float side : inches)
        if (side > 0) return true;
    return false;
}

QuiltAreaOverrun QuiltAreaOverrunAt(const PatternBox& area, float x, float y) {
    QuiltAreaOverrun farthest;
    for (const Edge& e : EdgesOf(area)) {
        const float beyond = Beyond(e, x, y);
        if (beyond > farthest.inches) farthest = {beyond, e.side};
    }
    return farthest;
}

PathOverrun CheckPathInQuiltArea(const FullPattern_t* first, const PatternBox& area,
                                 float tolerance) {
    PathOverrun overrun;
    const std::vector<Edge> edges = EdgesOf(area);
    for (const FullPattern_t* p = first; p && !edges.empty(); p = p->next()) {
        for (const Edge& e : edges) {
            const float beyond = Beyond(e, p->x, p->y);
            if (beyond > tolerance && beyond > overrun.inches[e.side])
                overrun.inches[e.side] = beyond;
        }
    }
    return overrun;
}

std::string DescribePathOverrun(const PathOverrun& overrun, const char* separator) {
    static const char* const kSideNames[kQuiltAreaSides] = {"BACK", "FRONT", "LEFT", "RIGHT"};
    std::string text;
    for (int side = 0; side < kQuiltAreaSides; side++) {
        if (overrun.inches[side] <= 0) continue;
        char part[64];
        std::snprintf(part, sizeof part, "%0.3f IN. BEYOND THE %s EDGE", overrun.inches[side],
                      kSideNames[side]);
        if (!text.empty()) text += separator;
        text += part;
    }
    return text;
}
