#include "machine/stitching/point_streaming.h"

#include <cmath>
#include <cstdlib>

#include "base/application_state.h"
#include "base/log.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "machine/board_errors.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/mc1_motion.h"
#include "machine/stitcher.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/run_flags.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/stitch_path.h"

int32_t currentX = 0, currentY = 0;

namespace {

// The end of the stall rule's wait from now, milliseconds of the monotonic
// clock (the manual one in tests).
int64_t StallDeadline() {
    return MonotonicMs() + kStallSeconds * 1000;
}

constexpr int kPollPauseUs = 10000;  // between status requests while waiting
constexpr int kSenderPauseUs = 10;   // between status requests while sending
constexpr int kMenuSettleUs = 2500;

// Releases the machine after a board error and shows the error word.
void HandleBoardError(int32_t errorWord) {
    Resume();
    AllStop();
    if (stitching) StitchOff();
    DisableX();
    DisableY();
    ShowErrorWord(errorWord);
}

// Hands one pre-fill point to the board, sending it again while the board
// refuses it (as every caller of a move does). Returns false when it was never
// taken or a stop was asked for.
bool SendPrefillPoint(const FullPattern_t* point) {
    for (int tries = 0; tries <= kSendRetries; tries++) {
        if (allStop == 1) return false;
        if (SendMove(point->x, point->y, point->feed) == 0) return true;
        LogLine("Send Point Failed");
    }
    return false;
}

}  // namespace

bool HeadMoved(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY) {
    return std::abs(int64_t{toX} - fromX) > kMovementThreshold ||
           std::abs(int64_t{toY} - fromY) > kMovementThreshold;
}

int SendLeadLine(FullPattern_t* target) {
    LogLine("SLL: Set Menu Items");
    if (const RunControlHooks& run = GetRunControlHooks(); run.setMenuMask)
        run.setMenuMask(kRunMenuMask);
    SleepMicroseconds(kMenuSettleUs);

    if (target) {
        LogLine("SLL: Set From Alt");
    } else {
        LogLine("SLL: Set From Last");
        target = fpTemp;
    }
    if (!target) return kLeadLineFailed;

    LogLine("SLL: Get First Point");
    int32_t x = 0, y = 0;
    int read = GetSteadyXY(&x, &y);
    LogLine("SLL: Check Response");
    float startX = static_cast<float>(x), startY = static_cast<float>(y);
    if (read != 0 || std::hypot(target->x - startX, target->y - startY) > kLongestLeadLine) {
        // From a made-up start the first move would drive the head anywhere.
        LogLine("SLL: Head Position Unreadable");
        if (robotIsStitching) StitchOff();
        return kLeadLineNoPosition;
    }
    if (robotIsStitching && target->prev()) {
        // Stitching stays on across a short jump, so every move of this lead
        // line is sewn: it starts at the path point the head was left at, and
        // only when the head is found there. A head elsewhere (a garbled
        // reading that happened to repeat) would put a seam where the path has
        // none.
        const FullPattern_t* left = target->prev();
        if (std::fabs(startX - left->x) > kLeadStartTolerance ||
            std::fabs(startY - left->y) > kLeadStartTolerance) {
            Log("SLL: the head is not where the path left it (%d, %d)\n", x, y);
            StitchOff();
            return kLeadLineNoPosition;
        }
        startX = left->x;
        startY = left->y;
    }
    LogLine("SLL: Set FullPattern_t pointers");
    LogLine("SLL: Explode Line");
    FullPattern_t* start = LinePath(startX, startY, target->x, target->y, Machine().minSpeed);
    Log("SLL: Create Tmp Pointers and set fRate to %d\n", Machine().leadLineSpeed);
    LogLine("SLL: Set Feeds");
    SetFeeds(start, 0);

    LogLine("SLL: Send Points");
    int sent = SendPoints(start);
    FreeFullPattern(start);
    return sent == 1 ? kLeadLineSent : kLeadLineFailed;
}

int SendPoints(FullPattern_t* first) {
    if (!first) {
        LogLine("points == NULL");
        return 0;
    }
    Halt();
    SleepMicroseconds(kMenuSettleUs);
    SetSpeed(Machine().leadLineSpeed);
    int retries = 0;
    bool resumed = false;

    for (FullPattern_t* point = first; point;) {
        unsigned char status = 0;
        int32_t errorWord = 0;
        int result = CheckBuffer(&status, &errorWord);
        ProcessPendingEvents();
        if (allStop == 1) {
            StopPattern();
            LogLine("LL STOPPED");
            return 0;
        }
        retries++;
        if (result == 0) {
            retries = 0;
            if (status == 1 && !resumed) {
                Resume();  // the queue is full: let the board start on it
                resumed = true;
            }
            if (status >= 2 && status != kBufferError && status != kBufferBusy) {
                if (SendMove(point->x, point->y, point->feed) == 0)
                    point = point->next();
                else
                    LogLine("Send Point Failed");
            }
            if (status == kBufferBusy) LogLine("Motor is stitching");
        } else if (result == 4 && status == kBufferError) {
            HandleBoardError(errorWord);
            return 0;
        } else if (retries > kSendRetries) {
            ShowMessage(kMessageError, kButtonsOk, "UNABLE TO SEND ALL POINTS");
            Resume();
            return 0;
        }
        SleepMicroseconds(kSenderPauseUs);
    }
    if (!resumed) Resume();
    LogLine("SLL: Send Points Done");
    return 1;
}

int WaitForMovesDone() {
    currentX = 0;
    currentY = 0;
    int64_t deadline = StallDeadline();
    int lastStatus = 0;
    for (;;) {
        ProcessPendingEvents();
        if (allStop == 1) {
            LogLine("WFB STOPPED");
            return kMovesStopped;
        }
        unsigned char status = 0;
        int32_t errorWord = 0;
        int result = CheckBuffer(&status, &errorWord);
        if (result == 4) {
            ShowErrorWord(errorWord);
            return kMovesBoardError;
        }
        SleepMicroseconds(kPollPauseUs);
        if (result == 0 && status == kBufferDone) return kMovesDone;

        if (status == lastStatus || status > 98) {
            // No queue progress: the head must be moving for the wait to go on.
            int32_t x = 0, y = 0;
            if (GetXY(&x, &y) != 0) x = y = 0;
            if (HeadMoved(currentX, currentY, x, y)) deadline = StallDeadline();
            currentX = x;
            currentY = y;
        } else {
            deadline = StallDeadline();
        }
        lastStatus = status;
        if (MonotonicMs() > deadline) return kMovesStalled;
    }
}

int WaitForBuffer() {
    const int result = WaitForMovesDone();
    if (result == kMovesStalled) StopPattern();
    return result == kMovesDone ? 1 : 0;
}

void SendFortyNine() {
    LogLine("Send 49 Started");
    if (!WaitForBuffer()) return;
    if (!fpTemp) fpTemp = CurrentRun().fullPattern;
    if (!fpTemp) return;
    FullPattern_t* lastSent = nullptr;
    for (int count = 0; count < 98 - Machine().stitchRep; count++) {
        if (!fpTemp->next() || fpTemp->next()->halt) {
            // fpTemp is the section's last point: the run loop sends it.
            // A cursor on a section's first point stays there: stepping back
            // onto the previous section's end would make the run loop change
            // section there again, for ever.
            if (fpTemp->prev() && !fpTemp->prev()->halt)
                fpTemp = fpTemp->prev();
            else
                SendPrefillPoint(fpTemp);
            return;
        }
        if (!SendPrefillPoint(fpTemp)) {
            // Not taken: the run loop sends it (and what follows) later.
            if (fpTemp->prev() && !fpTemp->prev()->halt) fpTemp = fpTemp->prev();
            return;
        }
        lastSent = fpTemp;
        fpTemp = fpTemp->next();
    }
    if (lastSent) fpTemp = lastSent;
    LogLine("Send 49 Finished");
}
