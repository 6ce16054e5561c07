// The nearest-neighbour order of drawing chains: its rules on small cases, and
// the fast order against the plain quadratic one on many random drawings.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "pattern/import/chain_order.h"

namespace {

ChainList Chains(const std::vector<std::vector<ChainPoint>>& chains) {
    ChainList list;
    InitChainList(list);
    for (std::size_t c = 0; c < chains.size(); c++) {
        if (c > 0) OpenChain(list);
        for (const ChainPoint& p : chains[c])
            newPoint(list, p.x, p.y);
    }
    return list;
}

std::vector<ChainVisit> Fast(const ChainList& list) {
    ImportProgress progress;
    return OrderChainsNearest(list, progress);
}

void ExpectSameOrder(const std::vector<ChainVisit>& a, const std::vector<ChainVisit>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); i++) {
        ASSERT_EQ(a[i].chain, b[i].chain) << "visit " << i;
        ASSERT_EQ(a[i].reversed, b[i].reversed) << "visit " << i;
        ASSERT_EQ(a[i].stopAfter, b[i].stopAfter) << "visit " << i;
    }
}

// Small drawings, each visit as (chain, reversed, stop after it); the fast
// order and the plain one agree on them.
TEST(ChainOrder, SmallDrawingsAreVisitedByTheRules) {
    const struct {
        const char* what;
        std::vector<std::vector<ChainPoint>> chains;
        std::vector<ChainVisit> order;
    } cases[] = {
        // From (0, 0), where chain 0 ends, chain 1's last point, chain 2's first
        // and chain 3's only point lie 1 inch away: the first candidate wins.
        // From (5, 5) chain 2's last point is the nearest.
        {"ties keep the earlier chain and its first point",
         {{{-1, 0}, {0, 0}}, {{5, 5}, {1, 0}}, {{0, 1}, {0, 2}}, {{-1, 0}}},
         {{0, false, true}, {1, true, true}, {2, true, true}, {3, false, true}}},
        {"far chains are still visited in list order, forward, after a stop",
         {{{0, 0}}, {{300000, 0}, {300001, 0}}, {{200000, 0}}},
         {{0, false, true}, {1, false, true}, {2, false, true}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChainList list = Chains(c.chains);
        ExpectSameOrder(Fast(list), c.order);
        ExpectSameOrder(OrderChainsPlain(list), c.order);
    }
}

struct Random {
    std::uint64_t state;
    std::uint32_t Next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return std::uint32_t(state >> 33);
    }
    double Unit() { return Next() / 2147483648.0; }
};

// Drawings of several kinds: on a coarse grid (many exact ties and shared
// points), continuous, single points, closed loops, and clusters far apart.
ChainList RandomDrawing(std::uint64_t seed, int chains, int kind) {
    Random r{seed};
    std::vector<std::vector<ChainPoint>> all;
    for (int c = 0; c < chains; c++) {
        int n = kind == 2 ? 1 : 1 + int(r.Next() % 4);
        std::vector<ChainPoint> chain;
        double ox = kind == 4 && (r.Next() % 3 == 0) ? 150000.0 : 0.0;
        for (int i = 0; i < n; i++) {
            if (kind == 0)
                chain.push_back({double(r.Next() % 8), double(r.Next() % 8)});
            else
                chain.push_back({ox + r.Unit() * 30.0, r.Unit() * 20.0});
        }
        if (kind == 3) chain.push_back(chain.front());
        all.push_back(chain);
    }
    return Chains(all);
}

TEST(ChainOrder, FastOrderEqualsPlainOrderOnRandomDrawings) {
    for (int kind = 0; kind < 5; kind++) {
        for (int chains : {1, 2, 3, 17, 200, 1500}) {
            for (std::uint64_t seed = 1; seed <= 3; seed++) {
                ChainList list = RandomDrawing(seed * 7919 + std::uint64_t(chains), chains, kind);
                SCOPED_TRACE(testing::Message()
                             << "kind " << kind << " chains " << chains << " seed " << seed);
                ExpectSameOrder(Fast(list), OrderChainsPlain(list));
            }
        }
    }
}

TEST(ChainOrder, ManyChainsOnOnePointTakeTheEarliestFirst) {
    std::vector<std::vector<ChainPoint>> all(300, std::vector<ChainPoint>{{1, 1}, {2, 2}});
    ChainList list = Chains(all);
    std::vector<ChainVisit> order = Fast(list);
    ExpectSameOrder(order, OrderChainsPlain(list));
    // From (2, 2) the last point of the next chain is nearest: chains alternate direction.
    EXPECT_EQ(order[1].chain, 1u);
    EXPECT_TRUE(order[1].reversed);
    EXPECT_FALSE(order[2].reversed);
}

}  // namespace
