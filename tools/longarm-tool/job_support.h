// What the stitching sub-commands of longarm-tool share: their arguments (a
// layout, a box, optionally the board's serial line) and loading a job — the
// machine parameters the run would use, the layout, and the packed stitch path
// of the box in CurrentRun().fullPattern.
#pragma once

#include <string>
#include <vector>

#include "commands.h"

struct JobArguments {
    std::string serial;               // --serial PATH; empty: no board
    int box = 0;                      // --box N
    std::vector<std::string> others;  // the positional arguments, in order
};

// Parses "--box N" (0 to 49), "--serial PATH" and positional arguments.
// False on an unknown option, a missing or bad value.
bool ParseJobArguments(const Arguments& args, JobArguments* job);

// Loads a job: opens the serial line when one is given (exit status 1 when it
// cannot be opened), takes the machine parameters as a run would (the board's
// when it answers, else the defaults file of the working directory, else the
// first-start values; nothing is written), loads the layout and packs the
// path of the box. Log lines go to standard error. Returns the exit status:
// 0 when a path was packed (it may be empty), 1 when the layout cannot be
// read or has no such box.
int LoadJob(const std::string& layout, const JobArguments& job);

// Prints the estimate of the packed path as name=value lines: points,
// sections, stitches, jumps, thread_cuts, lock_stitches, stitched_length,
// jump_length, speed (with where it came from), run_time and, for a path that
// leaves the quilt area, a warning.
void PrintJobEstimate();
