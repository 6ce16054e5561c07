// A whole stitched run on a noisy serial line: the simulated board damages its
// replies (a flipped bit, a lost byte) at given rates from a seed, the host
// (support/garbled_host) runs a job of three sections with every question
// answered OK, its clock and the board's held in step so that no time-out is
// waited out in real time, and afterwards the run is judged. A run is safe when it ended
// within the time limit, the board stands with stitching off and both axes
// released, no stitch landed off the path, and a run that ended early told the
// quilter why. Used by the garbled-line test and bench/garbled_line.cpp.
#pragma once

#include <string>
#include <vector>

struct GarbledRun {
    double flip = 0;       // chance that a reply byte has one bit flipped
    double drop = 0;       // chance that a reply byte is lost
    unsigned seed = 1;     // of the simulator's noise
    int timeScale = 1;     // the simulator's motion speed-up
    int limitMs = 120000;  // real time after which the host counts as hung
};

struct GarbledOutcome {
    bool started = false;               // the simulator took the noise command
    bool finished = false;              // the path ran to its end
    bool hung = false;                  // the run did not end within the limit
    bool safe = false;                  // see the top of this file
    int stitched = 0;                   // stitched moves the board executed
    int offPath = 0;                    // of those, moves to a place off the path
    long flipped = 0, dropped = 0;      // reply bytes the simulator damaged
    std::vector<std::string> messages;  // what the quilter was shown, in order
    std::string why;                    // what was unsafe
    std::string hostLog;                // the end of the host's log when unsafe
};

GarbledOutcome RunOnGarbledLine(const GarbledRun& run);
