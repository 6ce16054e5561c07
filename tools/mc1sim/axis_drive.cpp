#include "axis_drive.h"

#include <algorithm>
#include <limits>

namespace {

void DriveAxis(AxisDrive& axis, bool enabled, double command, double& head, double band) {
    if (!enabled) {
        axis.commanded = axis.driven = head;
        return;
    }
    axis.driven += axis.travel * (command - axis.commanded);
    axis.commanded = command;
    head = std::clamp(head, axis.driven - band, axis.driven + band);
}

}  // namespace

double AxisPlayBand(int32_t kp, int32_t ki) {
    if (ki > 0) return 0;
    if (kp <= 0) return std::numeric_limits<double>::infinity();
    return kAxisFriction / kp;
}

void DriveAxes(Board& board, double cx, double cy) {
    const BoardParameters& p = board.params;
    DriveAxis(board.axisX, board.xEnabled, cx, board.x, AxisPlayBand(p.XKp, p.XKi));
    DriveAxis(board.axisY, board.yEnabled, cy, board.y, AxisPlayBand(p.YKp, p.YKi));
}

void SettleAxes(Board& board) {
    DriveAxes(board, board.axisX.commanded, board.axisY.commanded);
}

void RehomeAxes(Board& board) {
    for (auto [axis, head] :
         {std::pair{&board.axisX, &board.x}, std::pair{&board.axisY, &board.y}}) {
        axis->commanded -= *head;
        axis->driven -= *head;
        *head = 0;
    }
}
