// Autoscale into the current pattern box. See autoscale.h.
#include "layout/placement/autoscale.h"

#include <algorithm>
#include <cmath>

#include "base/application_state.h"
#include "base/log.h"
#include "base/program_settings.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/placement/array_repeat.h"
#include "layout/placement/box_centre.h"
#include "layout/placement/convex_hull.h"
#include "layout/placement/hull_bounce.h"
#include "pattern/pattern.h"
#include "pattern/pattern_transform.h"

namespace {

constexpr float kPi = 3.1415927f;    // single precision, as the bounce directions are given
constexpr float kStep = 0.05f;       // inches per bounce step
constexpr float kGrowth = 1.005f;    // factor of one growth
constexpr float kPlayShare = 0.75f;  // share of the free play taken at once before the passes
constexpr int kRepeatsToConverge = 5;
constexpr int kAxisRatioLimit = 20;  // the growth steps of one axis are at most 20 × 5
constexpr double kRadiansPerDegree = 0.017453;

// A box polygon and the hull being fitted into it.
struct Fit {
    PointArrayPtr box;
    PointArrayPtr hull;
    int64_t deadline = 0;  // end of the 30-second limit
    int passes = 0;
    bool timedOut = false;
    bool shown = false;  // the hull was published for the view
};

// 1 when Left holds at every corner of a polygon (it is convex and walked the
// right way round).
bool LeftEverywhere(const PointArray* polygon) {
    const guint n = polygon->len;
    if (n < 3) return false;
    for (guint i = 0; i < n; i++) {
        const float* prev = &g_array_index(polygon, PointArrayElement, (i + n - 1) % n).x;
        const float* here = &g_array_index(polygon, PointArrayElement, i).x;
        const float* next = &g_array_index(polygon, PointArrayElement, (i + 1) % n).x;
        if (!Left(prev, here, next)) return false;
    }
    return true;
}

float Bounced(Fit& fit, int mode, int hitLimit, float direction, int rotation, float gx = 1,
              float gy = 1, int growLimit = 1) {
    const Bounce b{.mode = mode,
                   .step = kStep,
                   .hitLimit = hitLimit,
                   .growX = gx,
                   .growY = gy,
                   .direction = direction,
                   .growLimit = growLimit,
                   .rotation = rotation,
                   .deadline = std::min(AutoScaleNowMs() + kBounceTimeLimitMs, fit.deadline)};
    // A bounce that gave up measured nothing: no free play.
    return std::max(0.0f, HullBounce(fit.box.get(), fit.hull.get(), b, nullptr));
}

// Adopts a copy of the hull scaled by (sx, sy) and centred where the hull is,
// when it lies strictly inside the box. Returns true when adopted.
bool TryScaled(Fit& fit, float sx, float sy) {
    const HullBounds b = MeasureHull(fit.hull.get());
    PointArrayPtr trial = CopyHull(fit.hull.get());
    ScaleHull(trial.get(), sx, sy);
    CentreHullOn(trial.get(), b.CentreX(), b.CentreY());
    if (PolygonsOverlap(fit.box.get(), trial.get(), nullptr, 1) != -1) return false;
    fit.hull = std::move(trial);
    return true;
}

// The factor that takes a share of the free play along an axis of the given
// size at once; 1 for an axis without size.
float PlayFactor(float share, float play, float size) {
    return size > 0 ? (share * play + size) / size : 1.0f;
}

// The growth in one go before the passes: three quarters of the free play
// measured along each axis. The free play along one axis is measured where the
// hull stands and holds for the other axis only there, so in a box that
// narrows a copy grown along both axes may not fit; then a smaller share is
// tried, so the passes start from a hull near its size instead of creeping up
// on it by half a percent at a time.
void GrowByFreePlay(Fit& fit, int mode, float freeX, float freeY) {
    const HullBounds b = MeasureHull(fit.hull.get());
    for (float share = kPlayShare; share > 0.05f; share /= 2) {
        float sx = PlayFactor(share, freeX, b.Width()), sy = PlayFactor(share, freeY, b.Height());
        if (mode == kKeepProportions)
            sx = sy = (freeY < freeX && b.Height() > 0) || !(b.Width() > 0) ? sy : sx;
        if (TryScaled(fit, sx, sy)) return;
    }
}

// The passes: both diagonals without growth, then along x and along y with
// growth, until the travel of the growing bounces has settled for more than
// five passes, 40 passes have run or the time is up.
void RunPasses(Fit& fit, int mode, int rotation, float freeX, float freeY) {
    int kx = 1, ky = 1;
    if (mode == kScaleIndependently) {
        if (freeX > freeY)
            kx = freeY > 0 ? static_cast<int>(std::min(freeX / freeY, float(kAxisRatioLimit)))
                           : kAxisRatioLimit;
        else if (freeY > freeX)
            ky = freeX > 0 ? static_cast<int>(std::min(freeY / freeX, float(kAxisRatioLimit)))
                           : kAxisRatioLimit;
    }
    const bool keep = mode == kKeepProportions;
    const int turnHits = keep ? 2 : 1, axisHits = keep ? 5 : 4;
    const int growX = keep ? 3 : 5 * kx, growY = keep ? 3 : 5 * ky;
    long previous = -2, running = 0;
    int repeats = 0;
    for (fit.passes = 0; fit.passes < kAutoScalePassLimit && OperationRunning();) {
        Bounced(fit, kBounceReverse, turnHits, 3 * kPi / 4, rotation);
        Bounced(fit, kBounceReverse, turnHits, 5 * kPi / 4, rotation);
        const float a = Bounced(fit, kBounceAlongX, axisHits, kPi, rotation, kGrowth,
                                keep ? kGrowth : 1.0f, growX);
        const float b = Bounced(fit, kBounceAlongY, axisHits, 3 * kPi / 2, rotation,
                                keep ? kGrowth : 1.0f, kGrowth, growY);
        fit.passes++;
        const int64_t elapsed = AutoScaleNowMs() - (fit.deadline - kAutoScaleTimeLimitMs);
        if (elapsed > kAutoScaleTimeLimitMs) {
            Log("Bounce Timeout after %ld seconds\n", static_cast<long>(elapsed / 1000));
            fit.timedOut = true;
            return;
        }
        const long m = static_cast<long>(1000 * std::sqrt(a * a + b * b));
        running = running == 0 ? m : (running + m) / 2;
        if (running == previous) {
            if (++repeats > kRepeatsToConverge) return;
        } else {
            previous = running;
            repeats = 0;
        }
    }
}

// The target centre in the box polygon: the middle of the box's bounding
// rectangle (before the margin), the centroid of a triangle (after it), and
// the mean of the corners when that lies outside the polygon.
void TargetCentre(const PointArray* polygon, bool triangle, float rectX, float rectY, float* cx,
                  float* cy) {
    *cx = rectX;
    *cy = rectY;
    if (triangle) TriangleCentroid(polygon, cx, cy);
    const float c[2] = {*cx, *cy};
    if (!PIP(polygon, c, nullptr, 0)) BoxTargetCentre(polygon, false, cx, cy);
}

// Fits the hull into the current box: the box checks, the shrink into the
// box, the four measuring bounces and the passes. Returns an AutoScaleResult;
// on kAutoScaleDone fit.hull holds the grown hull.
int FitHull(Fit& fit, int mode, int firstRotation, int passRotation) {
    const PatternBox* box = GetPatternBox(CurrentPatternBox());
    if (!box || !CheckPatternBox(box)) {
        ShowMessage(kMessageError, kButtonsOk, kNotConvexMessage);
        return kAutoScaleBoxNotConvex;
    }
    const int32_t type = GetPolygonType(box->corners);
    fit.box.reset(BoxPolygon(box));
    if (!OperationRunning()) return kAutoScaleCancelled;
    float rectX = 0, rectY = 0, cx = 0, cy = 0;
    PolygonBoundsCentre(fit.box.get(), &rectX, &rectY);
    if (Settings().xMargin != 0) AdjustForMargin(fit.box.get());
    if (type < kPolygonTriangle || type > kPolygonReflex) return kAutoScaleBoxInvalid;
    if (!LeftEverywhere(fit.box.get())) {  // the margin left no box
        ShowMessage(kMessageError, kButtonsOk, kNotConvexMessage);
        return kAutoScaleBoxNotConvex;
    }
    TargetCentre(fit.box.get(), type == kPolygonTriangle, rectX, rectY, &cx, &cy);

    ShowHull(fit.hull.get());
    fit.shown = true;
    // A hull much larger than the box is first brought to the box's size, so
    // the shrinking takes few steps and the coordinates stay small.
    const HullBounds hb = MeasureHull(fit.hull.get());
    const HullBounds bb = MeasureHull(fit.box.get());
    const float over = std::max(hb.Width() / std::max(bb.Width(), 1e-3f),
                                hb.Height() / std::max(bb.Height(), 1e-3f));
    if (over > 1) ScaleHull(fit.hull.get(), 1 / over, 1 / over);
    CentreHullOn(fit.hull.get(), cx, cy);
    const int64_t start = AutoScaleNowMs();
    fit.deadline = start + kAutoScaleTimeLimitMs;
    if (!PatternInBox2(fit.box.get(), fit.hull.get(), nullptr, fit.deadline))
        return OperationRunning() ? kAutoScaleBoxInvalid : kAutoScaleCancelled;

    Bounced(fit, kBounceReverse, 1, 3 * kPi / 4, firstRotation);
    Bounced(fit, kBounceReverse, 1, 5 * kPi / 4, firstRotation);
    const float freeX = Bounced(fit, kBounceAlongX, 1, kPi, firstRotation);
    const float freeY = Bounced(fit, kBounceAlongY, 1, 3 * kPi / 2, firstRotation);
    GrowByFreePlay(fit, mode, freeX, freeY);
    RunPasses(fit, mode, passRotation, freeX, freeY);
    return OperationRunning() ? kAutoScaleDone : kAutoScaleCancelled;
}

// Forgets the shown hull at the end of a run that showed one.
void EndFit(const Fit& fit) {
    if (!fit.shown) return;
    ShowHull(nullptr);
    LogLine("Hull has been removed");
}

void NudgeFromZero(LayoutNode* node) {
    if (node->x == 0) node->x = 0.01f;
    if (node->y == 0) node->y = 0.01f;
}

// Stretches the pattern along x and y by the factors (an axis of factor 1 or
// without size is left).
void Stretch(Pattern* p, float fx, float fy) {
    if (fx != 1 && p->width > 0) stretchPattern(p, 'x', fx, nullptr);
    if (fy != 1 && p->height > 0) stretchPattern(p, 'y', fy, nullptr);
}

float Ratio(float to, float from) {
    return from > 0 ? to / from : 1.0f;
}

// The fitted hull applied to one placement: the pattern stretched in its own
// unturned frame, the placement centred on the hull.
void ApplyToPlacement(LayoutNode* node, Pattern* p, const PointArray* hull, float w0, float h0) {
    const HullBounds b = MeasureHull(hull);
    if (p->angle == 0) {
        Stretch(p, Ratio(b.Width(), w0), Ratio(b.Height(), h0));
    } else {
        // The hull turned back by the pattern's angle about its first point
        // has the unturned pattern's proportions.
        PointArrayPtr turned = CopyHull(hull);
        const double r = -p->angle * kRadiansPerDegree;
        const HullElement o = HullAt(hull, 0);
        for (guint i = 0; i < turned->len; i++) {
            HullElement& e = HullAt(turned.get(), i);
            const double x = e.x - o.x, y = e.y - o.y;
            e.x = static_cast<float>(o.x + x * std::cos(r) - y * std::sin(r));
            e.y = static_cast<float>(o.y + x * std::sin(r) + y * std::cos(r));
        }
        const HullBounds t = MeasureHull(turned.get());
        RotatePattern(p, static_cast<float>(-p->angle));
        Stretch(p, Ratio(t.Width(), p->width), Ratio(t.Height(), p->height));
        RotatePattern(p, static_cast<float>(p->angle));
    }
    node->x = b.CentreX() - p->width / 2;
    node->y = b.CentreY() - p->height / 2;
}

// The fitted hull applied to an array: pattern and positions scaled alike,
// the members' span centred on the hull.
void ApplyToArray(LayoutNode* parent, Pattern* p, const PointArray* hull, float w0, float h0) {
    const HullBounds b = MeasureHull(hull);
    const float fx = Ratio(b.Width(), w0), fy = Ratio(b.Height(), h0);
    Stretch(p, fx, fy);
    auto member = [parent](const LayoutNode* n) {
        return n == parent || (parent->arrayIndex >= 0 && n->arrayIndex == parent->arrayIndex);
    };
    float minX = 99999.0f, minY = 99999.0f, maxX = -99999.0f, maxY = -99999.0f;
    for (LayoutNode* n = patternLayout; n; n = n->next) {
        if (!member(n)) continue;
        n->x *= fx;
        n->y *= fy;
        minX = std::min(minX, n->x);
        minY = std::min(minY, n->y);
        maxX = std::max(maxX, n->x + p->width);
        maxY = std::max(maxY, n->y + p->height);
    }
    const float dx = b.CentreX() - (minX + maxX) / 2, dy = b.CentreY() - (minY + maxY) / 2;
    for (LayoutNode* n = patternLayout; n; n = n->next)
        if (member(n)) MoveLayoutPattern(n, dx, dy);
}

void Report(AutoScaleReport* report, const Fit& fit, float w0, float h0, float w1, float h1) {
    if (!report) return;
    report->passes = fit.passes;
    report->timedOut = fit.timedOut;
    report->widthBefore = w0;
    report->heightBefore = h0;
    report->widthAfter = w1;
    report->heightAfter = h1;
}

}  // namespace

int AutoScale(LayoutNode* node, int mode, AutoScaleReport* report) {
    Pattern* p = node ? GetPattern(node->patternIndex) : nullptr;
    if (!p || p->pointCount <= 0) return kAutoScaleNothingToScale;
    NudgeFromZero(node);
    const float w0 = p->width, h0 = p->height;
    Fit fit;
    fit.hull = ConvexHull(p, node->x, node->y);
    const int result = FitHull(fit, mode, p->angle, p->angle);
    if (result == kAutoScaleDone) ApplyToPlacement(node, p, fit.hull.get(), w0, h0);
    Report(report, fit, w0, h0, p->width, p->height);
    EndFit(fit);
    return result;
}

int AutoScaleArray(LayoutNode* parent, int mode, AutoScaleReport* report) {
    Pattern* p = parent ? GetPattern(parent->patternIndex) : nullptr;
    if (!p || p->pointCount <= 0) return kAutoScaleNothingToScale;
    // No nudge from 0 here: moving the parent alone would break the grid.
    Fit fit;
    fit.hull = ConvexHullOfArray(parent);
    const HullBounds before = MeasureHull(fit.hull.get());
    const int result = FitHull(fit, mode, p->angle, 0);
    if (result == kAutoScaleDone)
        ApplyToArray(parent, p, fit.hull.get(), before.Width(), before.Height());
    const HullBounds after = MeasureHull(fit.hull.get());
    Report(report, fit, before.Width(), before.Height(), after.Width(), after.Height());
    EndFit(fit);
    return result;
}

int SmartScale(LayoutNode* node, int mode) {
    if (!node) return kAutoScaleNothingToScale;
    ShowWaitingBand(kScalingTitle, 1);
    operationRunning = 1;
    const int result =
        node->arrayIndex >= 0 ? AutoScaleArray(ArrayParentOf(node), mode) : AutoScale(node, mode);
    operationRunning = 0;
    HideWaitingWindow();
    RefreshPatternPix();
    return result;
}

int AskKeepProportions(const char* question) {
    const int answer = ShowMessage(kMessageQuestion, kButtonsYesNoCancel, question);
    if (answer == kResponseYes) return kKeepProportions;
    if (answer == kResponseNo) return kScaleIndependently;
    return -1;
}
