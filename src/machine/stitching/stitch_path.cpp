#include "machine/stitching/stitch_path.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "base/application_state.h"
#include "base/log.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/machine_parameters.h"
#include "machine/stitching/run_state.h"
#include "pattern/pattern.h"

namespace {

constexpr float kStraightAngle = 10.0f;  // degrees: turns up to this keep full feed
constexpr float kFullStopAngle = 90.0f;  // degrees: turns are clamped to this
constexpr float kCurvatureFreeAngle = 5.0f;
constexpr float kInitialFeed = 100.0f;
constexpr float kSentinelX = -99999.0f, kSentinelY = -999999.0f;
constexpr int kStatusEvery = 500;  // points between progress-window pulses
// Moves whose square length is below this (1.997 line-breaking lengths) are
// never cut: ExplodeLine leaves them whole without taking the root.
constexpr float kShortestBrokenSquare = 3.99f * kLineBreakLength * kLineBreakLength;

// Advances the progress counter by one point, pulsing the window every 500.
void CountProgress(StatusWindow* status, long* counter) {
    if (status && *counter % kStatusEvery == 0) UpdateStatusWindow(status);
    (*counter)++;
}

void SetStatusText(StatusWindow* status, const char* text) {
    if (status) StatusWindowSetText(status, text);
}

float Distance(const FullPattern_t* a, const FullPattern_t* b) {
    float dx = b->x - a->x, dy = b->y - a->y;
    return std::sqrt(dx * dx + dy * dy);
}

// Path position of pattern point i of a placement, in inches. (WalkPlacements
// adds the same terms in the same order.)
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

// False when the move from a to b is surely too short for line breaking (the
// first test of ExplodeLine, here where it needs no call).
bool MayBreak(const FullPattern_t& b, const FullPattern_t& a) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    return !(dx * dx + dy * dy < kShortestBrokenSquare);
}

// The points (from 0) whose move in a Stop command makes a jump, in order,
// one entry per command.
std::vector<int> StopPoints(const Pattern& pattern) {
    std::vector<int> stops;
    for (int k = 0; k < pattern.commandCount; k++) {
        const int i = pattern.commandPoint[k] - 1;
        if (pattern.commandType[k] == PatternCommandType::Stop && i >= 0 && i < pattern.pointCount)
            stops.push_back(i);
    }
    std::sort(stops.begin(), stops.end());
    return stops;
}

// Walks the placements of a box in path order and hands their kept points to
// the sink: sink.Point(X, Y) for each point in path units, sink.Halt() when the
// last point handed ends a section (a stop command before the next kept point,
// or a gap to the next placement). A point's halt is final when the next point
// is handed. Stop commands are logged when log is set.
template <typename Sink>
void WalkPlacements(int box, float boxX, float boxY, bool log, Sink& sink, StatusWindow* status,
                    long* counter) {
    for (const LayoutNode* node = NextPlacementInBox(nullptr, box); node;) {
        if (const Pattern* pattern = GetPattern(node->patternIndex)) {
            const std::vector<int> stops = StopPoints(*pattern);
            size_t stop = 0;
            float prevX = kSentinelX, prevY = kSentinelY;
            // The terms of PlacedPoint held here, where storing a point
            // cannot make the compiler fetch them again.
            const float* xs = pattern->x.data();
            const float* ys = pattern->y.data();
            const float nodeX = node->x, nodeY = node->y;
            const float minX = pattern->minX, minY = pattern->minY;
            for (int i = 0; i < pattern->pointCount; i++) {
                CountProgress(status, counter);
                while (stop < stops.size() && stops[stop] < i)
                    stop++;  // the command of a dropped or a first point is lost
                const float ix = xs[i] + boxX + nodeX - minX;
                const float iy = ys[i] + boxY + nodeY - minY;
                const float X = ix * kPathUnitsPerInch;
                const float Y = iy * kPathUnitsPerInch;
                const bool patternStart = prevX == kSentinelX && prevY == kSentinelY;
                if (!patternStart) {
                    float dx = X - prevX, dy = Y - prevY;
                    if (std::sqrt(dx * dx + dy * dy) < kLeastPointSpacing) continue;
                    for (; stop < stops.size() && stops[stop] == i; stop++) {
                        if (log) Log("c s at point %d\n", i);
                        sink.Halt();
                    }
                }
                sink.Point(X, Y);
                prevX = X;
                prevY = Y;
            }
        }
        const LayoutNode* next = NextPlacementInBox(node, box);
        const Pattern* nextPattern = next ? GetPattern(next->patternIndex) : nullptr;
        if (sink.HasLast() && nextPattern && nextPattern->pointCount > 0) {
            // A gap of more than a quarter inch between two placements is a jump.
            float nx, ny;
            PlacedPoint(*nextPattern, 0, boxX, boxY, *next, &nx, &ny);
            float dx = sink.Last().x / kPathUnitsPerInch - nx;
            float dy = sink.Last().y / kPathUnitsPerInch - ny;
            if (dx > kPatternGapInches || dx < -kPatternGapInches || dy > kPatternGapInches ||
                dy < -kPatternGapInches)
                sink.Halt();
        }
        node = next;
    }
}

// First walk: counts the points of the path, the pieces of its broken-up
// moves included, and checks that it can go to the board: every position a
// number within the frame's range and no more than kMostPathPoints points.
// Nothing is stored, so a hostile layout costs no memory here.
struct PathCounter {
    FullPattern_t last;
    bool hasLast = false;
    long total = 0;
    bool refused = false;
    bool tooFar = false;       // the refusal is a position (else the count)
    float farX = 0, farY = 0;  // that position

    bool HasLast() const { return hasLast; }
    const FullPattern_t& Last() const { return last; }
    void Halt() {
        if (hasLast) last.halt = 1;
    }
    void Point(float X, float Y) {
        FullPattern_t point;
        point.x = X;
        point.y = Y;
        if (!refused) Check(point);
        last = point;
        hasLast = true;
    }
    void Check(const FullPattern_t& p) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || std::fabs(p.x) > kLargestPathPosition ||
            std::fabs(p.y) > kLargestPathPosition) {
            refused = tooFar = true;
            farX = p.x;
            farY = p.y;
            return;
        }
        total++;
        if (hasLast && last.halt == 0) {
            const int pieces = MayBreak(p, last) ? ExplodeLine(&p, &last, kLineBreakLength) : 0;
            if (pieces >= 2) total += pieces - 1;
        }
        if (total > kMostPathPoints) refused = true;
    }
};

// Second walk: writes the points into the path made for them, leaving room
// after each point whose move on is broken up; the room is marked inserted
// and filled once the angles are set. The walk finds what the first one
// counted unless the layout changed under an event drained by the progress
// window; then the points beyond the path's size are not written and
// `overrun` is set.
struct PathWriter {
    FullPattern_t* path;
    long size;
    long count = 0;
    bool overrun = false;

    bool HasLast() const { return count > 0; }
    const FullPattern_t& Last() const { return path[count - 1]; }
    void Halt() {
        if (count > 0) path[count - 1].halt = 1;
    }
    void Point(float X, float Y) {
        FullPattern_t point;
        point.x = X;
        point.y = Y;
        if (count > 0 && path[count - 1].halt == 0) {
            const FullPattern_t& last = path[count - 1];
            const int pieces =
                MayBreak(point, last) ? ExplodeLine(&point, &last, kLineBreakLength) : 0;
            if (pieces > size - count) {
                overrun = true;
                return;
            }
            for (int k = 1; k < pieces; k++)
                path[count++].inserted = 1;
        }
        if (count == size) {
            overrun = true;
            return;
        }
        FullPattern_t& kept = path[count++];
        kept.feed = kInitialFeed;
        kept.x = X;
        kept.y = Y;
    }
};

// Fills the room left between the kept points with the pieces of their moves.
void FillBrokenLines(FullPattern_t* first, StatusWindow* status, long* counter) {
    FullPattern_t* kept = nullptr;
    for (FullPattern_t* p = first; p; p = p->next()) {
        if (p->inserted) continue;
        CountProgress(status, counter);
        if (kept && p - kept > 1) ExplodeLine(p, kept, kLineBreakLength, kept + 1);
        kept = p;
    }
}

}  // namespace

FullPattern_t* NewFullPattern(long count) {
    if (count < 1) return nullptr;
    FullPattern_t* path = std::make_unique<FullPattern_t[]>(static_cast<size_t>(count)).release();
    for (long i = 0; i < count; i++)
        path[i].ends = 0;
    path[0].ends |= kPathFirstPoint;
    path[count - 1].ends |= kPathLastPoint;
    return path;
}

void FreeFullPattern(FullPattern_t* first) {
    std::unique_ptr<FullPattern_t[]> path(first);
}

int CountFullPattern(const FullPattern_t* first) {
    int n = 0;
    for (; first; first = first->next())
        n++;
    return n;
}

int PackFullPattern() {
    FreeFullPattern(CurrentRun().fullPattern);
    CurrentRun().fullPattern = nullptr;
    bool unstitchable = false;
    CurrentRun().fullPattern = PackBoxPath(CurrentPatternBox(), statWindow, &unstitchable);
    return unstitchable ? -1 : 0;
}

FullPattern_t* PackBoxPath(int box, StatusWindow* status, bool* unstitchable) {
    if (unstitchable) *unstitchable = false;
    const PatternBox* pb = GetPatternBox(box);
    const float boxX = pb ? pb->x : 0;
    const float boxY = pb ? pb->y : 0;
    long counter = 0;

    // Counted first, so that the path is made once at its final size.
    PathCounter counted;
    WalkPlacements(box, boxX, boxY, true, counted, status, &counter);
    if (counted.refused) {
        if (counted.tooFar)
            Log("Point at ( %f, %f ) of the path cannot be sent\n", counted.farX, counted.farY);
        else
            Log("The path would hold more than %ld points\n", kMostPathPoints);
        if (unstitchable) *unstitchable = true;
        return nullptr;
    }

    FullPattern_t* first = NewFullPattern(counted.total);
    if (first) {
        PathWriter written{first, counted.total};
        WalkPlacements(box, boxX, boxY, false, written, status, &counter);
        if (written.overrun || written.count != counted.total) {
            LogLine("The layout changed while its path was packed");
            FreeFullPattern(first);
            if (unstitchable) *unstitchable = true;
            return nullptr;
        }
    }

    SetStatusText(status, "Setting Pattern Angles");
    FindPatternAngles(first, status);

    SetStatusText(status, "Breaking Up Long Lines");
    FillBrokenLines(first, status, &counter);

    SetStatusText(status, "Setting Feeds");
    SetFeeds(first, 1);
    return first;
}

void FindPatternAngles(FullPattern_t* first, StatusWindow* status) {
    if (!first) {
        ShowMessage(kMessageError, kButtonsOk, "FindPatternAngles: No Data!");
        return;
    }
    FullPattern_t* last = first;
    for (FullPattern_t* p = first; p; p = p->next()) {
        p->feed = kInitialFeed;
        last = p;
    }
    // The pattern points in threes, a before b before c, in inches.
    long counter = 0;
    int index = 0;  // of c among them
    FullPattern_t* b = nullptr;
    float pa[2] = {}, pb[2] = {};
    for (FullPattern_t* c = first; c; c = c->next()) {
        if (c->inserted) continue;
        const float pc[2] = {c->x / kPathUnitsPerInch, c->y / kPathUnitsPerInch};
        if (index >= 2) {
            CountProgress(status, &counter);
            b->feed = GetMaxFeed(pa, pb, pc, index - 1, Machine().minSpeed, nullptr);
        }
        pa[0] = pb[0], pa[1] = pb[1];
        pb[0] = pc[0], pb[1] = pc[1];
        b = c;
        index++;
    }
    first->feed = 0;
    last->feed = 0;
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
    // Nearly straight on (a turn below 4.97 degrees, well inside the 5 free of
    // any limit): full feed, found without the arc cosine, which costs more
    // than the rest of this function. Most points of a path are here.
    constexpr double kNearlyStraightCosine = -0.99625;
    if (!turnOut && cosine <= kNearlyStraightCosine)
        return static_cast<float>(std::max(100.0, static_cast<double>(minimumFeed)));
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
        curvatureLimit = r * (Machine().curvature * 3.2 / 100.0) * 100.0;
        if (!(curvatureLimit <= 100.0)) curvatureLimit = 100.0;  // NaN: a degenerate circle
        if (curvatureLimit < minimumFeed) curvatureLimit = minimumFeed;
    }

    double feed = std::min(angleLimit, curvatureLimit);
    if (feed < minimumFeed) feed = minimumFeed;
    return static_cast<float>(feed);
}

int ExplodeLine(const FullPattern_t* end, const FullPattern_t* start, float length,
                FullPattern_t* out) {
    if (!end || !start || length <= 0) return 0;
    const float dx = end->x - start->x, dy = end->y - start->y;
    const float square = dx * dx + dy * dy;
    // Shorter than 1.997 lengths: whole, found without the root. Most moves.
    if (square < 3.99f * length * length) return 0;  // as kShortestBrokenSquare
    const float d = std::sqrt(square);
    if (!(d > length) || !std::isfinite(d)) return 0;
    // A move longer than any table (a broken position) is cut into at most
    // this many pieces, so it cannot exhaust the memory.
    constexpr float kMostPieces = 1000000.0f;
    const int n = static_cast<int>(std::fmin(std::floor(d / length), kMostPieces));
    if (n < 2) return 0;
    if (!out) return n;
    const float stepX = (end->x - start->x) / n;
    const float stepY = (end->y - start->y) / n;
    float x = start->x, y = start->y;
    for (int k = 1; k < n; k++) {
        x += stepX;
        y += stepY;
        FullPattern_t& point = out[k - 1];
        point.feed = kInitialFeed;
        point.x = x;
        point.y = y;
        point.halt = 0;
        point.inserted = 1;
    }
    return n;
}

FullPattern_t* LinePath(float fromX, float fromY, float toX, float toY, float minimumFeed) {
    FullPattern_t start, end;
    start.x = fromX;
    start.y = fromY;
    end.x = toX;
    end.y = toY;
    start.feed = end.feed = minimumFeed;
    const int pieces = ExplodeLine(&end, &start, kLineBreakLength);
    const long count = pieces > 0 ? pieces + 1 : 2;
    FullPattern_t* path = NewFullPattern(count);
    ExplodeLine(&end, &start, kLineBreakLength, path + 1);
    path[0].x = start.x;
    path[0].y = start.y;
    path[0].feed = minimumFeed;
    path[count - 1].x = end.x;
    path[count - 1].y = end.y;
    path[count - 1].feed = minimumFeed;
    return path;
}

void SetFeeds(FullPattern_t* first, int smoothing) {
    if (!first) {
        LogLine("SetFeeds: fPattern is NULL");
        return;
    }
    FullPattern_t* p = first;  // the path is one block: p[i] is its point i
    const int n = CountFullPattern(first);
    if (n < 3) {
        LogLine("SetFeeds: nodeCount is less than 3");
        for (int i = 0; i < n; i++)
            p[i].feed = kShortPathFeed;
        return;
    }
    const float acc = Machine().acceleration * 35;
    Log("Acceleration Value: %.1f\n", acc);

    for (int i = 0; i <= n - 2; i++) {
        float d = Distance(&p[i], &p[i + 1]) / kPathUnitsPerInch;
        float reachable = std::sqrt(2 * acc * d + p[i].feed * p[i].feed);
        p[i + 1].feed = std::min(p[i + 1].feed, reachable);
    }
    float top = 0;
    for (int i = n - 1; i >= 1; i--) {
        float d = Distance(&p[i - 1], &p[i]) / kPathUnitsPerInch;
        float reachable = std::sqrt(2 * acc * d + p[i].feed * p[i].feed);
        p[i - 1].feed = std::min(p[i - 1].feed, reachable);
        top = std::max(top, p[i - 1].feed);
    }
    if (!smoothing) return;

    float hi = 0, lo = 100;
    for (int i = 2; i <= n - 4; i++) {
        p[i].feed = (p[i - 2].feed + p[i - 1].feed + p[i].feed + p[i + 1].feed + p[i + 2].feed) / 5;
        hi = std::max(hi, p[i].feed);
        lo = std::min(lo, p[i].feed);
    }
    for (int i = 1; i <= n - 2; i++) {
        if (p[i].feed <= lo || hi <= lo)
            p[i].feed = Machine().minSpeed;
        else
            p[i].feed =
                Machine().minSpeed + (top - Machine().minSpeed) * (p[i].feed - lo) / (hi - lo);
    }
}
