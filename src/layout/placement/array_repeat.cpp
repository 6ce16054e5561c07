// The Repeat dialog's array. See array_repeat.h.
#include "layout/placement/array_repeat.h"

#include <algorithm>
#include <cmath>

#include "base/log.h"
#include "base/ui_hooks.h"
#include "layout/layout_tree.h"
#include "pattern/pattern.h"

namespace {

constexpr double kPi = 3.141592653589793;

// Position of the repeat in row r, column k of a parent at (px, py).
void RepeatPosition(const Pattern& p, const RepeatSettings& s, float px, float py, int r, int k,
                    float* x, float* y) {
    if (p.angle == 0) {
        *x = px + (p.width + s.spacingAcross) * k;
        *y = py + (p.height + s.spacingDown) * r;
        return;
    }
    // The grid of the unturned pattern, turned about the parent's corner.
    float gx = px + (p.baseWidth + s.spacingAcross) * k;
    float gy = py + (p.baseHeight + s.spacingDown) * r;
    if (gx == px) gx += 0.001f;
    if (gy == py) gy += 0.001f;
    Log("xLoc = %0.3f yLoc = %0.3f\n", gx, gy);
    const double a = gx - px, b = gy - py;
    Log("a = %0.3f b = %0.3f\n", a, b);
    const double rot = p.angle * kPi / 180.0;
    Log("rotate by %0.3f radians\n", rot);
    const double d = std::sqrt(a * a + b * b);
    const double phi = std::atan2(b, a);
    Log("the current angle is %0.3f\n", phi);
    *x = static_cast<float>(px + d * std::cos(phi + rot));
    *y = static_cast<float>(py + d * std::sin(phi + rot));
    Log("xLoc = %0.3f yLoc = %0.3f\n\n", *x, *y);
}

}  // namespace

LayoutNode* ArrayParentOf(LayoutNode* node) {
    if (!node) return nullptr;
    if (node->arrayIndex < 0 || node->parent == 1) return node;
    LayoutNode* parent = GetParentNode(node);
    return parent ? parent : node;
}

RepeatSettings RepeatStartValues(LayoutNode* parent) {
    RepeatSettings s;
    if (!parent || parent->arrayIndex < 0) return s;
    const ArrayNode* a = GetArrayNode(parent->arrayIndex);
    if (!a) {
        parent->arrayIndex = -1;
        return s;
    }
    s.down = a->down;
    s.spacingDown = a->spacingDown;
    s.across = a->across;
    s.spacingAcross = a->spacingAcross;
    return s;
}

int ApplyRepeat(LayoutNode* parent, const RepeatSettings& wanted) {
    if (!parent) return 0;
    const Pattern* p = GetPattern(parent->patternIndex);
    if (!p) return 0;
    RepeatSettings s = wanted;
    s.down = std::clamp(s.down, kRepeatCountMin, kRepeatCountMax);
    s.across = std::clamp(s.across, kRepeatCountMin, kRepeatCountMax);

    int array = parent->arrayIndex;
    if (array >= 0 && !GetArrayNode(array)) array = parent->arrayIndex = -1;
    if (array >= 0) {
        for (LayoutNode* n = patternLayout; n;) {
            LayoutNode* next = n->next;
            if (n != parent && n->arrayIndex == array && n->parent == 0) RemoveLayoutNode(n);
            n = next;
        }
    }
    if (s.down == 1 && s.across == 1) {
        parent->parent = 0;
        if (array >= 0) RemoveArrayNode(array);
        parent->arrayIndex = -1;
        return 1;
    }
    if (array < 0) {
        array = NewArrayNode(s.down, s.spacingDown, s.across, s.spacingAcross);
        if (array < 0) {
            ShowMessage(kMessageError, kButtonsOk, "COULD NOT ADD ARRAY");
            return 0;
        }
    } else {
        SetArrayNode(array, s.down, s.spacingDown, s.across, s.spacingAcross);
    }
    parent->arrayIndex = array;
    parent->parent = 1;
    const float px = parent->x, py = parent->y;
    for (int r = 0; r < s.down; r++) {
        for (int k = 0; k < s.across; k++) {
            if (r == 0 && k == 0) continue;
            float x, y;
            RepeatPosition(*p, s, px, py, r, k, &x, &y);
            AppendLayoutNode(parent->patternIndex, array, 0, x, y, parent->boxIndex);
        }
    }
    return 1;
}
