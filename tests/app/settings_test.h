// Helpers of the start-up tests: the file image of the defaults file and the
// parameters in memory, both as one value per slot so a mismatch reads well.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/pty_line.h"  // LE32, LEFloat: the bytes of a slot

// The file image of a column of 26 slot values (integer or float by slot).
std::string Column(const std::vector<double>& values);
// The slot values of a file image (its whole slots only).
std::vector<double> Slots(const std::string& image);
// The parameters in memory, slot by slot.
std::vector<double> MemorySlots();
