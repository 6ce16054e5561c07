// A simulated clock in place of base/timers.cpp for programs that drive the host
// code against a board in simulated time (the fuzz harnesses of the board's and
// the loader's replies, the garbled-line host): it starts at a plausible
// wall-clock reading and moves only when the code sleeps or reports a wait.
#pragma once

#include <cstdint>

// Microseconds on the simulated clock now.
int64_t SimulatedClockUs();
// Called after every move with the microseconds moved (at least 1): the
// program checks its own limit there, or moves its board on. Null calls nothing.
void OnSimulatedClockMoved(void (*moved)(int64_t microseconds));
