#include "machine/hex_image.h"

#include <cstring>

#include "base/log.h"

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits; -1 when one is not a hex digit.
long HexValue(const char* text, int digits) {
    long value = 0;
    for (int i = 0; i < digits; ++i) {
        const int d = HexDigit(text[i]);
        if (d < 0) return -1;
        value = value * 16 + d;
    }
    return value;
}

uint8_t Hi(uint16_t word) {
    return static_cast<uint8_t>(word >> 8);
}

uint8_t Lo(uint16_t word) {
    return static_cast<uint8_t>(word & 0xFF);
}

// Reads one line of at most kMaxHexLine characters into line, without its line
// end. Returns 1 for a line, 0 at the end of the file, -1 for a longer line.
int ReadLine(FILE* file, std::string& line) {
    line.clear();
    int c;
    while ((c = std::fgetc(file)) != EOF && c != '\n') {
        if (line.size() >= static_cast<size_t>(kMaxHexLine)) return -1;
        line.push_back(static_cast<char>(c));
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    return (c == EOF && line.empty()) ? 0 : 1;
}

// A well-formed record: ":" then pairs of hex digits whose count byte matches
// the line and whose bytes add up to 0 (mod 256).
bool WellFormed(const std::string& line) {
    if (line.size() < 11 || line[0] != ':' || (line.size() - 1) % 2 != 0) return false;
    unsigned sum = 0;
    for (size_t i = 1; i < line.size(); i += 2) {
        const long byte = HexValue(line.c_str() + i, 2);
        if (byte < 0) return false;
        sum += static_cast<unsigned>(byte);
    }
    const long count = HexValue(line.c_str() + 1, 2);
    return line.size() == 11 + 2 * static_cast<size_t>(count) && (sum & 0xFF) == 0;
}

int StoreData(const std::string& line, long count, uint32_t byteAddress,
              std::vector<HexBlock>& image) {
    if (count % 2 != 0 || byteAddress % 2 != 0) return kHexMalformed;
    uint32_t address = byteAddress / 2;
    for (long i = 0; i < count / 2; ++i, ++address) {
        const int block = HexBlockFor(address);
        if (block < 0 || !InsertHexData(image[block], address, line.c_str() + 9 + 4 * i))
            return kHexWordOutside;
    }
    return kHexRead;
}

}  // namespace

void NewHexImage(std::vector<HexBlock>& image) {
    image.resize(kHexBlockCount);
    for (int b = 0; b < kHexBlockCount; ++b) {
        HexBlock& block = image[b];
        block.data.clear();
        block.empty = 1;
        std::fill(std::begin(block.words), std::end(block.words), 0xFFFF);
        if (b < kProgramBlocks) {
            block.kind = kHexProgram;
            block.index = b;
            block.address = 64u * static_cast<uint32_t>(b);
            block.size = 32;
        } else if (b < kProgramBlocks + kEepromBlocks) {
            block.kind = kHexEeprom;
            block.index = b - kProgramBlocks;
            block.address = kEepromStart + 32u * static_cast<uint32_t>(block.index);
            block.size = 16;
        } else {
            block.kind = kHexConfig;
            block.index = b - kProgramBlocks - kEepromBlocks;
            block.address = kConfigStart + 2u * static_cast<uint32_t>(block.index);
            block.size = 16;
        }
    }
}

int InsertHexData(HexBlock& block, uint32_t address, const char* text) {
    const uint32_t span = block.kind == kHexConfig ? 2u : 2u * static_cast<uint32_t>(block.size);
    if (address < block.address || address - block.address >= span) return 0;
    const long value = text ? HexValue(text, 4) : -1;
    if (value < 0) return 0;
    block.words[address - block.address] = static_cast<uint16_t>(value);
    block.empty = 0;
    return 1;
}

int HexBlockFor(uint32_t address) {
    if (address < 64u * kProgramBlocks) return static_cast<int>(address / 64);
    if (address >= kEepromStart && address < kEepromStart + 32u * kEepromBlocks)
        return kProgramBlocks + static_cast<int>((address - kEepromStart) / 32);
    if (address >= kConfigStart && address < kConfigStart + 2u * kConfigBlocks)
        return kProgramBlocks + kEepromBlocks + static_cast<int>((address - kConfigStart) / 2);
    return -1;
}

void FormatHexData(HexBlock& block) {
    block.data.clear();
    const uint16_t* w = block.words;
    if (block.kind == kHexConfig) {
        if (block.empty)
            block.data = {0xFF, 0xFF};
        else
            block.data = {Hi(w[0]), Lo(w[0]), Hi(w[1])};
        return;
    }
    if (block.empty) return;
    for (int k = 0; k < block.size; ++k) {
        block.data.push_back(Hi(w[2 * k]));
        block.data.push_back(Lo(w[2 * k]));
        if (block.kind == kHexProgram) block.data.push_back(Hi(w[2 * k + 1]));
    }
}

int ReadHexImage(FILE* file, std::vector<HexBlock>& image, int* lineNumber) {
    NewHexImage(image);
    uint32_t extended = 0;
    std::string line;
    int number = 0;
    for (;;) {
        const int got = ReadLine(file, line);
        if (got == 0) return kHexRead;
        ++number;
        if (lineNumber) *lineNumber = number;
        if (got < 0 || (!line.empty() && !WellFormed(line))) {
            Log("HEX line %d is not a valid record\n", number);
            return kHexMalformed;
        }
        if (line.empty()) continue;
        const long count = HexValue(line.c_str() + 1, 2);
        const uint32_t address = static_cast<uint32_t>(HexValue(line.c_str() + 3, 4));
        const long type = HexValue(line.c_str() + 7, 2);
        if (type == 0) {
            const int stored = StoreData(line, count, address + extended, image);
            if (stored != kHexRead) {
                Log("HEX line %d: %s\n", number,
                    stored == kHexWordOutside ? "a word outside the memory" : "odd data");
                return stored;
            }
        } else if (type == 4) {
            if (count != 2) return kHexMalformed;
            extended = static_cast<uint32_t>(HexValue(line.c_str() + 9, 4)) << 16;
        } else if (type != 1) {
            Log("HEX line %d: record type %ld is not supported\n", number, type);
            return kHexBadRecordType;
        }
    }
}
