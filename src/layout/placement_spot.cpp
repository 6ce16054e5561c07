#include "layout/placement_spot.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "base/log.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "pattern/pattern.h"
#include "pattern/pattern_transform.h"

namespace {

struct Rect {
    float x, y, w, h;
};

// Rectangles that only touch along an edge do not overlap; a small margin
// absorbs the rounding of float positions.
constexpr float kTouchInches = 0.001f;

bool Overlap(const Rect& a, const Rect& b) {
    return a.x + kTouchInches < b.x + b.w && b.x + kTouchInches < a.x + a.w &&
           a.y + kTouchInches < b.y + b.h && b.y + kTouchInches < a.y + a.h;
}

}  // namespace

void NewPlacementSpot(int box, float width, float height, float* x, float* y) {
    *x = 0;
    *y = 0;
    const PatternBox* pb = GetPatternBox(box);
    if (!pb) return;
    std::vector<Rect> placed;
    for (const LayoutNode* n = patternLayout; n; n = n->next) {
        const Pattern* p = n->boxIndex == box ? GetPattern(n->patternIndex) : nullptr;
        if (p) placed.push_back({n->x, n->y, p->width, p->height});
    }
    std::vector<Rect> spots{{0, 0, width, height}};
    for (const Rect& r : placed) {
        spots.push_back({r.x + r.w, r.y, width, height});
        spots.push_back({r.x, r.y + r.h, width, height});
    }
    std::stable_sort(spots.begin(), spots.end(), [](const Rect& a, const Rect& b) {
        return a.y != b.y ? a.y < b.y : a.x < b.x;
    });
    for (const Rect& s : spots) {
        if (s.x < 0 || s.y < 0 || s.x + s.w > pb->width + kTouchInches ||
            s.y + s.h > pb->height + kTouchInches)
            continue;
        if (std::any_of(placed.begin(), placed.end(), [&](const Rect& r) { return Overlap(s, r); }))
            continue;
        *x = s.x;
        *y = s.y;
        return;
    }
}

int AddPatternToCurrentBox(const char* path) {
    if (!path) return 0;
    const int slot = GetNextPattern();
    if (slot < 0) {
        ShowMessage(kMessageInfo, kButtonsOk,
                    "MAXIMUM PATTERN COUNT EXCEEDED.\nPLEASE LINK YOUR PATTERNS TO CREATE MORE "
                    "SPACE.");
        return 0;
    }
    PatternBox* box = GetPatternBox(CurrentPatternBox());
    if (!box) {
        Log("No pattern box to place %s in\n", path);
        return 0;
    }
    std::unique_ptr<Pattern> pattern = newPattern(path, 0);
    if (!pattern) {
        ShowMessage(kMessageError, kButtonsOk, "COULD NOT OPEN PATTERN FILE.");
        return 0;
    }
    pattern->angle = static_cast<int>(box->angle);
    RotatePattern(pattern.get(), static_cast<float>(pattern->angle));
    // Beside the patterns already in the box, not on top of them.
    float x = 0, y = 0;
    NewPlacementSpot(CurrentPatternBox(), pattern->width, pattern->height, &x, &y);
    if (!AddPatternToList(slot, std::move(pattern))) return 0;
    // The image is drawn by the view at its scale; redrawing every pattern
    // here would cost a full refresh per added pattern.
    NewPatternLayoutNode(slot, -1, 0, x, y);
    Log("Placed %s in slot %d, box %d\n", path, slot, CurrentPatternBox());
    return 1;
}
