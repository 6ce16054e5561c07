// Auto-centre of the current box's placements. See auto_center.h.
#include "layout/placement/auto_center.h"

#include <algorithm>

#include "layout/layout_tree.h"
#include "layout/placement/box_centre.h"
#include "pattern/pattern.h"

namespace {

// The members of the node's array, or the node alone when it has none.
bool SameGroup(const LayoutNode* n, const LayoutNode* node) {
    return n == node || (node->arrayIndex >= 0 && n->arrayIndex == node->arrayIndex);
}

}  // namespace

void AutoCenter(int centreX, int centreY) {
    if (!patternLayout) return;
    float tx, ty;
    if (!CurrentBoxTargetCentre(&tx, &ty)) return;
    float sx, sy;
    GetLayoutCenter(&sx, &sy);
    MoveLayoutAll(centreX == 1 ? tx - sx : 0, centreY == 1 ? ty - sy : 0);
}

void AutoCenterPattern(const LayoutNode* node, int centreX, int centreY) {
    if (!node || !patternLayout) return;
    const Pattern* p = GetPattern(node->patternIndex);
    if (!p) return;
    float tx, ty;
    if (!CurrentBoxTargetCentre(&tx, &ty)) return;
    float minX = 99999.0f, minY = 99999.0f, maxX = -99999.0f, maxY = -99999.0f;
    for (const LayoutNode* n = patternLayout; n; n = n->next) {
        if (!SameGroup(n, node)) continue;
        minX = std::min(minX, n->x);
        minY = std::min(minY, n->y);
        maxX = std::max(maxX, n->x + p->width);
        maxY = std::max(maxY, n->y + p->height);
    }
    const float dx = centreX == 1 ? tx - ((maxX - minX) / 2 + minX) : 0;
    const float dy = centreY == 1 ? ty - ((maxY - minY) / 2 + minY) : 0;
    for (LayoutNode* n = patternLayout; n; n = n->next)
        if (SameGroup(n, node)) MoveLayoutPattern(n, dx, dy);
}
