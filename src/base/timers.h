// Wall-clock time in milliseconds and short sleeps, the base of every time-out.
#pragma once

#include <cstdint>

// Milliseconds of the wall clock: seconds times 1000 plus the millisecond part.
int64_t NowMs();

// Whole seconds of the wall clock.
int64_t NowSeconds();

// Milliseconds of a monotonic clock, for measuring durations that must not jump
// when the wall clock is set.
int64_t MonotonicMs();

// Sleeps for the given number of microseconds (0 yields the processor once).
void SleepMicroseconds(int64_t microseconds);
