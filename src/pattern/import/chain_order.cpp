#include "pattern/import/chain_order.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

namespace {

// The one distance function both orders use, so that equal distances compare
// equal in both and ties are broken the same way.
double Gap(double ax, double ay, double bx, double by) {
    double dx = bx - ax;
    double dy = by - ay;
    return std::sqrt(dx * dx + dy * dy);
}

// Candidate key of a chain end: 2 * chain for its first point, 2 * chain + 1 for
// its last point. Comparing keys reproduces the plain order's scan order.
struct Candidate {
    double gap = std::numeric_limits<double>::infinity();
    long key = LONG_MAX;
};

bool Better(double gap, long key, const Candidate& best) {
    return gap < best.gap || (gap == best.gap && key < best.key);
}

// A static k-d tree over the chain ends, stored implicitly: the subtree of the
// index range [lo, hi) has its root at mid = (lo + hi) / 2, its left subtree in
// [lo, mid) and its right subtree in [mid + 1, hi). Ends are removed by flag; each
// subtree root keeps how many ends below it are still alive, the smallest alive
// key below it and the bounding box of all its ends. A subtree is skipped when
// the distance to its box already exceeds the best gap found, or equals it while
// every key inside is larger - exactly the cases in which the plain scan could
// not change its choice either.
struct EndTree {
    std::vector<double> x, y;
    std::vector<long> key;
    std::vector<char> alive;
    std::vector<char> axis;  // 0: split on x, 1: on y
    std::vector<double> boxMinX, boxMinY, boxMaxX, boxMaxY;
    std::vector<std::size_t> aliveBelow;
    std::vector<long> minKeyBelow;
    std::vector<std::size_t> slotOfKey;  // where each key ended up, indexed by key
};

struct EndRef {
    double x, y;
    long key;
};

void BuildTree(EndTree& t, std::vector<EndRef>& ends, std::size_t lo, std::size_t hi) {
    if (lo >= hi) return;
    double minX = ends[lo].x, maxX = ends[lo].x, minY = ends[lo].y, maxY = ends[lo].y;
    long minKey = ends[lo].key;
    for (std::size_t i = lo + 1; i < hi; i++) {
        minX = std::min(minX, ends[i].x);
        maxX = std::max(maxX, ends[i].x);
        minY = std::min(minY, ends[i].y);
        maxY = std::max(maxY, ends[i].y);
        minKey = std::min(minKey, ends[i].key);
    }
    std::size_t mid = lo + (hi - lo) / 2;
    char splitAxis = (maxX - minX) >= (maxY - minY) ? 0 : 1;
    std::nth_element(ends.begin() + lo, ends.begin() + mid, ends.begin() + hi,
                     [splitAxis](const EndRef& a, const EndRef& b) {
                         return splitAxis == 0 ? a.x < b.x : a.y < b.y;
                     });
    t.x[mid] = ends[mid].x;
    t.y[mid] = ends[mid].y;
    t.key[mid] = ends[mid].key;
    t.alive[mid] = 1;
    t.axis[mid] = splitAxis;
    t.boxMinX[mid] = minX;
    t.boxMaxX[mid] = maxX;
    t.boxMinY[mid] = minY;
    t.boxMaxY[mid] = maxY;
    t.aliveBelow[mid] = hi - lo;
    t.minKeyBelow[mid] = minKey;
    t.slotOfKey[ends[mid].key] = mid;
    BuildTree(t, ends, lo, mid);
    BuildTree(t, ends, mid + 1, hi);
}

// Distance from (qx, qy) to the box, never larger than Gap() to any point in it.
double BoxGap(const EndTree& t, std::size_t node, double qx, double qy) {
    double dx = 0.0, dy = 0.0;
    if (qx < t.boxMinX[node])
        dx = t.boxMinX[node] - qx;
    else if (qx > t.boxMaxX[node])
        dx = qx - t.boxMaxX[node];
    if (qy < t.boxMinY[node])
        dy = t.boxMinY[node] - qy;
    else if (qy > t.boxMaxY[node])
        dy = qy - t.boxMaxY[node];
    return std::sqrt(dx * dx + dy * dy);
}

void Search(const EndTree& t, std::size_t lo, std::size_t hi, double qx, double qy,
            Candidate& best) {
    if (lo >= hi) return;
    std::size_t mid = lo + (hi - lo) / 2;
    if (t.aliveBelow[mid] == 0) return;
    double bound = BoxGap(t, mid, qx, qy);
    if (bound > best.gap || (bound == best.gap && t.minKeyBelow[mid] > best.key)) return;
    if (t.alive[mid]) {
        double g = Gap(qx, qy, t.x[mid], t.y[mid]);
        if (Better(g, t.key[mid], best)) {
            best.gap = g;
            best.key = t.key[mid];
        }
    }
    double q = t.axis[mid] == 0 ? qx : qy;
    double split = t.axis[mid] == 0 ? t.x[mid] : t.y[mid];
    if (q < split) {
        Search(t, lo, mid, qx, qy, best);
        Search(t, mid + 1, hi, qx, qy, best);
    } else {
        Search(t, mid + 1, hi, qx, qy, best);
        Search(t, lo, mid, qx, qy, best);
    }
}

// Removes the end stored at slot and repairs the counts and smallest keys on the
// path from the root down to it.
void RemoveEnd(EndTree& t, std::size_t slot) {
    std::size_t path[64];
    std::size_t ranges[64][2];
    std::size_t depth = 0;
    std::size_t lo = 0, hi = t.x.size();
    while (lo < hi && depth < 64) {
        std::size_t mid = lo + (hi - lo) / 2;
        path[depth] = mid;
        ranges[depth][0] = lo;
        ranges[depth][1] = hi;
        depth++;
        if (slot == mid) break;
        if (slot < mid)
            hi = mid;
        else
            lo = mid + 1;
    }
    t.alive[slot] = 0;
    for (std::size_t d = depth; d-- > 0;) {
        std::size_t mid = path[d];
        t.aliveBelow[mid]--;
        long smallest = t.alive[mid] ? t.key[mid] : LONG_MAX;
        std::size_t l = ranges[d][0], h = ranges[d][1];
        if (l < mid) {
            std::size_t left = l + (mid - l) / 2;
            if (t.aliveBelow[left] > 0) smallest = std::min(smallest, t.minKeyBelow[left]);
        }
        if (mid + 1 < h) {
            std::size_t right = mid + 1 + (h - mid - 1) / 2;
            if (t.aliveBelow[right] > 0) smallest = std::min(smallest, t.minKeyBelow[right]);
        }
        t.minKeyBelow[mid] = smallest;
    }
}

const ChainPoint& FirstOf(const ChainList& list, std::size_t c) {
    return list.points[ChainBegin(list, c)];
}

const ChainPoint& LastOf(const ChainList& list, std::size_t c) {
    return list.points[ChainEnd(list, c) - 1];
}

// A chain whose last point equals its first can never be entered from its last
// point (the first point ties and comes earlier), so only its first is stored.
bool LastEndMatters(const ChainList& list, std::size_t c) {
    const ChainPoint& f = FirstOf(list, c);
    const ChainPoint& l = LastOf(list, c);
    return !(f.x == l.x && f.y == l.y);
}

}  // namespace

std::vector<ChainVisit> OrderChainsNearest(const ChainList& list, ImportProgress& progress) {
    std::size_t n = ChainCount(list);
    std::vector<ChainVisit> visits;
    if (n == 0) return visits;
    visits.reserve(n);

    std::vector<EndRef> ends;
    ends.reserve(2 * n);
    for (std::size_t c = 1; c < n; c++) {
        ends.push_back({FirstOf(list, c).x, FirstOf(list, c).y, long(2 * c)});
        if (LastEndMatters(list, c))
            ends.push_back({LastOf(list, c).x, LastOf(list, c).y, long(2 * c + 1)});
    }
    EndTree tree;
    std::size_t m = ends.size();
    tree.x.resize(m);
    tree.y.resize(m);
    tree.key.resize(m);
    tree.alive.resize(m);
    tree.axis.resize(m);
    tree.boxMinX.resize(m);
    tree.boxMinY.resize(m);
    tree.boxMaxX.resize(m);
    tree.boxMaxY.resize(m);
    tree.aliveBelow.resize(m);
    tree.minKeyBelow.resize(m);
    tree.slotOfKey.assign(2 * n, SIZE_MAX);
    BuildTree(tree, ends, 0, m);
    ends.clear();
    ends.shrink_to_fit();

    std::vector<char> done(n, 0);
    std::size_t firstLeft = 1;  // no chain before this one remains
    std::size_t current = 0;
    bool reversed = false;
    for (std::size_t visited = 1;; visited++) {
        done[current] = 1;
        for (long k : {long(2 * current), long(2 * current + 1)}) {
            if (tree.slotOfKey[k] != SIZE_MAX) RemoveEnd(tree, tree.slotOfKey[k]);
        }
        const ChainPoint& at = reversed ? FirstOf(list, current) : LastOf(list, current);
        ChainVisit visit{current, reversed, true};
        if (visited == n || !StepImportProgress(progress)) {
            visits.push_back(visit);
            break;
        }
        Candidate best;
        Search(tree, 0, m, at.x, at.y, best);
        while (firstLeft < n && done[firstLeft])
            firstLeft++;
        double gap = kChainSearchLimit;
        if (best.gap < kChainSearchLimit) {
            gap = best.gap;
            current = std::size_t(best.key / 2);
            reversed = (best.key % 2) == 1;
        } else {
            current = firstLeft;
            reversed = false;
        }
        visit.stopAfter = gap > kChainJumpLimit;
        visits.push_back(visit);
    }
    return visits;
}

std::vector<ChainVisit> OrderChainsPlain(const ChainList& list) {
    std::size_t n = ChainCount(list);
    std::vector<ChainVisit> visits;
    if (n == 0) return visits;
    std::vector<std::size_t> remaining;
    for (std::size_t c = 1; c < n; c++)
        remaining.push_back(c);
    std::size_t current = 0;
    bool reversed = false;
    for (;;) {
        const ChainPoint& at = reversed ? FirstOf(list, current) : LastOf(list, current);
        ChainVisit visit{current, reversed, true};
        if (remaining.empty()) {
            visits.push_back(visit);
            break;
        }
        double best = kChainSearchLimit;
        std::size_t bestIndex = 0;
        bool bestReversed = false;
        for (std::size_t i = 0; i < remaining.size(); i++) {
            std::size_t c = remaining[i];
            double toFirst = Gap(at.x, at.y, FirstOf(list, c).x, FirstOf(list, c).y);
            if (toFirst < best) {
                best = toFirst;
                bestIndex = i;
                bestReversed = false;
            }
            double toLast = Gap(at.x, at.y, LastOf(list, c).x, LastOf(list, c).y);
            if (toLast < best) {
                best = toLast;
                bestIndex = i;
                bestReversed = true;
            }
        }
        visit.stopAfter = best > kChainJumpLimit;
        visits.push_back(visit);
        current = remaining[bestIndex];  // bestIndex 0 when nothing was near: the earliest
        reversed = bestReversed;
        remaining.erase(remaining.begin() + long(bestIndex));
    }
    return visits;
}
