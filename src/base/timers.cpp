#include "base/timers.h"

#include <sys/time.h>
#include <time.h>

#include <algorithm>

namespace {

// A line wait on the manual clock blocks at most this long in real time: long
// enough for the simulated board to answer on a busy machine, short enough
// that a silent board costs little.
constexpr int64_t kManualLinePatienceMs = 100;

struct ManualClock {
    bool inUse = false;
    int64_t wallMs = 0;       // reading of NowMs
    int64_t monotonicMs = 0;  // reading of MonotonicMs
} manual;

void (*clockListener)(int64_t milliseconds) = nullptr;

int64_t RealNowMs() {
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    return static_cast<int64_t>(tv.tv_sec) * 1000 + tv.tv_usec / 1000;
}

int64_t RealMonotonicMs() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

int64_t NowMs() {
    return manual.inUse ? manual.wallMs : RealNowMs();
}

int64_t NowSeconds() {
    return NowMs() / 1000;
}

int64_t MonotonicMs() {
    return manual.inUse ? manual.monotonicMs : RealMonotonicMs();
}

void SleepMicroseconds(int64_t microseconds) {
    if (microseconds < 0) microseconds = 0;
    if (manual.inUse) {
        // Whole milliseconds, at least one, so a loop of short sleeps moves on.
        AdvanceClock(std::max<int64_t>(1, (microseconds + 999) / 1000));
        return;
    }
    struct timespec ts;
    ts.tv_sec = microseconds / 1000000;
    ts.tv_nsec = (microseconds % 1000000) * 1000;
    while (nanosleep(&ts, &ts) != 0) {
    }
}

void UseManualClock() {
    manual.wallMs = RealNowMs();
    manual.monotonicMs = RealMonotonicMs();
    manual.inUse = true;
}

void UseRealClock() {
    manual.inUse = false;
}

bool ManualClockInUse() {
    return manual.inUse;
}

void AdvanceClock(int64_t milliseconds) {
    if (!manual.inUse || milliseconds <= 0) return;
    manual.wallMs += milliseconds;
    manual.monotonicMs += milliseconds;
    if (clockListener) clockListener(milliseconds);
}

void SetManualClockListener(void (*listener)(int64_t milliseconds)) {
    clockListener = listener;
}

int64_t RealWaitMs(int64_t milliseconds) {
    return manual.inUse ? std::min(milliseconds, kManualLinePatienceMs) : milliseconds;
}
