// The definitions of base/timers.h on the simulated clock (see simulated_clock.h).
#include "support/simulated_clock/simulated_clock.h"

#include <algorithm>

#include "base/timers.h"

namespace {
int64_t clockUs = 1700000000LL * 1000000;  // a plausible wall-clock start
void (*movedHook)(int64_t) = nullptr;
}  // namespace

int64_t SimulatedClockUs() {
    return clockUs;
}
void OnSimulatedClockMoved(void (*moved)(int64_t)) {
    movedHook = moved;
}
int64_t NowMs() {
    return clockUs / 1000;
}
int64_t NowSeconds() {
    return clockUs / 1000000;
}
int64_t MonotonicMs() {
    return clockUs / 1000;
}
void SleepMicroseconds(int64_t microseconds) {
    microseconds = std::max<int64_t>(microseconds, 1);
    clockUs += microseconds;
    if (movedHook) movedHook(microseconds);
}
// The programs wait for the line with their own calls, never through poll: these
// two only serve the line code that would otherwise use them.
void AdvanceClock(int64_t milliseconds) {
    if (milliseconds > 0) SleepMicroseconds(milliseconds * 1000);
}
int64_t RealWaitMs(int64_t milliseconds) {
    return milliseconds;
}
