// Helpers of the start-up tests: the file image of the defaults file and the
// parameters in memory, both as one value per slot so a mismatch reads well.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Little-endian bytes of an integer and of a float, as the file keeps them.
std::string IntBytes(int32_t value);
std::string FloatBytes(float value);

// The file image of a column of 26 slot values (integer or float by slot).
std::string Column(const std::vector<double>& values);
// The slot values of a file image (its whole slots only).
std::vector<double> Slots(const std::string& image);
// The parameters in memory, slot by slot.
std::vector<double> MemorySlots();
