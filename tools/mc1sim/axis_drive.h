// The servo axes between the board's trajectory and the head.
//
// Each axis is a position loop against friction. With any integral gain the
// loop removes every steady error, so the head follows the trajectory exactly.
// With no integral gain only the proportional gain holds the axis against
// friction: the head lags the commanded position by up to
//     kAxisFriction / Kp   thousandths of an inch
// and comes to rest that far short (Kp 30: 0.05 inch; the limp gain 5: 0.3
// inch; Kp 0 or below: the axis does not follow at all). The lag is a play
// band: the head moves only when the command pulls it to the band's edge.
//
// A worn belt or a weak motor covers only a fraction of every commanded
// displacement (AxisDrive::travel); the board does not make the shortfall up,
// and the position it reports is where the axis really is.
#pragma once

#include <cstdint>

#include "board_state.h"

constexpr double kAxisFriction = 1500.0;  // friction force in gain x thousandths of an inch

// Half-width of the play band for these gains, thousandths of an inch: 0 with
// an integral gain, kAxisFriction / kp without, infinity when kp <= 0.
double AxisPlayBand(int32_t kp, int32_t ki);

// The trajectory commands (cx, cy): each enabled axis delivers its share of
// the displacement and the head follows within its band. A disabled axis is
// not driven; its command follows the head so that enabling it moves nothing.
// Called by the motion model whenever the trajectory moves.
void DriveAxes(Board& board, double cx, double cy);

// Lets the head settle against the present command, after a gain change or an
// axis being enabled. Called by the decoder.
void SettleAxes(Board& board);

// Shifts the axes' coordinates so the head's position becomes (0, 0); the lag
// between command and head is kept. Called by SetHome.
void RehomeAxes(Board& board);
