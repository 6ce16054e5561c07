// The board's non-volatile memory as its loader sees it: program memory of
// 24-bit instructions, data EEPROM and configuration words, addressed in the
// processor's program-counter units (two per instruction, two per EEPROM or
// configuration word). The board starts with a factory image: a reset vector
// that jumps to the loader, calibration data at the start of the EEPROM and
// set configuration words; everything else is blank (all ones).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kProgramEnd = 0x18000;    // program memory [0, kProgramEnd)
constexpr uint32_t kRowUnits = 64;           // one program row: 32 instructions
constexpr uint32_t kEepromStart = 0x7FF000;  // data EEPROM [start, start + 0x1000)
constexpr uint32_t kEepromEnd = 0x800000;
constexpr uint32_t kEepromRowUnits = 32;     // one EEPROM row: 16 words
constexpr uint32_t kConfigStart = 0xF80000;  // configuration words, kConfigWords of them
constexpr int kConfigWords = 8;
constexpr uint32_t kBlankInstruction = 0xFFFFFF;
constexpr uint16_t kBlankWord = 0xFFFF;

struct FirmwareImage {
    std::vector<uint32_t> program;  // one 24-bit instruction per two address units
    std::vector<uint16_t> eeprom;   // one word per two address units
    std::vector<uint16_t> config;   // kConfigWords words
};

// The image a board leaves the factory with.
FirmwareImage FactoryImage();

// The image as Intel HEX text, the layout a compiler writes for this
// processor: byte address = 2 x address unit; every instruction as 4 bytes
// (low, middle, upper, 0), every EEPROM and configuration word as 4 bytes
// (low, high, 0, 0); 16 bytes per data record, records that hold only blank
// memory left out, extended linear address records where the upper half of
// the byte address changes, the end-of-file record last.
std::string ImageAsHex(const FirmwareImage& image);
