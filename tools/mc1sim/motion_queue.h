// The board's move queue and the head's motion: moves run one after another
// along straight lines in (scaled) board time (the board's clock, see
// board_state.h). Every function that changes the
// queue expects AdvanceMotion to have been called for the current time first.
#pragma once

#include <cstdint>

#include "board_state.h"

// Head speed of a move in thousandths of an inch per simulated second, from
// its feed (x 1000) and the board's speed settings (see --help). Never 0.
double MoveSpeedThouPerSecond(const Board& board, int32_t feed1000);

// Moves the head on to board time nowUs: finishes moves (writing their record
// lines), starts the next waiting ones, interpolates the running one. Called
// by main before and after every event.
void AdvanceMotion(Board& board, int64_t nowUs);

// Board time at which the running move ends, or -1 when nothing will happen
// without an outside event (idle, halted or stalled). Used for poll time-outs.
int64_t NextMotionEventUs(const Board& board);

// Appends a move. Returns true when queued, false when all places are taken.
bool QueueMove(Board& board, const QueuedMove& move);

// The buffer status byte of the board's motion: 0xFD when nothing waits or
// runs, otherwise the free places (0..99). Faults are applied by the decoder.
uint8_t MotionStatus(const Board& board);

// Halt (0x2C) freezes the head and keeps the queue; resume (0x19) goes on.
void HaltMotion(Board& board);
void ResumeMotion(Board& board);

// Stop (0x13): drops the running move where the head stands and halts.
void StopMotion(Board& board);

// Clear (0x2D): drops the running move and every waiting one.
void ClearMotionQueue(Board& board);

// Set home (0x1A): the current position becomes (0, 0).
void SetHomeHere(Board& board);

// Enable or disable (0x15..0x18) one axis (xAxis false: Y). A disabled axis is
// not driven; enabling holds it where it stands.
void EnableAxis(Board& board, bool xAxis, bool enable);

// Moves the head by hand by dx, dy thousandths on the disabled axes only.
// Returns a mask: 1 X moved, 2 Y moved.
int PushHead(Board& board, double dx, double dy);
