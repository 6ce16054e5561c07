#include "pattern/import/point_chains.h"

#include <algorithm>
#include <cmath>

#include "pattern/pattern.h"

void InitChainList(ChainList& list) {
    list.points.clear();
    list.starts.assign(1, 0);
    list.overflow = false;
}

std::size_t ChainCount(const ChainList& list) {
    return list.starts.size();
}

std::size_t ChainBegin(const ChainList& list, std::size_t chain) {
    return list.starts[chain];
}

std::size_t ChainEnd(const ChainList& list, std::size_t chain) {
    return chain + 1 < list.starts.size() ? list.starts[chain + 1] : list.points.size();
}

void OpenChainIfUsed(ChainList& list) {
    if (list.starts.empty() || list.starts.back() < list.points.size()) OpenChain(list);
}

void OpenChain(ChainList& list) {
    list.starts.push_back(list.points.size());
}

bool newPoint(ChainList& list, double x, double y) {
    if (list.points.size() >= list.pointLimit) {
        list.overflow = true;
        return false;
    }
    if (list.starts.empty()) list.starts.push_back(0);
    list.points.push_back({x, y});
    return true;
}

void DropEmptyChains(ChainList& list) {
    std::vector<std::size_t> kept;
    kept.reserve(list.starts.size());
    for (std::size_t c = 0; c < list.starts.size(); c++) {
        if (ChainEnd(list, c) > ChainBegin(list, c)) kept.push_back(list.starts[c]);
    }
    list.starts.swap(kept);
}

double ArcStep(double radius, double sweepRadians) {
    const double fullTurn = 2.0 * kImportPi;
    double finest = std::max(fullTurn, std::fabs(sweepRadians)) / double(kMaxArcPoints);
    double step = 0.1 / std::fabs(radius);
    if (!std::isfinite(step)) step = fullTurn;  // radius 0: the centre, once
    return std::max(step, finest);
}

namespace {

bool AddPointAt(ChainList& list, double cx, double cy, double radius, double angle) {
    return newPoint(list, cx + radius * std::cos(angle), cy + radius * std::sin(angle));
}

// Brings an angle in degrees into 0..360; values already inside (360 included,
// so that an arc from 0 to 360 stays a full turn) are left exactly as they are.
double NormalDegrees(double degrees) {
    if (degrees >= 0.0 && degrees <= 360.0) return degrees;
    double d = std::fmod(degrees, 360.0);
    if (d < 0.0) d += 360.0;
    return d;
}

}  // namespace

bool AddCirclePoints(ChainList& list, double cx, double cy, double radius) {
    const double fullTurn = 2.0 * kImportPi;
    double step = ArcStep(radius, fullTurn);
    std::size_t guard = 0;
    for (double a = 0.0; a <= fullTurn && guard <= kMaxArcPoints; a += step, guard++) {
        if (!AddPointAt(list, cx, cy, radius, a)) return false;
    }
    return AddPointAt(list, cx, cy, radius, fullTurn);
}

// The arc walks counterclockwise from the start angle. When the end lies below
// the start the arc wraps: it runs up to a full turn, drops back by 2 pi and
// carries on to the end. The end point itself is always added last, exactly.
// With both angles inside 0..2 pi the walk covers less than two turns, and the
// guard stops it in any case after 2 kMaxArcPoints steps.
bool AddArcPoints(ChainList& list, double cx, double cy, double radius, double startDegrees,
                  double endDegrees) {
    const double fullTurn = 2.0 * kImportPi;
    const double toRadians = kImportPi / 180.0;
    double start = NormalDegrees(startDegrees) * toRadians;
    double end = NormalDegrees(endDegrees) * toRadians;
    double step = ArcStep(radius, fullTurn);
    bool wrapping = end < start;
    double a = start;
    for (std::size_t guard = 0; guard < 2 * kMaxArcPoints + 2; guard++) {
        if (!wrapping && !(a < end)) break;
        if (!AddPointAt(list, cx, cy, radius, a)) return false;
        a += step;
        if (!wrapping && a > end) break;
        if (a >= fullTurn) {
            a -= fullTurn;
            wrapping = false;
        }
    }
    return AddPointAt(list, cx, cy, radius, end);
}

namespace {

// Bounds over all points (minimum from 999999.0, maximum from -99999.0).
struct DrawingBounds {
    double minX = 999999.0;
    double minY = 999999.0;
    double maxX = -99999.0;
    double maxY = -99999.0;
};

bool FindDrawingBounds(const ChainList& list, ImportProgress& progress, DrawingBounds& bounds) {
    SetImportPhase(progress, "Find Min and Max");
    bounds = DrawingBounds{};
    for (const ChainPoint& p : list.points) {
        if (p.x != 99999.0) {
            bounds.minX = std::min(bounds.minX, p.x);
            bounds.maxX = std::max(bounds.maxX, p.x);
        }
        if (p.y != 99999.0) {
            bounds.minY = std::min(bounds.minY, p.y);
            bounds.maxY = std::max(bounds.maxY, p.y);
        }
        if (!StepImportProgress(progress)) return false;
    }
    return true;
}

bool AdjustDrawingPoints(ChainList& list, const DrawingBounds& bounds, ImportProgress& progress,
                         double& width, double& height) {
    SetImportPhase(progress, "Adjust Points");
    for (ChainPoint& p : list.points) {
        p.x -= bounds.minX;
        p.y -= bounds.minY;
        if (!StepImportProgress(progress)) return false;
    }
    width = bounds.maxX - bounds.minX;
    height = bounds.maxY - bounds.minY;
    return true;
}

bool InvertDrawingPoints(ChainList& list, double height, ImportProgress& progress) {
    SetImportPhase(progress, "Invert Pattern");
    for (ChainPoint& p : list.points) {
        p.y = height - p.y;
        if (!StepImportProgress(progress)) return false;
    }
    return true;
}

std::string TooWideText(double width, double height) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "the drawing measures %.0f by %.0f inches, more than a pattern can hold (%.0f)",
                  width, height, kMaxPatternCoordinate);
    return text;
}

// The bounds leave out coordinates equal to 99999.0, so such a point can land
// anywhere once the drawing is moved, even where the pattern reader refuses it.
// A value below the limit by less than half a thousandth would be written as the
// limit itself, so that margin is kept too.
bool FitsInPattern(const ChainList& list) {
    constexpr double kLargestWritten = kMaxPatternCoordinate - 0.0005;
    for (const ChainPoint& p : list.points) {
        if (!(std::fabs(p.x) < kLargestWritten && std::fabs(p.y) < kLargestWritten)) return false;
    }
    return true;
}

}  // namespace

bool PlaceDrawing(ChainList& list, ImportProgress& progress, std::string& error) {
    DropEmptyChains(list);
    DrawingBounds bounds;
    double width = 0.0, height = 0.0;
    if (!FindDrawingBounds(list, progress, bounds) ||
        !AdjustDrawingPoints(list, bounds, progress, width, height) ||
        !InvertDrawingPoints(list, height, progress)) {
        if (error.empty()) error = "the conversion was stopped";
        return false;
    }
    if (!(width < kMaxPatternCoordinate && height < kMaxPatternCoordinate)) {
        if (error.empty()) error = TooWideText(width, height);
        return false;
    }
    if (FitsInPattern(list)) return true;
    if (error.empty()) {
        error = "a point of the drawing lands outside what a pattern can hold (" +
                std::to_string(static_cast<long>(kMaxPatternCoordinate)) + " inches)";
    }
    return false;
}

bool WriteChainPoints(FILE* target, const ChainList& list, std::size_t chain, bool reversed,
                      ImportProgress& progress) {
    std::size_t begin = ChainBegin(list, chain);
    std::size_t end = ChainEnd(list, chain);
    // The lines are gathered and handed to the stream in blocks of about 64 KiB.
    constexpr std::size_t kBlock = 64 * 1024;
    std::string lines;
    lines.reserve(std::min(kBlock, (end - begin) * 24) + 64);
    bool ok = true;
    for (std::size_t k = 0; k < end - begin; k++) {
        const ChainPoint& p = list.points[reversed ? end - 1 - k : begin + k];
        lines += "p X";
        AppendFixed3(lines, p.x);
        lines += " Y";
        AppendFixed3(lines, p.y);
        lines += '\n';
        if (lines.size() >= kBlock) {
            std::fwrite(lines.data(), 1, lines.size(), target);
            lines.clear();
        }
        if (!StepImportProgress(progress)) {
            ok = false;
            break;
        }
    }
    std::fwrite(lines.data(), 1, lines.size(), target);
    return ok;
}
