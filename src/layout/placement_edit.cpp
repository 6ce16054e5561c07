// Edits of one placement and its array. See placement_edit.h.
#include "layout/placement_edit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/application_state.h"
#include "base/log.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/scale_preview.h"
#include "layout/view_transform.h"
#include "pattern/pattern.h"
#include "pattern/pattern_transform.h"

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
// Entries show three decimals: a typed value within half a thousandth of the
// shown one is the same value.
constexpr float kEntryResolution = 0.0005f;

bool Differs(float a, float b) {
    return std::fabs(a - b) > kEntryResolution;
}

}  // namespace

int PlacementRotationCentre(const LayoutNode* node, float* cx, float* cy) {
    if (!node) return 0;
    const Pattern* p = GetPattern(node->patternIndex);
    if (!p) return 0;
    if (node->arrayIndex < 0) {
        *cx = p->width / 2;
        *cy = p->height / 2;
        return 1;
    }
    // The placement is a member itself: the span is never empty.
    const PlacementSpan s = SpanOfPlacements(ArrayMembers(node->arrayIndex));
    *cx = s.CentreX();
    *cy = s.CentreY();
    return 1;
}

int RotatePlacement(LayoutNode* node, float angle) {
    if (!node) return 0;
    Pattern* p = GetPattern(node->patternIndex);
    if (!p) return 0;
    float cx = 0, cy = 0;
    PlacementRotationCentre(node, &cx, &cy);
    std::optional<CentreShift> shift = RotatePattern(p, angle);
    if (!shift) return 0;
    if (node->arrayIndex < 0) {
        node->x += shift->dx;
        node->y += shift->dy;
    }
    RotateLayout(node, cx, cy, angle);
    return 1;
}

int ApplyRotateAngle(LayoutNode* node, double answer) {
    if (!(answer > 0)) return 0;
    if (!node) return 0;
    Pattern* p = GetPattern(node->patternIndex);
    if (!p) return 0;
    p->angle += static_cast<int>(answer);
    if (p->angle > 360) p->angle -= 360;
    return RotatePlacement(node, static_cast<float>(answer));
}

void RotateFullPattern(float alpha) {
    const int box = CurrentPatternBox();
    const float degrees = static_cast<float>(alpha * kDegreesPerRadian);
    // Collect first: turning an array moves its members, never the list order.
    std::vector<LayoutNode*> tops;
    for (LayoutNode* n = patternLayout; n; n = n->next) {
        if (n->boxIndex != box) continue;
        if (n->arrayIndex >= 0 && n->parent != 1) continue;
        tops.push_back(n);
    }
    // A pattern shown by several placements is turned once; the others only
    // take the same centre shift.
    std::vector<std::pair<const Pattern*, CentreShift>> turned;
    for (LayoutNode* n : tops) {
        const Pattern* p = GetPattern(n->patternIndex);
        auto done =
            std::find_if(turned.begin(), turned.end(), [p](const auto& t) { return t.first == p; });
        if (done != turned.end() && n->arrayIndex < 0) {
            n->x += done->second.dx;
            n->y += done->second.dy;
            continue;
        }
        const float w0 = p ? p->width : 0, h0 = p ? p->height : 0;
        RotatePlacement(n, degrees);
        if (p) turned.push_back({p, CentreShift{w0 / 2 - p->width / 2, h0 / 2 - p->height / 2}});
    }
}

int ScalePlacement(LayoutNode* node, float pw, float ph) {
    if (!node || !(pw > 0) || !(ph > 0)) return 0;
    Pattern* p = GetPattern(node->patternIndex);
    if (!p) return 0;
    PlacementSpan before;
    if (node->arrayIndex >= 0) before = SpanOfPlacements(ArrayMembers(node->arrayIndex));
    float sx = 0, sy = 0;
    if (pw != 100) sx = stretchPattern(p, 'x', pw / 100, nullptr);
    if (ph != 100) sy = stretchPattern(p, 'y', ph / 100, nullptr);
    if (node->arrayIndex < 0) {
        node->x -= sx;
        node->y -= sy;
        return 1;
    }
    for (LayoutNode* n = patternLayout; n; n = n->next) {
        if (n->arrayIndex != node->arrayIndex) continue;
        n->x = n->x * pw / 100 - sx;
        n->y = n->y * ph / 100 - sy;
    }
    const PlacementSpan after = SpanOfPlacements(ArrayMembers(node->arrayIndex));
    const float dx = before.CentreX() - after.CentreX();
    const float dy = before.CentreY() - after.CentreY();
    MovePlacementOrArray(node, dx, dy);
    return 1;
}

void MovePlacementOrArray(LayoutNode* node, float dx, float dy) {
    if (!node) return;
    if (node->arrayIndex < 0) {
        MoveLayoutPattern(node, dx, dy);
        return;
    }
    for (LayoutNode* n = patternLayout; n; n = n->next)
        if (n->arrayIndex == node->arrayIndex) MoveLayoutPattern(n, dx, dy);
}

void RemovePlacementOrArray(LayoutNode* node) {
    if (!node) return;
    const int array = node->arrayIndex;
    if (array >= 0) {
        LayoutNode* n = patternLayout;
        while (n) {
            LayoutNode* next = n->next;
            if (n != node && n->arrayIndex == array) RemoveLayoutNode(n);
            n = next;
        }
        RemoveArrayNode(array);
    }
    RemoveLayoutNode(node);
}

LayoutNode* NextPlacement(int x, int y, const LayoutNode* current, int* skip) {
    const int array = current ? current->arrayIndex : -1;
    Log("Array = %d\n", array);
    LayoutNode* next = nullptr;
    if (array < 0) {
        ++*skip;
        next = GetClosestPattern(x, y, *skip);
    } else {
        do {
            ++*skip;
            next = GetClosestPattern(x, y, *skip);
        } while (next && next->arrayIndex == array);
    }
    if (!next) {
        *skip = 0;
        next = GetClosestPattern(x, y, 0);
    }
    LogLine("Done");
    return next;
}

int GetPlacementProperties(const LayoutNode* node, PlacementProperties* out) {
    *out = PlacementProperties{};
    if (!node) return 0;
    const Pattern* p = GetPattern(node->patternIndex);
    if (!p || p->pointCount < 1) return 0;
    const PatternBox* box = GetPatternBox(CurrentPatternBox());
    const float bx = box ? box->x : 0, by = box ? box->y : 0;
    out->startX = node->x + p->x[0];
    out->startY = node->y + p->y[0];
    out->actualX = bx + out->startX;
    out->actualY = by + out->startY;
    out->width = p->width;
    out->height = p->height;
    return 1;
}

int ApplyPlacementProperties(LayoutNode* node, const PlacementProperties& shown, float newStartX,
                             float newStartY, float newWidth, float newHeight, int moveAll) {
    if (!node) return 0;
    Pattern* p = GetPattern(node->patternIndex);
    if (!p || p->pointCount < 1) return 0;
    const bool resize = Differs(newWidth, shown.width) || Differs(newHeight, shown.height);
    if (resize && !moveAll) {
        // A pattern without width or height cannot be stretched to a size.
        if (!(newWidth > 0) || !(newHeight > 0) || !(p->width > 0) || !(p->height > 0)) return 0;
        const float rx = newWidth / p->width, ry = newHeight / p->height;
        const float dx0 = stretchPattern(p, 'x', rx, nullptr);
        const float dy0 = stretchPattern(p, 'y', ry, nullptr);
        for (LayoutNode* n = patternLayout; n; n = n->next) {
            if (n != node && (node->arrayIndex < 0 || n->arrayIndex != node->arrayIndex)) continue;
            n->x = n->x * rx - dx0;
            n->y = n->y * ry - dy0;
        }
    }

    PlacementProperties now;
    GetPlacementProperties(node, &now);
    const float dx = newStartX - now.startX, dy = newStartY - now.startY;
    if (moveAll) {
        PatternBox* box = GetPatternBox(CurrentPatternBox());
        if (!box) return 1;
        box->x += dx;
        box->y += dy;
        for (PatternBoxPoint* c = box->corners; c; c = c->next) {
            c->x += dx;
            c->y += dy;
        }
        zoomAll = 1;
        return 1;
    }
    Log("Move pattern from ( %0.3f, %0.3f ) to ( %0.3f, %0.3f ) with initial pattern start ( "
        "%0.3f, %0.3f )\n",
        node->x, node->y, node->x + dx, node->y + dy, now.startX, now.startY);
    const float mx = Differs(newStartX, now.startX) ? dx : 0;
    const float my = Differs(newStartY, now.startY) ? dy : 0;
    MovePlacementOrArray(node, mx, my);
    GetPlacementProperties(node, &now);
    Log("After move: Location = ( %0.3f, %0.3f ) with pattern start at ( %0.3f, %0.3f )\n", node->x,
        node->y, now.startX, now.startY);
    return 1;
}
