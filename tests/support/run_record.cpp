#include "support/run_record.h"

#include <cmath>
#include <cstdio>
#include <fstream>

std::vector<RecordedMove> ReadRunRecord(const std::string& path) {
    std::vector<RecordedMove> moves;
    std::ifstream lines(path);
    for (std::string line; std::getline(lines, line);) {
        RecordedMove m;
        if (std::sscanf(line.c_str(), "%lf,%lf,%lf,%lf,%d", &m.tMs, &m.x, &m.y, &m.feed,
                        &m.stitching) == 5)
            moves.push_back(m);
    }
    return moves;
}

std::vector<RecordedMove> StitchedMoves(const std::vector<RecordedMove>& moves, size_t from) {
    std::vector<RecordedMove> stitched;
    for (size_t i = from; i < moves.size(); i++) {
        const RecordedMove& m = moves[i];
        if (!m.stitching) continue;
        if (!stitched.empty() && std::fabs(stitched.back().x - m.x) < 0.5 &&
            std::fabs(stitched.back().y - m.y) < 0.5)
            continue;
        stitched.push_back(m);
    }
    return stitched;
}

SewnTotals SewnTotalsOf(const std::vector<RecordedMove>& moves) {
    SewnTotals totals;
    for (size_t i = 1; i < moves.size(); i++) {
        const double length = std::hypot(moves[i].x - moves[i - 1].x, moves[i].y - moves[i - 1].y);
        if (!moves[i].stitching || length < 0.5) continue;
        totals.moves++;
        totals.inches += length / 1000.0;
    }
    return totals;
}
