// Intel HEX records for the firmware upload tests and the upload benchmark.
#pragma once

#include <string>
#include <vector>

// One record with its checksum and a newline.
std::string HexRecord(int type, unsigned address, const std::vector<int>& bytes);

// The record that sets the upper 16 bits of the addresses that follow.
std::string HexUpper(unsigned page);
