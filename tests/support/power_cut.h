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
    std::string name;                 // as power_cut_writer is told it, e.g. "layout-save"
    std::string target;               // the file it writes, relative to the program folder
    bool oldExists;                   // the old version is a file (else: no file before the save)
    std::vector<std::string> others;  // further files the write may make
};

// Every writer power_cut_writer knows. The recovery layout is only ever new.
inline const std::vector<PowerCutWriter>& PowerCutWriters() {
    static const std::vector<PowerCutWriter> writers = {
        {"pattern-save", "patterns/cut.qcc", true, {}},
        {"pattern-save-as", "patterns/cut.qcc", true, {}},
        {"trace-save", "patterns/trace.qcc", true, {}},
        {"layout-save", "Layout/cut.qlf", true, {}},
        {"undo", "tmp/undo.qlf", true, {}},
        {"set-point", "tmp/setPoint.qlf", true, {}},
        {"recovery", "Layout/recovery.qlf", false, {}},
        {"shutdown", "Layout/recovery.qlf", true, {}},
        {"defaults-slot", "defaults.mrl", true, {}},
        {"defaults-reset", "defaults.mrl", true, {}},
        {"file-copy", "patterns/copied.qcc", true, {}},
        {"drawing-copy", "patterns/drawing.qcc", true, {}},
        {"program-update",
         "media/mmc0/Keswin/keswin",
         true,
         {"update", "media/mmc0/Keswin/backup/version_3_05"}},
    };
    return writers;
}

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
