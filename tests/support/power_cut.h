// Cutting the power during a save: each writer of the program runs in a child
// process (power_cut_writer) under the power-cut shim, which stops it after a
// chosen file-changing call and throws away what was written but not synced.
// Afterwards the target must hold the old or the new file whole, and a start
// of the program must leave no temporary file behind. Used by the power-cut
// test of the suite and by the by-hand program bench/power_cut.cpp.
#pragma once

#include <string>
#include <vector>

struct PowerCutWriter {
    std::string name;                 // as power_cut_writer knows it, e.g. "layout-save"
    std::string target;               // the file it writes, relative to the program folder
    bool oldExists;                   // the old version is a file (else: no file before the save)
    std::vector<std::string> others;  // further files the write may make
};

// Every writer, in the order power_cut_writer lists them.
std::vector<PowerCutWriter> PowerCutWriters();

struct PowerCutReport {
    int calls = 0;                      // file-changing calls of one uninterrupted save
    int cuts = 0;                       // cuts tried
    int lost = 0;                       // cuts after which the target was neither old nor new
    int leftovers = 0;                  // cuts after which a start left a temporary file behind
    std::vector<std::string> problems;  // one line per failed cut or setup step
};

// Saves the new version over the old one and cuts the power after call k, for
// up to `most` values of k spread evenly over 0 (before the first call) to
// `calls` (after the last). With writeChunk > 0 every write to a file takes at
// most that many bytes, so a save is cut in the middle of its data too.
PowerCutReport CutPowerDuring(const PowerCutWriter& writer, int most, int writeChunk = 0);
