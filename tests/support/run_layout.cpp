#include "support/run_layout.h"

#include <cstdio>
#include <memory>

#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "pattern/pattern.h"

namespace {

std::unique_ptr<Pattern> PatternThrough(const Points& points) {
    auto p = std::make_unique<Pattern>();
    for (const auto& [x, y] : points) {
        p->x.push_back(x);
        p->y.push_back(y);
    }
    p->pointCount = static_cast<int>(points.size());
    return p;
}

// The pattern, its size brought up to date, in a free slot (-1: the list is full).
int AddPattern(std::unique_ptr<Pattern> p) {
    UpdatePatternSize(p.get());
    const int slot = GetNextPattern();
    return AddPatternToList(slot, std::move(p)) == 1 ? slot : -1;
}

}  // namespace

void ResetLayout() {
    ResetLayoutSelection();
    SetCurrentLayoutName("");
    InitPatternBox();
    ClearLayout();
    ClearPatternList();
    InitArrays();
    extents.reset();
}

int LoadPattern(const Points& points) {
    return AddPattern(PatternThrough(points));
}

int LoadPatternLines(const std::vector<const char*>& lines) {
    auto p = std::make_unique<Pattern>();
    for (const char* line : lines)
        addData(p.get(), line, 1);
    return AddPattern(std::move(p));
}

int MakeBox(const Points& corners) {
    const int slot = CreatePatternBox();
    std::vector<QuiltPoint> points;
    for (const auto& [x, y] : corners)
        points.push_back({x, y});
    SetPatternBoxCorners(GetPatternBox(slot), points);
    SetPatternBoxOrigin(GetPatternBox(slot));
    return slot;
}

int MakeRunBox() {
    InitPatternBox();
    ClearLayout();
    ClearPatternList();
    const int box = CreatePatternBox();
    PatternBox* pb = GetPatternBox(box);
    if (!pb) return -1;
    pb->x = pb->y = 1.0f;
    pb->width = pb->height = 20.0f;
    SetCurrentPatternBox(box);
    return box;
}

int PlacePoints(int box, const Points& points, float nodeX, float nodeY,
                const std::vector<int>& stops) {
    auto pattern = PatternThrough(points);
    pattern->name = "line";
    for (int stop : stops) {
        pattern->commandType.push_back(PatternCommandType::Stop);
        pattern->commandPoint.push_back(stop);
    }
    pattern->commandCount = static_cast<int>(stops.size());
    const int slot = AddPattern(std::move(pattern));
    if (slot >= 0) AppendLayoutNode(slot, -1, 0, nodeX, nodeY, box);
    return slot;
}

int LoadPoints(const Points& points) {
    auto p = std::make_unique<Pattern>();
    p->name = "test";
    for (const auto& [x, y] : points) {
        char line[64];
        snprintf(line, sizeof line, "p X%.3f Y%.3f", x, y);
        addData(p.get(), line, 0);
    }
    UpdatePatternSize(p.get());
    OffsetPattern(p.get(), p->minX, p->minY);
    UpdatePatternSize(p.get());
    p->baseWidth = p->width;
    p->baseHeight = p->height;
    return AddPattern(std::move(p));
}

int MakeRectBox(float x, float y, float w, float h) {
    const int slot = CreatePatternBox();
    PatternBox* box = GetPatternBox(slot);
    if (!box) return -1;
    AddPatternBoxPoint(box, x, y, 1, 0);
    AddPatternBoxPoint(box, x, y + h, 0, 0);
    AddPatternBoxPoint(box, x + w, y + h, 0, 0);
    AddPatternBoxPoint(box, x + w, y, 0, 0);
    SetPatternBoxOrigin(box);
    SetCurrentPatternBox(slot);
    return slot;
}

Points LinePoints(int n, float x0, float y0, float dx, float dy) {
    Points points;
    for (int i = 0; i < n; i++)
        points.emplace_back(x0 + dx * i, y0 + dy * i);
    return points;
}

FullPattern_t* MakePath(const std::vector<PathPointSpec>& points) {
    FullPattern_t* first = NewFullPattern(static_cast<long>(points.size()));
    for (size_t i = 0; i < points.size(); i++) {
        first[i].x = points[i].x;
        first[i].y = points[i].y;
        first[i].halt = static_cast<uint8_t>(points[i].halt);
    }
    return first;
}
