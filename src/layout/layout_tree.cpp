#include "layout/layout_tree.h"

#include <cmath>
#include <vector>

#include "base/application_state.h"
#include "base/log.h"
#include "layout/layout_selection.h"
#include "pattern/pattern.h"

LayoutNode* patternLayout = nullptr;
std::unique_ptr<ArrayNode> Arrays[kArraySlots];

namespace {

constexpr float kRunningMin = 99999.0f;
constexpr float kRunningMax = -99999.0f;
constexpr double kRadiansPerDegree = 0.017453292519944444;

struct Span {
    float minX = kRunningMin, minY = kRunningMin, maxX = kRunningMax, maxY = kRunningMax;
    bool empty = true;
};

Span CurrentBoxSpan() {
    Span span;
    const int box = CurrentPatternBox();
    for (const LayoutNode* n = patternLayout; n; n = n->next) {
        if (n->boxIndex != box) continue;
        const Pattern* p = GetPattern(n->patternIndex);
        const float w = p ? p->width : 0;
        const float h = p ? p->height : 0;
        span.minX = std::min(span.minX, n->x);
        span.minY = std::min(span.minY, n->y);
        span.maxX = std::max(span.maxX, n->x + w);
        span.maxY = std::max(span.maxY, n->y + h);
        span.empty = false;
    }
    return span;
}

// Turns (x, y) about (cx, cy) by the angle in radians, in polar form.
void Turn(float x, float y, float cx, float cy, double radians, float* outX, float* outY) {
    double dx = x - cx, dy = y - cy;
    double radius = std::sqrt(dx * dx + dy * dy);
    double direction = std::atan2(dy, dx) + radians;
    *outX = static_cast<float>(cx + radius * std::cos(direction));
    *outY = static_cast<float>(cy + radius * std::sin(direction));
}

// Unloads the pattern of a slot: every slot holding the same pattern is emptied.
void UnloadPattern(const Pattern* pattern, bool firstNode) {
    for (int s = 0; s < kPatternSlots; s++) {
        if (GetPattern(s) != pattern) continue;
        if (firstNode) LogLine("remove pattern");
        RemovePatternFromList(s);
    }
}

}  // namespace

LayoutNode* AppendLayoutNode(int patternIndex, int arrayIndex, int parent, float x, float y,
                             int boxIndex) {
    auto* node = new LayoutNode;
    node->patternIndex = patternIndex;
    node->arrayIndex = arrayIndex;
    node->parent = parent;
    node->x = x;
    node->y = y;
    node->source = node;
    node->boxIndex = boxIndex;
    if (!patternLayout) {
        patternLayout = node;
    } else {
        LayoutNode* last = patternLayout;
        while (last->next)
            last = last->next;
        last->next = node;
    }
    return node;
}

LayoutNode* NewPatternLayoutNode(int patternIndex, int arrayIndex, int parent, float x, float y) {
    return AppendLayoutNode(patternIndex, arrayIndex, parent, x, y, CurrentPatternBox());
}

LayoutNode* CopyLayoutNode(const LayoutNode* node) {
    if (!node) return nullptr;
    auto* copy = new LayoutNode;
    copy->patternIndex = node->patternIndex;
    copy->arrayIndex = node->arrayIndex;
    copy->parent = node->parent;
    copy->x = node->x;
    copy->y = node->y;
    copy->source = node->source;
    copy->boxIndex = 0;
    copy->next = nullptr;
    return copy;
}

void FreeDetachedLayoutNode(LayoutNode* node) {
    delete node;
}

void RemoveLayoutNode(LayoutNode* node) {
    if (!node) return;
    LayoutNode* previous = nullptr;
    LayoutNode* n = patternLayout;
    while (n && n != node) {
        previous = n;
        n = n->next;
    }
    if (!n) return;
    const bool first = previous == nullptr;
    if (first)
        patternLayout = node->next;
    else
        previous->next = node->next;

    const Pattern* pattern = GetPattern(node->patternIndex);
    bool stillUsed = false;
    for (const LayoutNode* other = patternLayout; other; other = other->next)
        if (GetPattern(other->patternIndex) == pattern) stillUsed = true;
    if (SelectedNode() == node) SetSelectedNode(nullptr);
    delete node;

    if (first) {
        LogLine("Pattern 2");
        if (!stillUsed && pattern) UnloadPattern(pattern, true);
    } else {
        LogLine("Pattern 1");
        if (stillUsed || !pattern) {
            LogLine("Pattern will not be removed from list");
        } else {
            LogLine("Remove pattern from list");
            UnloadPattern(pattern, false);
        }
    }
}

void ClearLayout() {
    while (patternLayout) {
        LayoutNode* next = patternLayout->next;
        delete patternLayout;
        patternLayout = next;
    }
    SetSelectedNode(nullptr);
}

int CountLayoutNodes(int box) {
    int count = 0;
    for (const LayoutNode* n = patternLayout; n; n = n->next)
        if (box < 0 || n->boxIndex == box) count++;
    return count;
}

LayoutNode* GetParentNode(const LayoutNode* node) {
    if (!node) return nullptr;
    for (LayoutNode* n = patternLayout; n; n = n->next)
        if (n->arrayIndex == node->arrayIndex && n->parent == 1) return n;
    return nullptr;
}

std::vector<LayoutNode*> ArrayMembers(int array) {
    std::vector<LayoutNode*> members;
    for (LayoutNode* n = patternLayout; n; n = n->next)
        if (n->arrayIndex == array) members.push_back(n);
    return members;
}

void MoveLayoutAll(float dx, float dy) {
    const int box = CurrentPatternBox();
    for (LayoutNode* n = patternLayout; n; n = n->next) {
        if (n->boxIndex != box) continue;
        n->x += dx;
        n->y += dy;
    }
}

void MoveLayoutPattern(LayoutNode* node, float dx, float dy) {
    if (!node) return;
    node->x += dx;
    node->y += dy;
}

void GetLayoutDimensions(float* width, float* height) {
    Span s = CurrentBoxSpan();
    *width = s.empty ? -1 : s.maxX - s.minX;
    *height = s.empty ? -1 : s.maxY - s.minY;
}

void GetLayoutCenter(float* x, float* y) {
    Span s = CurrentBoxSpan();
    *x = s.empty ? 0 : (s.maxX - s.minX) / 2 + s.minX;
    *y = s.empty ? 0 : (s.maxY - s.minY) / 2 + s.minY;
}

void GetLayoutOrigin(float* x, float* y) {
    Span s = CurrentBoxSpan();
    *x = s.empty ? 0 : s.minX;
    *y = s.empty ? 0 : s.minY;
}

void RotateLayout(const LayoutNode* node, float cx, float cy, float angle) {
    if (!node || node->arrayIndex < 0) return;
    const double radians = angle * kRadiansPerDegree;
    const Pattern* p = GetPattern(node->patternIndex);
    const float w = p ? p->width : 0;
    const float h = p ? p->height : 0;

    float minX = kRunningMin, minY = kRunningMin, maxX = kRunningMax, maxY = kRunningMax;
    for (const LayoutNode* n = patternLayout; n; n = n->next) {
        if (n->arrayIndex != node->arrayIndex) continue;
        float tx, ty;
        Turn(n->x, n->y, cx, cy, radians, &tx, &ty);
        minX = std::min(minX, tx);
        minY = std::min(minY, ty);
        maxX = std::max(maxX, tx + w);
        maxY = std::max(maxY, ty + h);
    }
    const float mx = maxX + (maxX - minX) / -2;
    const float my = maxY + (maxY - minY) / -2;
    const float shiftX = mx - cx, shiftY = my - cy;
    const int array = node->arrayIndex;
    for (LayoutNode* n = patternLayout; n; n = n->next) {
        if (n->arrayIndex != array) continue;
        float tx, ty;
        Turn(n->x, n->y, cx, cy, radians, &tx, &ty);
        n->x = tx - shiftX;
        n->y = ty - shiftY;
    }
}

void InitArrays() {
    for (auto& slot : Arrays)
        slot.reset();
}

int NewArrayNode(int down, float spacingDown, int across, float spacingAcross) {
    for (int i = 0; i < kArraySlots; i++) {
        if (Arrays[i]) continue;
        Arrays[i] =
            std::make_unique<ArrayNode>(ArrayNode{spacingDown, spacingAcross, down, across});
        return i;
    }
    return -1;
}

ArrayNode* GetArrayNode(int slot) {
    if (slot < 0 || slot >= kArraySlots) return nullptr;
    return Arrays[slot].get();
}

void SetArrayNode(int slot, int down, float spacingDown, int across, float spacingAcross) {
    ArrayNode* a = GetArrayNode(slot);
    if (!a) return;
    *a = ArrayNode{spacingDown, spacingAcross, down, across};
}

void RemoveArrayNode(int slot) {
    if (slot < 0 || slot >= kArraySlots) return;
    Arrays[slot].reset();
}

void RefreshPatternPix() {
    InvalidatePatternImages();
}
