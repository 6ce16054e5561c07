// The control commands: one text line in, one reply line out ("ok ..." or
// "error <why>"). They read the board's state and inject the faults and wear
// that a service technician meets on real machines. Every command is listed
// with its syntax in SimHelpText().
#pragma once

#include <cstdint>
#include <string>

#include "board_state.h"

// Carries out one command line on the board at real time nowUs (the board's
// clock may differ). Returns the
// reply line without its newline. Called by the control channel for every
// line a client sends.
std::string ExecuteControl(Board& board, const std::string& line, int64_t nowUs);
