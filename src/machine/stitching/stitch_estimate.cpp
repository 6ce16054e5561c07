// Stitch-path figures and run time. See stitch_estimate.h.
#include "machine/stitching/stitch_estimate.h"

#include <cmath>
#include <cstdio>

#include "machine/machine_parameters.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/stitch_path.h"

namespace {

constexpr double kFullFeed = 100.0;
constexpr double kAccelerationFactor = 35.0;  // acceleration setting to feed² per inch

double DistanceInches(const FullPattern_t* a, const FullPattern_t* b) {
    return std::hypot(b->x - a->x, b->y - a->y) / kPathUnitsPerInch;
}

// Inches per second of a move at this feed and board speed (board model).
double InchesPerSecond(double feed, double minimumFeed, double boardSpeed) {
    return std::fmax(feed, minimumFeed) / kFullFeed * boardSpeed / 10.0;
}

// Seconds of a lead line of `inches` from the head to a point: cut into
// pieces of at least kLineBreakLength, accelerating from and braking to the
// minimum feed, at the lead-line speed. A lead line too short to be cut runs
// both its points at the short-path feed.
double LeadLineSeconds(double inches, const RunSpeeds& s) {
    if (!(inches > 0) || s.leadLineSpeed <= 0) return 0;
    // Counted in path units, as the line breaking counts them.
    const float units = static_cast<float>(inches * kPathUnitsPerInch);
    const long n = std::lround(std::fmin(std::floor(units / kLineBreakLength), 1.0e6f));
    if (n < 2) return inches / InchesPerSecond(kShortPathFeed, s.minimumFeed, s.leadLineSpeed);
    const double d = inches / n;
    const double reach = 2.0 * s.acceleration * kAccelerationFactor * d;
    // Feeds of the points 1 … n − 1 limited from both ends, as SetFeeds does.
    std::vector<double> feed(n + 1, kFullFeed);
    feed[0] = feed[n] = s.minimumFeed;
    for (long k = 1; k <= n; k++)
        feed[k] = std::fmin(feed[k], std::sqrt(reach + feed[k - 1] * feed[k - 1]));
    for (long k = n - 1; k >= 1; k--)
        feed[k] = std::fmin(feed[k], std::sqrt(reach + feed[k + 1] * feed[k + 1]));
    double seconds = 0;
    for (long k = 1; k <= n; k++)
        seconds += d / InchesPerSecond(feed[k], s.minimumFeed, s.leadLineSpeed);
    return seconds;
}

// Seconds of a lock stitch whose tie-off runs `inches` out and back: one trip
// for every two repetitions (at least one), at the lock-stitch feed and speed.
double LockStitchSeconds(double inches, const RunSpeeds& s) {
    const int trips = s.stitchRep > 0 ? (s.stitchRep + 1) / 2 : 0;
    return trips * 2.0 * inches / InchesPerSecond(kLockStitchFeed, s.minimumFeed, kLockStitchSpeed);
}

// The length of the tie-off of a lock stitch at a point: to its neighbour.
double TieOffInches(const FullPattern_t* p) {
    const FullPattern_t* other = p->prev() ? p->prev() : p->next();
    return other ? DistanceInches(p, other) : 0;
}

// Seconds of the move from p to p->next() with what the run does around it (the
// lock stitches of a jump).
double MoveSeconds(const FullPattern_t* p, const RunSpeeds& s) {
    const double inches = DistanceInches(p, p->next());
    switch (ClassifyMove(p)) {
        case kMoveJump:
            return LockStitchSeconds(TieOffInches(p), s) + LeadLineSeconds(inches, s);
        case kMoveTieOn:
            return LeadLineSeconds(inches, s) + LockStitchSeconds(inches, s);
        case kMoveSewn:
            if (p->halt) return LeadLineSeconds(inches, s);  // a short jump, sewn
            return inches / InchesPerSecond(p->next()->feed, s.minimumFeed, s.topSpeed);
    }
    return 0;
}

}  // namespace

MoveKind ClassifyMove(const FullPattern_t* p) {
    if (!p || !p->next()) return kMoveSewn;
    if (p->halt) return DistanceInches(p, p->next()) < kLockJumpInches ? kMoveSewn : kMoveJump;
    if (p->prev() && p->prev()->halt && DistanceInches(p->prev(), p) >= kLockJumpInches)
        return kMoveTieOn;
    return kMoveSewn;
}

RunSpeeds CurrentRunSpeeds() {
    RunSpeeds s;
    s.topSpeed = Machine().maxSpeed;
    s.minimumFeed = Machine().minSpeed;
    s.leadLineSpeed = Machine().leadLineSpeed;
    s.acceleration = Machine().acceleration;
    s.jumpStitch = Machine().jumpStitch;
    s.stitchRep = Machine().stitchRep;
    return s;
}

StitchEstimate EstimateStitchPath(const FullPattern_t* first, const RunSpeeds& speeds) {
    StitchEstimate e;
    for (const FullPattern_t* p = first; p; p = p->next()) {
        e.points++;
        if (!p->next()) break;
        const double inches = DistanceInches(p, p->next());
        if (p->halt) e.sections++;
        switch (ClassifyMove(p)) {
            case kMoveSewn:
                if (inches > 0) e.stitches++;
                e.stitchedInches += inches;
                break;
            case kMoveJump:
                e.jumps++;
                if (inches > speeds.jumpStitch) e.threadCuts++;
                e.jumpInches += inches;
                break;
            case kMoveTieOn:  // run as a lead line and tied on: no stitcher run
                break;
        }
    }
    if (e.points > 0) {
        e.sections++;
        e.lockStitches = e.points > 1 ? 2 + 2 * e.jumps : 0;
    }
    const std::vector<double> left = SecondsLeftAtPoints(first, speeds);
    e.seconds = left.empty() ? (first ? -1 : 0) : left.front();
    return e;
}

std::vector<double> SecondsLeftAtPoints(const FullPattern_t* first, const RunSpeeds& speeds) {
    std::vector<double> left;
    if (!(speeds.topSpeed > 0)) return left;
    const size_t count = static_cast<size_t>(CountFullPattern(first));
    if (count == 0) return left;
    const FullPattern_t* points = first;  // the path is one block
    left.assign(count, 0.0);
    // The closing lock stitch follows the last point.
    double after = count > 1 ? LockStitchSeconds(TieOffInches(&points[count - 1]), speeds) : 0;
    left.back() = after;
    for (size_t i = count - 1; i-- > 0;) {
        after += MoveSeconds(&points[i], speeds);
        left[i] = after;
    }
    if (count > 1) left[0] += LockStitchSeconds(TieOffInches(&points[0]), speeds);
    return left;
}

std::string FormatDuration(double seconds) {
    if (!(seconds >= 0)) return "UNKNOWN";
    const long total = std::lround(std::fmin(seconds, 1.0e9));
    char text[48];
    if (total < 60)
        std::snprintf(text, sizeof text, "%ld S", total);
    else if (total < 3600)
        std::snprintf(text, sizeof text, "%ld MIN %02ld S", total / 60, total % 60);
    else
        std::snprintf(text, sizeof text, "%ld H %02ld MIN", total / 3600, total % 3600 / 60);
    return text;
}

std::string FormatRunProgress(const RunProgress& progress) {
    char text[80];
    const int share = static_cast<int>(std::fmin(std::fmax(progress.shareDone, 0.0), 1.0) * 100);
    if (progress.secondsLeft < 0)
        std::snprintf(text, sizeof text, "%d%% DONE", share);
    else
        std::snprintf(text, sizeof text, "%d%% DONE, %s LEFT", share,
                      FormatDuration(progress.secondsLeft).c_str());
    return text;
}
