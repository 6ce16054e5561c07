// The simulated board's record of executed moves (mc1sim --record): which
// moves were stitched and what they sewed.
#pragma once

#include <string>
#include <vector>

struct RecordedMove {
    double tMs = 0;       // real milliseconds since the simulator started, at arrival
    double x = 0, y = 0;  // thousandths of an inch where the head arrived
    double feed = 0;      // feed as sent, on the 0..100 scale
    int stitching = 0;    // 1 when the stitcher was stitching at arrival
};

// Every line of the record that parses; the rest is skipped.
std::vector<RecordedMove> ReadRunRecord(const std::string& path);

// The stitched moves (stitching 1) from index `from` on, with moves that end
// where the previous stitched move ended (the same point sent again) dropped.
std::vector<RecordedMove> StitchedMoves(const std::vector<RecordedMove>& moves, size_t from = 0);

// What the stitcher sewed: the moves made with stitching on (from the row
// before them), those of non-zero length counted, their length in inches.
struct SewnTotals {
    int moves = 0;
    double inches = 0;
};
SewnTotals SewnTotalsOf(const std::vector<RecordedMove>& moves);
