#include "layout/view_gestures.h"

#include <cmath>
#include <cstdlib>

#include "base/application_state.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"

PadGeometry PadForIconStyle(int iconStyle) {
    return iconStyle == 1 ? PadGeometry{50, 10} : PadGeometry{32, 5};
}

void PadCentre(int W, int H, const PadGeometry& pad, int* cx, int* cy) {
    *cx = static_cast<int>(W - (1.5 * pad.s + 2 * pad.g));
    *cy = static_cast<int>(H - (1.5 * pad.s + 2 * pad.g));
}

//            Up
//      Left  OK  Right        each image s x s, g pixels apart,
//           Down              centred on (cx, cy)
bool PadImageOrigin(PadButton button, int W, int H, const PadGeometry& pad, int* x, int* y) {
    int cx = 0, cy = 0;
    PadCentre(W, H, pad, &cx, &cy);
    const int half = pad.s / 2;
    const int before = static_cast<int>(1.5 * pad.s + pad.g);  // centre to the far edge
    const int after = static_cast<int>(0.5 * pad.s + pad.g);   // centre to the near edge
    switch (button) {
        case kPadOk:
            *x = cx - half, *y = cy - half;
            return true;
        case kPadLeft:
            *x = cx - before, *y = cy - half;
            return true;
        case kPadRight:
            *x = cx + after, *y = cy - half;
            return true;
        case kPadUp:
            *x = cx - half, *y = cy - before;
            return true;
        case kPadDown:
            *x = cx - half, *y = cy + after;
            return true;
        default:
            return false;
    }
}

bool InsidePad(double x, double y, int W, int H, const PadGeometry& pad) {
    int cx = 0, cy = 0;
    PadCentre(W, H, pad, &cx, &cy);
    const double reach = 1.5 * pad.s + pad.g;
    return cx - reach < x && x < cx + reach && cy - reach < y && y < cy + reach;
}

PadButton PadButtonAt(double x, double y, int W, int H, const PadGeometry& pad) {
    for (PadButton b : {kPadUp, kPadDown, kPadLeft, kPadRight, kPadOk}) {
        int left = 0, top = 0;
        PadImageOrigin(b, W, H, pad, &left, &top);
        if (x >= left && x < left + pad.s && y >= top && y < top + pad.s) return b;
    }
    return kPadNone;
}

int EditButtonAt(double x, double y, int W, int H) {
    const double mx = W / 2, my = H / 2;
    if (H - 40 < y && y < H - 8) {
        if (mx - 72 < x && x < mx - 40) return 1;
        if (mx - 16 < x && x < mx + 16) return 2;
        if (mx + 40 < x && x < mx + 72) return 3;
    }
    if (W - 32 < x && x < W) {
        if (my + 12 < y && y < my + 44) return 4;
        if (my - 44 < y && y < my - 12) return 5;
    }
    return 0;
}

bool EditButtonOrigin(int n, int W, int H, int* x, int* y) {
    switch (n) {
        case 1:
            *x = W / 2 - 72, *y = H - 40;
            return true;
        case 2:
            *x = W / 2 - 16, *y = H - 40;
            return true;
        case 3:
            *x = W / 2 + 40, *y = H - 40;
            return true;
        case 4:
            *x = W - 32, *y = H / 2 + 12;
            return true;
        case 5:
            *x = W - 32, *y = H / 2 - 44;
            return true;
        default:
            return false;
    }
}

LongPressStep LongPressTick(int ticks, bool held, int drift, uint32_t menuMask) {
    if (ticks >= kLongPressTicks && held && drift <= kLongPressDrift && menuMask != 0)
        return kLongPressMatured;
    if (ticks <= kLongPressMaxTicks && held && drift < kLongPressCancelDrift)
        return ticks == 2 ? kLongPressBusy : kLongPressWait;
    return kLongPressCancelled;
}

SwipeResult ClassifySwipe(double dx, double dy, int64_t elapsedMs, int mode) {
    if (mode == kModeSpeed) return kNotASwipe;
    const double ms = elapsedMs > 0 ? static_cast<double>(elapsedMs) : 1.0;
    const double travel = std::abs(static_cast<double>(static_cast<int>(dx)));
    if (static_cast<long long>(travel / ms * 1000.0) <= kSwipeSpeed) return kNotASwipe;
    if (-kSwipeMaxRise < dy && dy < kSwipeMaxRise) return dx < 0 ? kSwipeNextBox : kSwipePrevBox;
    return kSwipeNoChange;
}

int CornerArrowStep(double pressX, double pressY, double releaseX, double releaseY, int W,
                    const PadGeometry& pad, int mode) {
    if (mode == kModeSpeed || pressY >= pad.s || releaseY >= pad.s) return 0;
    const double right = W - 2 * pad.g - pad.s;
    const double left = 2 * pad.g + pad.s;
    if (pressX > right && releaseX > right) return 1;
    if (pressX < left && releaseX < left) return -1;
    return 0;
}

int StepPatternBox(int direction) {
    const int current = CurrentPatternBox();
    if (direction > 0) {
        if (current > kPatternBoxSlots - 2 || !GetPatternBox(current + 1)) return 0;
        SetCurrentPatternBox(current + 1);
        return 1;
    }
    if (direction < 0) {
        if (current <= 0 || !GetPatternBox(current - 1)) return 0;
        SetCurrentPatternBox(current - 1);
        return 1;
    }
    return 0;
}

int MoveForMode(int mode, float dx, float dy) {
    if (mode == kModeMoveAll) {
        if (!patternLayout) return 0;
        MoveLayoutAll(dx, dy);
        return 1;
    }
    if (mode != kModeMoveSelected || !SelectedNode()) return 0;
    LayoutNode* selected = SelectedNode();
    // A selection whose placement has been removed meanwhile moves nothing.
    LayoutNode* found = patternLayout;
    while (found && found != selected)
        found = found->next;
    if (!found) return 0;
    if (selected->arrayIndex < 0) {
        MoveLayoutPattern(selected, dx, dy);
        return 1;
    }
    for (LayoutNode* n = patternLayout; n; n = n->next)
        if (n->arrayIndex == selected->arrayIndex) MoveLayoutPattern(n, dx, dy);
    return 1;
}

void PadMove(PadButton button, float increment, float* dx, float* dy) {
    *dx = 0;
    *dy = 0;
    switch (button) {
        case kPadUp:
            *dy = -increment;
            break;
        case kPadDown:
            *dy = increment;
            break;
        case kPadLeft:
            *dx = -increment;
            break;
        case kPadRight:
            *dx = increment;
            break;
        default:
            break;
    }
}
