// Wall-clock time in milliseconds and short sleeps, the base of every time-out.
//
// Tests replace the clock with a manual one (UseManualClock): it stands still
// until something moves it, every sleep moves it on at once instead of
// sleeping, and a wait for input on the serial line that sees nothing for a
// short real moment moves it on by the whole wait. So a watchdog that gives up
// after ten seconds of silence gives up after a few real polls.
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
// On the manual clock it moves the clock on by that much and returns at once.
void SleepMicroseconds(int64_t microseconds);

// Starts the manual clock at the real clocks' present readings. Tests only.
void UseManualClock();

// Goes back to the real clocks.
void UseRealClock();

// True while the manual clock is in use.
bool ManualClockInUse();

// Moves the manual clock on by `milliseconds` (nothing on the real clock).
void AdvanceClock(int64_t milliseconds);

// Calls `listener` with every move of the manual clock (null: none), so a
// test can keep a simulated board's clock in step with the program's.
void SetManualClockListener(void (*listener)(int64_t milliseconds));

// How long, in real milliseconds, a wait for input of `milliseconds` may block
// in poll(): the whole wait on the real clock; on the manual clock a short
// real moment, after which the caller reports the wait through AdvanceClock.
int64_t RealWaitMs(int64_t milliseconds);
