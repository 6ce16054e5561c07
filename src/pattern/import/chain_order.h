// The order in which converted drawing chains are stitched: starting with the
// first chain of the drawing, always the chain whose nearer end lies closest to
// where the needle is, entered from that end. A stop is placed wherever the
// needle would have to jump more than kChainJumpLimit.
#pragma once

#include <cstddef>
#include <vector>

#include "pattern/import/point_chains.h"

constexpr double kChainJumpLimit = 0.25;       // inches; a longer move gets a stop
constexpr double kChainSearchLimit = 99999.9;  // inches; farther chains are no candidates

struct ChainVisit {
    std::size_t chain;  // index into the chain list
    bool reversed;      // written from its last point back to its first
    bool stopAfter;     // the move to the next chain (or the end) gets a stop
};

// Nearest-neighbour order of every chain (none may be empty). The first visit is
// chain 0 forward. For each next choice the remaining chains are compared in list
// order, first point before last point, and only a strictly smaller distance
// replaces the candidate, so ties keep the earlier chain and its first point.
// When no chain lies within kChainSearchLimit, the earliest remaining chain is
// taken forward. Runs in about n log n time on a k-d tree; advances the progress
// counter once per chain and returns what it has when STOP was pressed.
std::vector<ChainVisit> OrderChainsNearest(const ChainList& list, ImportProgress& progress);

// The same order computed by comparing every remaining chain at every step
// (quadratic). Kept as the reference that the fast order is checked against.
std::vector<ChainVisit> OrderChainsPlain(const ChainList& list);
