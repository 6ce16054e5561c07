// Intel HEX text for the firmware upload tests and the upload benchmark.
#pragma once

#include <string>
#include <vector>

// One record with its checksum and a newline.
std::string HexRecord(int type, unsigned address, const std::vector<int>& bytes);

// The record that sets the upper 16 bits of the addresses that follow.
std::string HexUpper(unsigned page);

// A whole firmware file: every `rowStep`-th program row of rows 0 to 1499
// (all but the loader's own), EEPROM rows 0 to 3 and configuration words 0 to
// 2, 16 bytes (4 instructions or 4 EEPROM words) a record, each byte derived
// from its place. `bytesSent` receives how many bytes the upload sends for it.
std::string FirmwareHex(unsigned rowStep, long* bytesSent = nullptr);
