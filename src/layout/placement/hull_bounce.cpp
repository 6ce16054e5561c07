// Hull moves inside a box polygon. See hull_bounce.h.
#include "layout/placement/hull_bounce.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "base/application_state.h"
#include "base/log.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "layout/placement/box_centre.h"
#include "layout/placement/convex_hull.h"

namespace {

AutoScaleHooks hooks;
std::optional<std::vector<QuiltPoint>> shownHull;
long stepsSinceShown = 0;  // over all loops, so many short bounces still redraw

constexpr int kRedrawEverySteps = 100;
constexpr int kStatusEverySteps = 500;
constexpr int kRecentreEveryMoves = 10;
constexpr int kPullInMoveLimit = 1000;
constexpr int kShrinkStepLimit = 3000;
constexpr float kShrinkFactor = 0.99f;
constexpr float kAxisTolerance = 0.001f;  // inches: an edge this close to an axis is taken as one
constexpr float kPullInMargin = 0.002f;   // inches moved beyond the wall when pulling in
constexpr double kRadiansPerDegree = 0.017453;

// Progress of one loop: the redraw every 100 steps without a status window,
// the status window's pulse every 500 steps with one. Returns false when the
// window's STOP was pressed.
struct Progress {
    StatusWindow* status;
    const PointArray* hull;
    long steps = 0;
    bool Step() {
        if (!status) {
            if (++stepsSinceShown >= kRedrawEverySteps) ShowHull(hull);
            return true;
        }
        if (steps++ % kStatusEverySteps == 0) UpdateStatusWindow(status);
        ProcessPendingEvents();
        return status->abortRequested == 0;
    }
};

bool OutOfTime(int64_t deadline) {
    return deadline > 0 && AutoScaleNowMs() > deadline;
}

// Foot of the perpendicular from p to the line through a and b (double
// precision; an edge within a thousandth of an axis is taken as on it).
void Foot(const float* p, float ax, float ay, float bx, float by, double* fx, double* fy) {
    if (std::fabs(by - ay) < kAxisTolerance) {
        *fx = p[0];
        *fy = ay;
        return;
    }
    if (std::fabs(bx - ax) < kAxisTolerance) {
        *fx = ax;
        *fy = p[1];
        return;
    }
    const double m = (static_cast<double>(by) - ay) / (static_cast<double>(bx) - ax);
    *fx = (m * ax - ay + p[0] / m + p[1]) / (m + 1 / m);
    *fy = m * (*fx - ax) + ay;
}

// The growth of a bounce: a copy scaled about the hull's centre in the
// pattern's own frame (turned back by the rotation first). Adopted when it
// lies strictly inside the box.
bool TryGrowth(const PointArray* box, PointArray* hull, float gx, float gy, int rotation) {
    const HullBounds b = MeasureHull(hull);
    const double mx = b.CentreX(), my = b.CentreY();
    const double r = rotation * kRadiansPerDegree;
    const double c = std::cos(r), s = std::sin(r);
    PointArrayPtr trial = CopyHull(hull);
    for (guint i = 0; i < trial->len; i++) {
        HullElement& e = HullAt(trial.get(), i);
        double x = e.x - mx, y = e.y - my;
        if (rotation != 0) {  // into the pattern's frame
            const double u = x * c + y * s, v = -x * s + y * c;
            x = u;
            y = v;
        }
        x *= gx;
        y *= gy;
        if (rotation != 0) {  // and back
            const double u = x * c - y * s, v = x * s + y * c;
            x = u;
            y = v;
        }
        e.x = static_cast<float>(mx + x);
        e.y = static_cast<float>(my + y);
    }
    if (PolygonsOverlap(box, trial.get(), nullptr, 1) != -1) return false;
    g_array_remove_range(hull, 0, hull->len);
    g_array_append_vals(hull, trial->data, trial->len);
    return true;
}

}  // namespace

void SetAutoScaleHooks(const AutoScaleHooks& newHooks) {
    hooks = newHooks;
}

int64_t AutoScaleNowMs() {
    return hooks.nowMs ? hooks.nowMs() : MonotonicMs();
}

bool OperationRunning() {
    return operationRunning == 1;
}

const std::vector<QuiltPoint>* HullOutline() {
    return shownHull ? &*shownHull : nullptr;
}

void ShowHull(const PointArray* hull) {
    stepsSinceShown = 0;
    if (!hull) {
        shownHull.reset();
    } else {
        shownHull.emplace();
        for (guint i = 0; i < hull->len; i++)
            shownHull->push_back(QuiltPoint{HullAt(hull, i).x, HullAt(hull, i).y});
    }
    if (hooks.redrawView) hooks.redrawView();
    ProcessPendingEvents();
}

float GetOverlapDistance(const float* p, const EdgeSegment& edge) {
    double fx, fy;
    Foot(p, edge.x1, edge.y1, edge.x2, edge.y2, &fx, &fy);
    const float a[2] = {edge.x1, edge.y1}, b[2] = {edge.x2, edge.y2};
    const float f[2] = {static_cast<float>(fx), static_cast<float>(fy)};
    if (Between(a, b, f) || !Collinear(a, b, f))
        return static_cast<float>(std::hypot(p[0] - fx, p[1] - fy));
    return static_cast<float>(
        std::min(std::hypot(p[0] - a[0], p[1] - a[1]), std::hypot(p[0] - b[0], p[1] - b[1])));
}

int BoxTargetCentre(const PointArray* box, bool fourCorners, float* cx, float* cy) {
    if (!box || box->len < 3) return 0;
    if (box->len == 3) {
        TriangleCentroid(box, cx, cy);
    } else if (box->len == 4 && fourCorners) {
        // The crossing of the diagonals 0–2 and 1–3.
        const PointArrayElement& p0 = g_array_index(box, PointArrayElement, 0);
        const PointArrayElement& p1 = g_array_index(box, PointArrayElement, 1);
        const PointArrayElement& p2 = g_array_index(box, PointArrayElement, 2);
        const PointArrayElement& p3 = g_array_index(box, PointArrayElement, 3);
        const double d1x = p2.x - p0.x, d1y = p2.y - p0.y, d2x = p3.x - p1.x, d2y = p3.y - p1.y;
        const double det = d1x * d2y - d1y * d2x;
        if (det == 0) return PolygonBoundsCentre(box, cx, cy);
        const double t = ((p1.x - p0.x) * d2y - (p1.y - p0.y) * d2x) / det;
        *cx = static_cast<float>(p0.x + t * d1x);
        *cy = static_cast<float>(p0.y + t * d1y);
    } else {
        PolygonBoundsCentre(box, cx, cy);
    }
    const float c[2] = {*cx, *cy};
    if (PIP(box, c, nullptr, 0)) return 1;
    double sx = 0, sy = 0;
    for (guint i = 0; i < box->len; i++) {
        sx += g_array_index(box, PointArrayElement, i).x;
        sy += g_array_index(box, PointArrayElement, i).y;
    }
    *cx = static_cast<float>(sx / box->len);
    *cy = static_cast<float>(sy / box->len);
    return 1;
}

int PatternInBox(const PointArray* box, PointArray* hull, StatusWindow* status, int64_t deadline) {
    Progress progress{status, hull};
    int moves = 0, sinceCentred = 0;
    EdgeSegment edge;
    for (int outside; (outside = PolygonsOverlap(box, hull, &edge, 0)) >= 0;) {
        if (!OperationRunning() || OutOfTime(deadline) || moves++ >= kPullInMoveLimit) return 0;
        ProcessPendingEvents();
        const HullElement& p = HullAt(hull, outside);
        const float pt[2] = {p.x, p.y};
        double fx, fy;
        Foot(pt, edge.x1, edge.y1, edge.x2, edge.y2, &fx, &fy);
        const float a[2] = {edge.x1, edge.y1}, b[2] = {edge.x2, edge.y2};
        const float f[2] = {static_cast<float>(fx), static_cast<float>(fy)};
        if (Collinear(a, b, f) && !Between(a, b, f)) {
            fx = (a[0] + b[0]) / 2.0;
            fy = (a[1] + b[1]) / 2.0;
        }
        // A little beyond the foot, so that rounding cannot leave the point
        // on the outer side of the wall's thousandth.
        const double dx = fx - pt[0], dy = fy - pt[1];
        const double length = std::hypot(dx, dy);
        const double extra = length > 0 ? kPullInMargin / length : 0;
        MoveHull(hull, static_cast<float>(dx * (1 + extra)), static_cast<float>(dy * (1 + extra)));
        if (++sinceCentred > kRecentreEveryMoves) {
            float cx, cy;
            BoxTargetCentre(box, false, &cx, &cy);
            CentreHullOn(hull, cx, cy);
            sinceCentred = 0;
        }
        if (!progress.Step()) return 0;
    }
    return 1;
}

int PatternInBox2(const PointArray* box, PointArray* hull, StatusWindow* status, int64_t deadline) {
    float cx, cy;
    if (!BoxTargetCentre(box, true, &cx, &cy)) return 0;
    Progress progress{status, hull};
    for (int steps = 0; PolygonsOverlap(box, hull, nullptr, 0) >= 0; steps++) {
        if (!OperationRunning() || OutOfTime(deadline) || steps >= kShrinkStepLimit) return 0;
        ProcessPendingEvents();
        ScaleHull(hull, kShrinkFactor, kShrinkFactor);
        CentreHullOn(hull, cx, cy);
        if (!progress.Step()) return 0;
    }
    return 1;
}

// The hull runs back and forth; every wall contact is a hit:
//
//     ┌──────────────────┐      n moves since the last hit give the travel
//     │ ◀─── hull ────▶  │      T = n·step between the two walls, the free
//     └──────────────────┘      play along the bounce's direction.
//
// With growth the hull is grown after the first hit whenever a grown copy
// still fits, so each run starts a little larger until the growths are spent.
float HullBounce(const PointArray* box, PointArray* hull, const Bounce& bounce,
                 StatusWindow* status) {
    float dx = bounce.step * std::cos(bounce.direction);
    float dy = bounce.step * std::sin(bounce.direction);
    const int growLimit = std::max(1, bounce.growLimit);
    const bool grows = bounce.growX != 1.0f || bounce.growY != 1.0f;
    const int64_t deadline =
        bounce.deadline > 0 ? bounce.deadline : AutoScaleNowMs() + kBounceTimeLimitMs;
    Progress progress{status, hull};
    int hits = 0, moves = 0, growths = 0;
    EdgeSegment edge;
    while (true) {
        if (!OperationRunning()) return -1;
        if (AutoScaleNowMs() > deadline) {
            LogLine("HullBounce while loop Timeout");
            return -1;
        }
        if (grows && growths < growLimit && hits > 0 &&
            TryGrowth(box, hull, bounce.growX, bounce.growY, bounce.rotation))
            growths++;
        MoveHull(hull, dx, dy);
        moves++;
        const int outside = PolygonsOverlap(box, hull, &edge, 0);
        if (outside >= 0) {
            hits++;
            switch (bounce.mode) {
                case kBounceAlongX:
                    dx = -dx;
                    dy = 0;
                    break;
                case kBounceAlongY:
                    dx = 0;
                    dy = -dy;
                    break;
                default:
                    dx = -dx;
                    dy = -dy;
            }
            const HullElement& p = HullAt(hull, outside);
            if (GetOverlapDistance(&p.x, edge) > kPullInDistance)
                PatternInBox(box, hull, status, deadline);
            const float travel = std::hypot(moves * dx, moves * dy);
            if (hits > bounce.hitLimit || growths == growLimit) {
                MoveHull(hull, dx * moves / 2, dy * moves / 2);
                return travel;
            }
            moves = 0;
        }
        if (!progress.Step()) return 0;
    }
}
