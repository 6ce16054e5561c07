// Flags of a stitching run that the machine link and the run controller share.
#pragma once

// One point of the stitch path (defined with the stitch-path preparation).
struct FullPattern_t;

// Stop request of a run: 0 run, 1 stop, 2 pause. Set by the run-view buttons
// from inside drained screen events; ClearTimers resets it before a run.
extern int allStop;

// Streaming cursor: the last stitch-path point handed to the board, or none.
// InitThreads sets it to none at start-up.
extern FullPattern_t* fpTemp;

// Clears the run's stop flag allStop; the run controller calls it before a run.
void ClearTimers();
