#include "motion_queue.h"

#include <algorithm>
#include <cmath>

#include "axis_drive.h"

namespace {

// Starts the running move's line again from the axes' present command.
void RestartFromCommand(Board& board) {
    RunningMove& r = board.running;
    r.startX = board.axisX.commanded;
    r.startY = board.axisY.commanded;
    r.length = std::hypot(r.targetX - r.startX, r.targetY - r.startY);
    r.travelled = 0;
    r.fromX = board.track.homeX + board.x;
    r.fromY = board.track.homeY + board.y;
}

// Takes the next waiting move as the running one, starting from where the
// trajectory stands now.
void StartNextMove(Board& board) {
    RunningMove& r = board.running;
    r.move = board.queue.front();
    board.queue.pop_front();
    r.active = true;
    r.targetX = r.move.x100 / 100.0;
    r.targetY = r.move.y100 / 100.0;
    RestartFromCommand(board);
}

// Commands the point of the line at the distance travelled; the axes follow.
void PlaceHead(Board& board) {
    const RunningMove& r = board.running;
    double f = r.length > 0 ? std::min(1.0, r.travelled / r.length) : 1.0;
    DriveAxes(board, r.startX + (r.targetX - r.startX) * f, r.startY + (r.targetY - r.startY) * f);
}

// Adds the finished move to the track and writes its record line.
void RecordMove(Board& board, int64_t endUs) {
    HeadTrack& t = board.track;
    const RunningMove& r = board.running;
    if (t.segments.size() < kTrackSegmentsMax) {
        t.segments.push_back(TrackSegment{r.fromX, r.fromY, t.homeX + board.x, t.homeY + board.y,
                                          board.stitcher.stitching});
    } else if (!t.full) {
        t.full = true;
        SimLog(board, "the picture keeps the first %zu moves only", kTrackSegmentsMax);
    }
    if (!board.record) return;
    long long ms = static_cast<long long>((endUs - board.startUs) / 1000);
    std::string x = FormatTrimmed(board.x, 2);
    std::string y = FormatTrimmed(board.y, 2);
    std::string feed = FormatTrimmed(board.running.move.feed1000 / 1000.0, 3);
    std::fprintf(board.record, "%lld,%s,%s,%s,%d\n", ms, x.c_str(), y.c_str(), feed.c_str(),
                 board.stitcher.stitching ? 1 : 0);
    std::fflush(board.record);
}

bool MotionFrozen(const Board& board) {
    return board.halted || board.faults.stall;
}

}  // namespace

double MoveSpeedThouPerSecond(const Board& board, int32_t feed1000) {
    double minFeed = std::max(board.params.minimumSpeed * 10.0 / 6.0, 0.1);
    double feed = std::max(feed1000 / 1000.0, minFeed);
    double speed = std::max<double>(board.params.speed, 1.0);
    return feed / 100.0 * speed / 10.0 * 1000.0;
}

void AdvanceMotion(Board& board, int64_t nowUs) {
    // motionClockUs is the real time up to which the head has been moved.
    if (board.motionClockUs > nowUs) board.motionClockUs = nowUs;
    while (true) {
        if (MotionFrozen(board)) break;
        if (!board.running.active) {
            if (board.queue.empty()) break;
            StartNextMove(board);
        }
        RunningMove& r = board.running;
        double speed = MoveSpeedThouPerSecond(board, r.move.feed1000);
        double remaining = std::max(0.0, r.length - r.travelled);
        double neededUs = remaining / speed * 1e6 / board.timeScale;
        double availableUs = static_cast<double>(nowUs - board.motionClockUs);
        if (neededUs <= availableUs) {
            board.motionClockUs += static_cast<int64_t>(neededUs);
            r.travelled = r.length;
            PlaceHead(board);
            RecordMove(board, board.motionClockUs);
            board.executed++;
            r.active = false;
            continue;
        }
        r.travelled += speed * availableUs * board.timeScale / 1e6;
        PlaceHead(board);
        break;
    }
    board.motionClockUs = nowUs;
}

int64_t NextMotionEventUs(const Board& board) {
    if (MotionFrozen(board)) return -1;
    if (!board.running.active) return board.queue.empty() ? -1 : board.motionClockUs;
    const RunningMove& r = board.running;
    double speed = MoveSpeedThouPerSecond(board, r.move.feed1000);
    double remaining = std::max(0.0, r.length - r.travelled);
    return board.motionClockUs + static_cast<int64_t>(remaining / speed * 1e6 / board.timeScale) +
           1;
}

bool QueueMove(Board& board, const QueuedMove& move) {
    if (static_cast<int>(board.queue.size()) >= kQueuePlaces) return false;
    board.queue.push_back(move);
    return true;
}

uint8_t MotionStatus(const Board& board) {
    if (board.queue.empty() && !board.running.active) return 0xFD;
    return static_cast<uint8_t>(kQueuePlaces - static_cast<int>(board.queue.size()));
}

void HaltMotion(Board& board) {
    board.halted = true;
}

void ResumeMotion(Board& board) {
    board.halted = false;
}

void StopMotion(Board& board) {
    board.running.active = false;
    board.halted = true;
}

void ClearMotionQueue(Board& board) {
    board.running.active = false;
    board.queue.clear();
}

void SetHomeHere(Board& board) {
    board.track.homeX += board.x;
    board.track.homeY += board.y;
    RehomeAxes(board);
    // A running move keeps its target (the host now speaks in the new
    // coordinates) and goes on from the new position.
    if (board.running.active) RestartFromCommand(board);
}

void EnableAxis(Board& board, bool xAxis, bool enable) {
    bool& enabled = xAxis ? board.xEnabled : board.yEnabled;
    if (enabled == enable) return;
    enabled = enable;
    // The enabled axis holds where it stands; a running move goes on from there.
    SettleAxes(board);
    if (board.running.active) RestartFromCommand(board);
}

int PushHead(Board& board, double dx, double dy) {
    int moved = 0;
    if (!board.xEnabled && dx != 0) {
        board.x += dx;
        moved |= 1;
    }
    if (!board.yEnabled && dy != 0) {
        board.y += dy;
        moved |= 2;
    }
    SettleAxes(board);  // the commands of the pushed (disabled) axes follow the head
    // A running move continues from where the head was pushed to.
    if (moved && board.running.active) RestartFromCommand(board);
    return moved;
}
