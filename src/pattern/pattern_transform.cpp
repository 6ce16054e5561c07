#include "pattern/pattern_transform.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/ui_hooks.h"
#include "pattern/pattern_image.h"

namespace {

constexpr float kCentreNudge = 0.001f;  // inches: keeps atan2 off the exact centre
constexpr int kStatusEveryPoints = 500;

}  // namespace

// Each point is turned in polar form about the centre: its angle grows by the
// rotation, its radius stays. A coordinate lying exactly on the centre's is
// nudged first so the angle of the point is always well defined.
std::optional<CentreShift> RotatePattern(Pattern* pattern, float angle) {
    if (!pattern) return std::nullopt;
    if (angle < 0) angle += 360;
    const float oldWidth = pattern->width;
    const float oldHeight = pattern->height;
    const float cx = pattern->width / 2;
    const float cy = pattern->height / 2;
    const double theta = angle * std::numbers::pi / 180.0;

    for (int i = 0; i < pattern->pointCount; i++) {
        float x = pattern->x[i];
        float y = pattern->y[i];
        if (x == cx) x += kCentreNudge;
        if (y == cy) y += kCentreNudge;
        float dx = x - cx;
        float dy = y - cy;
        double phi = std::atan2(dy, dx);
        double r = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
        pattern->x[i] = static_cast<float>(cx + r * std::cos(phi + theta));
        pattern->y[i] = static_cast<float>(cy + r * std::sin(phi + theta));
    }
    UpdatePatternSize(pattern);
    OffsetPattern(pattern, pattern->minX, pattern->minY);
    pattern->minX = 0;
    pattern->minY = 0;
    pattern->maxX = pattern->width;
    pattern->maxY = pattern->height;
    return CentreShift{oldWidth / 2 - pattern->width / 2, oldHeight / 2 - pattern->height / 2};
}

float stretchPattern(Pattern* pattern, char axis, float factor, StatusWindow* status) {
    if (!pattern || (axis != 'x' && axis != 'y')) return 0;
    const bool alongX = (axis == 'x');
    std::vector<float>& values = alongX ? pattern->x : pattern->y;
    float& lo = alongX ? pattern->minX : pattern->minY;
    float& hi = alongX ? pattern->maxX : pattern->maxY;
    const float oldCentre = (lo + hi) / 2;

    for (size_t i = 0; i < values.size(); i++) {
        float v = values[i] * factor;
        values[i] = v;
        if (i == 0 || v < lo) lo = v;
        if (i == 0 || v > hi) hi = v;
        if (status && (i + 1) % kStatusEveryPoints == 0) UpdateStatusWindow(status);
    }
    if (values.empty()) lo = hi = 0;
    if (alongX) {
        pattern->width = hi - lo;
        pattern->baseWidth *= factor;
    } else {
        pattern->height = hi - lo;
        pattern->baseHeight *= factor;
    }
    return (lo + hi) / 2 - oldCentre;
}

void mirrorPattern(Pattern* pattern, int mirrorX, int mirrorY) {
    if (!pattern) return;
    if (mirrorX)
        for (float& v : pattern->x)
            v = pattern->width - v;
    if (mirrorY)
        for (float& v : pattern->y)
            v = pattern->height - v;
    InvalidatePatternImages();
}

void ReversePatternPath(Pattern* pattern) {
    if (!pattern) return;
    std::reverse(pattern->x.begin(), pattern->x.end());
    std::reverse(pattern->y.begin(), pattern->y.end());
    for (int& c : pattern->commandPoint)
        c = pattern->pointCount - c + 2;
    std::reverse(pattern->commandPoint.begin(), pattern->commandPoint.end());
    std::reverse(pattern->commandType.begin(), pattern->commandType.end());
}
