#include "layout/pattern_box.h"

#include <cmath>

#include "base/application_state.h"
#include "base/log.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"

PatternBoxList patternBoxList;
std::unique_ptr<PatternBox> extents;
std::unique_ptr<PatternBox> pbTemp;

namespace {

constexpr float kRunningMin = 99999.0f;
constexpr float kRunningMax = -99999.0f;

// Re-links the corner list through its store after the store changed.
void Relink(PatternBox* box) {
    std::vector<PatternBoxPoint>& store = box->cornerStore;
    for (size_t i = 0; i < store.size(); i++)
        store[i].next = i + 1 < store.size() ? &store[i + 1] : nullptr;
    box->corners = store.empty() ? nullptr : &store[0];
    box->count = static_cast<int32_t>(store.size());
}

// 1 when the edge from the last corner to n may be added to the open chain.
int NewEdgeIsClear(const PatternBox* box, const float* n) {
    const float* last = &box->cornerStore.back().x;
    for (const PatternBoxPoint* u = box->corners; u && u->next; u = u->next) {
        const float* pu = &u->x;
        const float* pv = &u->next->x;
        if (!Intersect(pu, pv, last, n)) continue;
        // The only harmless contact is the shared corner itself: the edge runs
        // through the last corner and the new edge turns away from it.
        if (!Collinear(pu, pv, last) || Collinear(pu, pv, n)) return 0;
    }
    return 1;
}

// True when a placement still belongs to the array slot.
bool ArrayInUse(int32_t array) {
    for (const LayoutNode* n = patternLayout; n; n = n->next)
        if (n->arrayIndex == array) return true;
    return false;
}

}  // namespace

void InitPatternBox() {
    for (auto& slot : patternBoxList.slots)
        slot.reset();
    patternBoxList.count = 0;
    pbTemp.reset();
    SetCurrentPatternBox(-1);
}

int CreatePatternBox() {
    for (int i = 0; i < kPatternBoxSlots; i++) {
        if (patternBoxList.slots[i]) continue;
        patternBoxList.slots[i] = std::make_unique<PatternBox>();
        patternBoxList.count++;
        return i;
    }
    return -1;
}

PatternBox* NewPatternBoxAtIndex(int slot) {
    if (slot < 0 || slot >= kPatternBoxSlots) return nullptr;
    if (patternBoxList.slots[slot]) RemovePatternBox(slot);
    patternBoxList.slots[slot] = std::make_unique<PatternBox>();
    patternBoxList.count++;
    return patternBoxList.slots[slot].get();
}

PatternBox* GetPatternBox(int slot) {
    if (slot < 0 || slot >= kPatternBoxSlots) return nullptr;
    return patternBoxList.slots[slot].get();
}

int AddPatternBoxPoint(PatternBox* box, float x, float y, int setOrigin, int check) {
    if (!box) return 1;
    const float n[2] = {x, y};
    if (check && box->cornerStore.size() >= 3 && !NewEdgeIsClear(box, n)) return 0;
    if (setOrigin) {
        box->x = x;
        box->y = y;
    }
    if (box->cornerStore.empty()) {
        box->cornerStore.push_back(PatternBoxPoint{0, x, y, nullptr});
        box->x = x;
        box->y = y;
        box->width = 0;
        box->height = 0;
        Relink(box);
        return 1;
    }
    int32_t index = box->cornerStore.back().index + 1;
    box->cornerStore.push_back(PatternBoxPoint{index, x, y, nullptr});
    Relink(box);
    float minX = kRunningMin, minY = kRunningMin, maxX = kRunningMax, maxY = kRunningMax;
    for (const PatternBoxPoint& c : box->cornerStore) {
        minX = std::min(minX, c.x);
        minY = std::min(minY, c.y);
        maxX = std::max(maxX, c.x);
        maxY = std::max(maxY, c.y);
    }
    box->width = maxX - minX;
    box->height = maxY - minY;
    return 1;
}

int ClosingEdgeIsClear(const PatternBox* box) {
    if (!box || box->cornerStore.size() < 3) return 1;
    const std::vector<PatternBoxPoint>& c = box->cornerStore;
    const float* last = &c.back().x;
    const float* first = &c.front().x;
    for (size_t i = 0; i + 1 < c.size(); i++) {
        const float* u = &c[i].x;
        const float* v = &c[i + 1].x;
        if (!Intersect(u, v, last, first)) continue;
        // The edges that meet the closing edge at its own corners touch it
        // there; they only cross it when they run back along it.
        if (i != 0 && i + 2 != c.size()) return 0;
        const float* shared = i == 0 ? u : v;
        const float* other = i == 0 ? v : u;
        const float* far = i == 0 ? last : first;
        if (Between(shared, far, other) || Between(shared, other, far)) return 0;
    }
    return 1;
}

void RemoveLastPatternBoxPoint(PatternBox* box) {
    if (!box || box->cornerStore.empty()) return;
    box->cornerStore.pop_back();
    Relink(box);
}

void ClearPatternBox(PatternBox* box) {
    if (!box) return;
    box->cornerStore.clear();
    Relink(box);
    box->x = box->y = box->width = box->height = box->angle = 0;
}

std::unique_ptr<PatternBox> CopyPatternBox(const PatternBox* box) {
    if (!box) return nullptr;
    auto copy = std::make_unique<PatternBox>();
    for (const PatternBoxPoint* c = box->corners; c; c = c->next)
        AddPatternBoxPoint(copy.get(), c->x, c->y, 0, 0);
    copy->x = box->x;
    copy->y = box->y;
    copy->width = box->width;
    copy->height = box->height;
    copy->angle = box->angle;
    return copy;
}

int CheckPatternBox(const PatternBox* box) {
    if (!box) return 0;
    const std::vector<PatternBoxPoint>& c = box->cornerStore;
    const size_t n = c.size();
    for (size_t i = 0; i < n; i++) {
        if (!Left(&c[(i + n - 1) % n].x, &c[i].x, &c[(i + 1) % n].x)) return 0;
    }
    return 1;
}

void SetPatternBoxOrigin(PatternBox* box) {
    if (!box || !box->corners) return;
    float minX = kRunningMin, minY = kRunningMin, maxX = kRunningMax, maxY = kRunningMax;
    for (const PatternBoxPoint& c : box->cornerStore) {
        minX = std::min(minX, c.x);
        minY = std::min(minY, c.y);
        maxX = std::max(maxX, c.x);
        maxY = std::max(maxY, c.y);
    }
    box->x = minX;
    box->y = minY;
    box->width = maxX - minX;
    box->height = maxY - minY;

    const std::vector<PatternBoxPoint>& q = box->cornerStore;
    if (q.size() >= 2) {
        // The first edge's direction, turned half a turn when the box lies on
        // its left side: a probe one degree past the edge, half its length out,
        // tells which side the box is on.
        double raw =
            std::atan2(static_cast<double>(q[1].y - q[0].y), static_cast<double>(q[1].x - q[0].x));
        double half =
            std::hypot(static_cast<double>(q[1].x - q[0].x), static_cast<double>(q[1].y - q[0].y)) /
            2.0;
        float probe[2] = {static_cast<float>(q[0].x + half * std::cos(raw + 0.017453292)),
                          static_cast<float>(q[0].y + half * std::sin(raw + 0.017453292))};
        double angle = raw;
        if (PointInPolygon(box->corners, probe)) {
            angle += 3.141592654;
            if (angle > 6.283185307) angle -= 6.283185307;
        }
        box->angle = static_cast<float>(angle * 57.29577951);
    }

    if (q.size() >= 4) {
        box->centreX = (maxX - minX) / 2 + minX - box->x;
        box->centreY = (maxY - minY) / 2 + minY - box->y;
    } else if (q.size() == 3) {
        // Centroid: where the median from q0 to the middle of q1–q2 meets the
        // median from q2 to the middle of q0–q1.
        double ax = q[0].x, ay = q[0].y;
        double bx = (q[1].x + q[2].x) / 2.0, by = (q[1].y + q[2].y) / 2.0;
        double cx = q[2].x, cy = q[2].y;
        double dx = (q[0].x + q[1].x) / 2.0, dy = (q[0].y + q[1].y) / 2.0;
        double denominator = (ax - bx) * (cy - dy) - (ay - by) * (cx - dx);
        if (denominator != 0.0) {
            double t = ((ax - cx) * (cy - dy) - (ay - cy) * (cx - dx)) / denominator;
            box->centreX = static_cast<float>(ax + t * (bx - ax));
            box->centreY = static_cast<float>(ay + t * (by - ay));
        }
    }
}

void RemovePatternBox(int slot) {
    if (slot < 0 || slot >= kPatternBoxSlots || !patternBoxList.slots[slot]) return;
    patternBoxList.slots[slot].reset();
    patternBoxList.count--;

    std::vector<int32_t> arrays;  // of the removed placements
    for (LayoutNode* node = patternLayout; node;) {
        LayoutNode* next = node->next;
        if (node->boxIndex == slot) {
            if (node->arrayIndex >= 0) arrays.push_back(node->arrayIndex);
            RemoveLayoutNode(node);
        }
        node = next;
    }
    // An array record whose placements are all gone goes with them.
    for (int32_t array : arrays)
        if (!ArrayInUse(array)) RemoveArrayNode(array);

    for (int s = 0; s < kPatternBoxSlots; s++) {
        if (patternBoxList.slots[s]) continue;
        int t = s + 1;
        while (t < kPatternBoxSlots && !patternBoxList.slots[t])
            t++;
        if (t >= kPatternBoxSlots) break;
        patternBoxList.slots[s] = std::move(patternBoxList.slots[t]);
        for (LayoutNode* node = patternLayout; node; node = node->next)
            if (node->boxIndex == t) node->boxIndex = s;
    }

    SetCurrentPatternBox(std::max(0, CurrentPatternBox() - 1));
}

void BogusExtents() {
    extents = std::make_unique<PatternBox>();
    AddPatternBoxPoint(extents.get(), 0, 0, 1, 0);
    AddPatternBoxPoint(extents.get(), 35, 0, 0, 0);
    AddPatternBoxPoint(extents.get(), 35, 14, 0, 0);
    AddPatternBoxPoint(extents.get(), 0, 14, 0, 0);
    SetPatternBoxOrigin(extents.get());

    // Boxes drawn before hold placements: only an empty table gets the default box.
    if (patternBoxList.count > 0) return;
    auto box = std::make_unique<PatternBox>();
    AddPatternBoxPoint(box.get(), 0, 4, 1, 0);
    AddPatternBoxPoint(box.get(), 3.9f, 8, 0, 0);
    AddPatternBoxPoint(box.get(), 8, 3.9f, 0, 0);
    AddPatternBoxPoint(box.get(), 4, 0, 0, 0);
    SetPatternBoxOrigin(box.get());
    patternBoxList.slots[0] = std::move(box);
    patternBoxList.count = 1;
    SetCurrentPatternBox(0);
}

void SetPatternBoxCorners(PatternBox* box, const std::vector<QuiltPoint>& points) {
    if (!box) return;
    box->cornerStore.clear();
    for (size_t i = 0; i < points.size(); i++)
        box->cornerStore.push_back(
            PatternBoxPoint{static_cast<int32_t>(i), points[i].x, points[i].y, nullptr});
    Relink(box);
}
