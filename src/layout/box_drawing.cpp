#include "layout/box_drawing.h"

#include <algorithm>
#include <cmath>

#include "base/log.h"

void SetRectangleBox(PatternBox* box, const std::vector<QuiltPoint>& corners, QuiltPoint a,
                     QuiltPoint b) {
    SetPatternBoxCorners(box, corners);
    box->x = std::min(a.x, b.x);
    box->y = std::min(a.y, b.y);
    box->width = std::fabs(a.x - b.x);
    box->height = std::fabs(a.y - b.y);
    box->count = 4;
    box->angle = 0;
}

bool PressBoxCorner(PatternBox& drawing, QuiltPoint head, bool finish) {
    const int confirmed = std::max(drawing.count - 1, 0);
    RemoveLastPatternBoxPoint(&drawing);
    // Finishing where the last corner was pressed closes the box there: the
    // same corner twice would make a zero-length edge that reads as a crossing.
    const PatternBoxPoint* last = confirmed > 0 ? &drawing.cornerStore.back() : nullptr;
    const bool same = finish && last && std::fabs(last->x - head.x) <= kSameCornerInches &&
                      std::fabs(last->y - head.y) <= kSameCornerInches;
    const bool added = same || AddPatternBoxPoint(&drawing, head.x, head.y, 0, 1);
    // CHECK finishes the box: its closing edge must not cross it either.
    if (!added || (finish && !ClosingEdgeIsClear(&drawing))) {
        if (!added) AddPatternBoxPoint(&drawing, head.x, head.y, 0, 0);  // back as the live corner
        return false;
    }
    if (!finish) AddPatternBoxPoint(&drawing, head.x, head.y, 0, 0);
    return true;
}

const char* FinishDrawnBox(const PatternBox& drawing, std::unique_ptr<PatternBox>& box) {
    if (drawing.count <= 1) return kNoBoxCorners;
    if (drawing.count > 2) {
        if (!box) return nullptr;
        LogLine("Remove Current Pattern Box");
        LogLine("Copy Pattern Box");
        box = CopyPatternBox(&drawing);
        SetPatternBoxOrigin(box.get());
        return nullptr;
    }
    const PatternBoxPoint& first = drawing.cornerStore[0];
    const PatternBoxPoint& second = drawing.cornerStore[1];
    const int angle = static_cast<int>(GetAngle(&first.x, &second.x) * 1000.0f);
    Log("the line has an angle of %d\n", angle);
    if (angle == 0 || angle == 1570 || angle == -1570 || angle == 3141 || angle == -3141)
        return kNoBoxFromCorners;
    const QuiltPoint p0{first.x, first.y}, p1{second.x, second.y};
    QuiltPoint a{p1.x, p0.y}, b{p0.x, p1.y};
    if ((p0.y < p1.y && p0.x < p1.x) || (p0.y > p1.y && p0.x > p1.x)) {
        a = {p0.x, p1.y};
        b = {p1.x, p0.y};
    }
    if (box) SetRectangleBox(box.get(), {p0, a, p1, b}, p0, p1);
    return nullptr;
}

float MoveLiveCorner(PatternBox& drawing, QuiltPoint head) {
    if (drawing.cornerStore.empty()) return 0;
    PatternBoxPoint& live = drawing.cornerStore.back();
    const float moved = std::max(std::fabs(live.x - head.x), std::fabs(live.y - head.y));
    live.x = head.x;
    live.y = head.y;
    if (drawing.count < 2) {
        drawing.x = head.x;
        drawing.y = head.y;
    }
    return moved;
}
