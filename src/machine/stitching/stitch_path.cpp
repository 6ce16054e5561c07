#include "machine/stitching/stitch_path.h"

#include <cmath>
#include <vector>

#include "base/application_state.h"
#include "base/log.h"
#include "base/ui_hooks.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/machine_parameters.h"
#include "pattern/pattern.h"

namespace {

constexpr float kStraightAngle = 10.0f;  // degrees: turns up to this keep full feed
constexpr float kFullStopAngle = 90.0f;  // degrees: turns are clamped to this
constexpr float kCurvatureFreeAngle = 5.0f;
constexpr float kInitialFeed = 100.0f;
constexpr float kSentinelX = -99999.0f, kSentinelY = -999999.0f;
constexpr int kStatusEvery = 500;  // points between progress-window pulses

// Advances the progress counter by one point, pulsing the window every 500.
void CountProgress(StatusWindow* status, long* counter) {
    if (status && *counter % kStatusEvery == 0) UpdateStatusWindow(status);
    (*counter)++;
}

void SetStatusText(StatusWindow* status, const char* text) {
    if (status) StatusWindowSetText(status, text);
}

std::vector<FullPattern_t*> PointsOf(FullPattern_t* first) {
    std::vector<FullPattern_t*> points;
    for (FullPattern_t* p = first; p; p = p->next)
        points.push_back(p);
    return points;
}

float Distance(const FullPattern_t* a, const FullPattern_t* b) {
    float dx = b->x - a->x, dy = b->y - a->y;
    return std::sqrt(dx * dx + dy * dy);
}

// Path position of pattern point i of a placement, in inches.
void PlacedPoint(const Pattern& p, int i, float boxX, float boxY, const LayoutNode& n, float* x,
                 float* y) {
    *x = p.x[i] + boxX + n.x - p.minX;
    *y = p.y[i] + boxY + n.y - p.minY;
}

const LayoutNode* NextPlacementInBox(const LayoutNode* after, int box) {
    for (const LayoutNode* n = after ? after->next : patternLayout; n; n = n->next)
        if (n->boxIndex == box) return n;
    return nullptr;
}

// Appends the kept points of one placement to the path.
void AppendPlacement(const LayoutNode& node, const Pattern& pattern, float boxX, float boxY,
                     FullPattern_t** first, FullPattern_t** last, StatusWindow* status,
                     long* counter) {
    // Stop commands by the point (from 0) whose move in they make a jump.
    std::vector<int> stopsBefore(pattern.pointCount, 0);
    for (int k = 0; k < pattern.commandCount; k++) {
        int i = pattern.commandPoint[k] - 1;
        if (pattern.commandType[k] == PatternCommandType::Stop && i >= 0 && i < pattern.pointCount)
            stopsBefore[i]++;
    }
    float prevX = kSentinelX, prevY = kSentinelY;
    for (int i = 0; i < pattern.pointCount; i++) {
        CountProgress(status, counter);
        float ix, iy;
        PlacedPoint(pattern, i, boxX, boxY, node, &ix, &iy);
        const float X = ix * kPathUnitsPerInch;
        const float Y = iy * kPathUnitsPerInch;
        const bool patternStart = prevX == kSentinelX && prevY == kSentinelY;
        if (!patternStart) {
            float dx = X - prevX, dy = Y - prevY;
            if (std::sqrt(dx * dx + dy * dy) < kLeastPointSpacing) continue;
            for (int k = 0; k < stopsBefore[i]; k++) {
                Log("c s at point %d\n", i);
                if (*last) (*last)->halt = 1;
            }
        }
        auto* point = new FullPattern_t;
        point->feed = kInitialFeed;
        point->x = X;
        point->y = Y;
        point->prev = *last;
        if (*last) (*last)->next = point;
        if (!*first) *first = point;
        *last = point;
        prevX = X;
        prevY = Y;
    }
}

// Whether the path can go to the board: every position a number within the
// frame's range, and no more than kMostPathPoints points once the long moves
// are broken up (counted before any point is made).
bool Stitchable(const FullPattern_t* first) {
    long total = 0;
    for (const FullPattern_t* p = first; p; p = p->next) {
        if (!std::isfinite(p->x) || !std::isfinite(p->y) ||
            std::fabs(p->x) > kLargestPathPosition || std::fabs(p->y) > kLargestPathPosition) {
            Log("Point at ( %f, %f ) of the path cannot be sent\n", p->x, p->y);
            return false;
        }
        total++;
        if (p->prev && p->prev->halt == 0) {
            const double pieces = std::floor(Distance(p->prev, p) / kLineBreakLength);
            if (pieces >= 2) total += static_cast<long>(std::fmin(pieces, kMostPathPoints)) - 1;
        }
        if (total > kMostPathPoints) {
            Log("The path would hold more than %ld points\n", kMostPathPoints);
            return false;
        }
    }
    return true;
}

}  // namespace

void FreeFullPattern(FullPattern_t* first) {
    while (first) {
        FullPattern_t* next = first->next;
        delete first;
        first = next;
    }
}

int CountFullPattern(const FullPattern_t* first) {
    int n = 0;
    for (; first; first = first->next)
        n++;
    return n;
}

int PackFullPattern() {
    if (!interface) return 0;
    FreeFullPattern(interface->fullPattern);
    interface->fullPattern = nullptr;
    bool unstitchable = false;
    interface->fullPattern = PackBoxPath(interface->currentPatternBox, statWindow, &unstitchable);
    return unstitchable ? -1 : 0;
}

FullPattern_t* PackBoxPath(int box, StatusWindow* status, bool* unstitchable) {
    if (unstitchable) *unstitchable = false;
    const PatternBox* pb = GetPatternBox(box);
    const float boxX = pb ? pb->x : 0;
    const float boxY = pb ? pb->y : 0;
    long counter = 0;

    FullPattern_t* first = nullptr;
    FullPattern_t* last = nullptr;
    for (const LayoutNode* node = NextPlacementInBox(nullptr, box); node;) {
        const Pattern* pattern = GetPattern(node->patternIndex);
        if (pattern) AppendPlacement(*node, *pattern, boxX, boxY, &first, &last, status, &counter);
        const LayoutNode* next = NextPlacementInBox(node, box);
        const Pattern* nextPattern = next ? GetPattern(next->patternIndex) : nullptr;
        if (last && nextPattern && nextPattern->pointCount > 0) {
            // A gap of more than a quarter inch between two placements is a jump.
            float nx, ny;
            PlacedPoint(*nextPattern, 0, boxX, boxY, *next, &nx, &ny);
            float dx = last->x / kPathUnitsPerInch - nx;
            float dy = last->y / kPathUnitsPerInch - ny;
            if (dx > kPatternGapInches || dx < -kPatternGapInches || dy > kPatternGapInches ||
                dy < -kPatternGapInches)
                last->halt = 1;
        }
        node = next;
    }

    if (!Stitchable(first)) {
        FreeFullPattern(first);
        if (unstitchable) *unstitchable = true;
        return nullptr;
    }

    SetStatusText(status, "Setting Pattern Angles");
    FindPatternAngles(first, status);

    SetStatusText(status, "Breaking Up Long Lines");
    for (FullPattern_t* p = first; p; p = p->next) {
        CountProgress(status, &counter);
        if (p->prev && p->prev->halt == 0) ExplodeLine(p, p->prev, kLineBreakLength);
    }

    SetStatusText(status, "Setting Feeds");
    SetFeeds(first, 1);
    return first;
}

void FindPatternAngles(FullPattern_t* first, StatusWindow* status) {
    if (!first) {
        ShowMessage(kMessageError, kButtonsOk, "FindPatternAngles: No Data!");
        return;
    }
    std::vector<FullPattern_t*> points = PointsOf(first);
    for (FullPattern_t* p : points)
        p->feed = kInitialFeed;
    long counter = 0;
    const size_t n = points.size();
    for (size_t i = 0; i + 2 < n; i++) {
        CountProgress(status, &counter);
        float a[2] = {points[i]->x / kPathUnitsPerInch, points[i]->y / kPathUnitsPerInch};
        float b[2] = {points[i + 1]->x / kPathUnitsPerInch, points[i + 1]->y / kPathUnitsPerInch};
        float c[2] = {points[i + 2]->x / kPathUnitsPerInch, points[i + 2]->y / kPathUnitsPerInch};
        float turn = 0;
        points[i + 1]->feed = GetMaxFeed(a, b, c, static_cast<int>(i + 1), minSpeed, &turn);
    }
    points.front()->feed = 0;
    points.back()->feed = 0;
}

float GetMaxFeed(const float* a, const float* b, const float* c, int /*index*/, float minimumFeed,
                 float* turnOut) {
    auto square = [](const float* p, const float* q) {
        double dx = static_cast<double>(q[0]) - p[0], dy = static_cast<double>(q[1]) - p[1];
        return static_cast<float>(dx * dx + dy * dy);
    };
    const float a2 = square(a, b), b2 = square(b, c), c2 = square(a, c);
    double cosine = (a2 + b2 - c2) / (2.0 * std::sqrt(static_cast<double>(a2) * b2));
    if (!(cosine >= -1.0)) cosine = -1.0;  // also a NaN from a repeated point
    if (cosine > 1.0) cosine = 1.0;
    double turn = std::fabs(180.0 - std::fabs(std::acos(cosine) * 57.2958));
    if (turn > kFullStopAngle) turn = kFullStopAngle;
    if (turnOut) *turnOut = static_cast<float>(turn);

    double angleLimit = 100.0;
    if (turn > kStraightAngle) {
        double f = 1.0 - (turn - kStraightAngle) / 80.0;
        angleLimit = f * f * 100.0;
    }

    double curvatureLimit = 100.0;
    if (turn > kCurvatureFreeAngle) {
        // Centre of the circle through a, b, c from the slopes of the two chords.
        double ma = (b[1] - a[1] + 0.000001) / (b[0] - a[0] + 0.000001);
        double mb = (c[1] - b[1] + 0.000001) / (c[0] - b[0] + 0.000001);
        double cx =
            (ma * mb * (a[1] - c[1]) + mb * (a[0] + b[0]) - ma * (b[0] + c[0])) / (2.0 * (mb - ma));
        double cy = -(cx - (a[0] + b[0]) / 2.0) / ma + (a[1] + b[1]) / 2.0;
        double r = std::hypot(cx - a[0], cy - a[1]);
        curvatureLimit = r * (curvature * 3.2 / 100.0) * 100.0;
        if (!(curvatureLimit <= 100.0)) curvatureLimit = 100.0;  // NaN: a degenerate circle
        if (curvatureLimit < minimumFeed) curvatureLimit = minimumFeed;
    }

    double feed = std::min(angleLimit, curvatureLimit);
    if (feed < minimumFeed) feed = minimumFeed;
    return static_cast<float>(feed);
}

int ExplodeLine(FullPattern_t* end, FullPattern_t* start, float length) {
    if (!end || !start || length <= 0) return 0;
    const float d = Distance(start, end);
    if (!(d > length) || !std::isfinite(d)) return 0;
    // A move longer than any table (a broken position) is cut into at most
    // this many pieces, so it cannot exhaust the memory.
    constexpr float kMostPieces = 1000000.0f;
    const int n = static_cast<int>(std::fmin(std::floor(d / length), kMostPieces));
    if (n < 2) return 0;
    const float stepX = (end->x - start->x) / n;
    const float stepY = (end->y - start->y) / n;
    float x = start->x, y = start->y;
    FullPattern_t* after = start;
    for (int k = 1; k < n; k++) {
        x += stepX;
        y += stepY;
        auto* point = new FullPattern_t;
        point->feed = kInitialFeed;
        point->x = x;
        point->y = y;
        point->inserted = 1;
        point->prev = after;
        point->next = after->next;
        if (after->next) after->next->prev = point;
        after->next = point;
        after = point;
    }
    return n;
}

void SetFeeds(FullPattern_t* first, int smoothing) {
    if (!first) {
        LogLine("SetFeeds: fPattern is NULL");
        return;
    }
    std::vector<FullPattern_t*> p = PointsOf(first);
    const int n = static_cast<int>(p.size());
    if (n < 3) {
        LogLine("SetFeeds: nodeCount is less than 3");
        for (FullPattern_t* point : p)
            point->feed = kShortPathFeed;
        return;
    }
    const float acc = acceleration * 35;
    Log("Acceleration Value: %.1f\n", acc);

    for (int i = 0; i <= n - 2; i++) {
        float d = Distance(p[i], p[i + 1]) / kPathUnitsPerInch;
        float reachable = std::sqrt(2 * acc * d + p[i]->feed * p[i]->feed);
        p[i + 1]->feed = std::min(p[i + 1]->feed, reachable);
    }
    float top = 0;
    for (int i = n - 1; i >= 1; i--) {
        float d = Distance(p[i - 1], p[i]) / kPathUnitsPerInch;
        float reachable = std::sqrt(2 * acc * d + p[i]->feed * p[i]->feed);
        p[i - 1]->feed = std::min(p[i - 1]->feed, reachable);
        top = std::max(top, p[i - 1]->feed);
    }
    if (!smoothing) return;

    float hi = 0, lo = 100;
    for (int i = 2; i <= n - 4; i++) {
        p[i]->feed =
            (p[i - 2]->feed + p[i - 1]->feed + p[i]->feed + p[i + 1]->feed + p[i + 2]->feed) / 5;
        hi = std::max(hi, p[i]->feed);
        lo = std::min(lo, p[i]->feed);
    }
    for (int i = 1; i <= n - 2; i++) {
        if (p[i]->feed <= lo || hi <= lo)
            p[i]->feed = minSpeed;
        else
            p[i]->feed = minSpeed + (top - minSpeed) * (p[i]->feed - lo) / (hi - lo);
    }
}
