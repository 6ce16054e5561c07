// The merged path of an array. See pattern_merge.h.
#include "pattern/pattern_merge.h"

#include <glib.h>

#include <cmath>
#include <string>

namespace {

constexpr long kMaxMergedCopies = 10000;

// Appends a point through the pattern file's own syntax, so the merged
// pattern holds exactly what saving and loading it gives.
void AddPoint(Pattern* p, double x, double y) {
    char bx[G_ASCII_DTOSTR_BUF_SIZE], by[G_ASCII_DTOSTR_BUF_SIZE];
    g_ascii_formatd(bx, sizeof bx, "%0.3f", x);
    g_ascii_formatd(by, sizeof by, "%0.3f", y);
    const std::string line = std::string("p X") + bx + " Y" + by;
    addData(p, line.c_str(), 0);
}

// The stops of the source, by the 0-based point they precede.
std::vector<int> StopsBefore(const Pattern& s) {
    std::vector<int> stops(s.pointCount, 0);
    for (int k = 0; k < s.commandCount; k++) {
        const int before = s.commandPoint[k] - 1;
        if (s.commandType[k] == PatternCommandType::Stop && before >= 0 && before < s.pointCount)
            stops[before]++;
    }
    return stops;
}

bool FarFromPrevious(const Pattern& m) {
    const int n = m.pointCount;
    return n >= 2 &&
           std::hypot(m.x[n - 1] - m.x[n - 2], m.y[n - 1] - m.y[n - 2]) > kMergeJoinDistance;
}

}  // namespace

// Commands appended with attach 0 precede the point added last, so each
// point's commands follow it here:
//
//   p (first point of a copy)   c e e   (end of the copy before)
//                               c s     (a new row, or a gap in a row)
//                               c e s   (this copy begins)
//   p ...                       c s     (a stop of the source)
//   p (last point)              ...     the copy's end stays open
std::unique_ptr<Pattern> BuildMergedPattern(const Pattern& s, const MergeGrid& grid,
                                            const MergeCopyStarted& copyStarted) {
    const long total = static_cast<long>(grid.down) * grid.across;
    if (grid.down < 1 || grid.across < 1 || total > kMaxMergedCopies) return nullptr;
    auto m = newPattern(nullptr, 0);
    m->name = s.name + "_merged";
    const std::vector<int> stops = StopsBefore(s);
    bool endOpen = false, newRow = false;
    int copy = 0;
    for (int r = 0; r < grid.down; r++) {
        for (int c = 0; c < grid.across; c++) {
            if (copyStarted && !copyStarted(++copy, static_cast<int>(total))) return nullptr;
            const double ox = static_cast<double>(grid.x) - s.minX + s.width * c +
                              c * static_cast<double>(grid.spacingAcross);
            const double oy = static_cast<double>(grid.y) - s.minY + s.height * r +
                              r * static_cast<double>(grid.spacingDown);
            for (int i = 0; i < s.pointCount; i++) {
                AddPoint(m.get(), s.x[i] + ox, s.y[i] + oy);
                if (i == 0) {
                    if (endOpen) {
                        addData(m.get(), "c e e", 0);
                        if (newRow) addData(m.get(), "c s", 0);
                        newRow = false;
                    }
                    if (c != 0 && FarFromPrevious(*m)) addData(m.get(), "c s", 0);
                    addData(m.get(), "c e s", 0);
                }
                if (i == s.pointCount - 1) endOpen = true;
                for (int k = 0; k < stops[i]; k++)
                    addData(m.get(), "c s", 0);
            }
        }
        newRow = true;
    }
    addData(m.get(), "c e e", 1);
    addData(m.get(), "c s", 1);
    m->baseWidth = m->baseHeight = 0;
    m->angle = 0;
    return m;
}
