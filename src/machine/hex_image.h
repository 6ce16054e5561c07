// The memory image of the motor-controller board's firmware, built from an
// Intel HEX file before anything is sent: program memory, data EEPROM and
// configuration words, as a fixed table of blocks (firmware_upload.h sends it).
//
// Addresses are the target's program-counter units (two per 24-bit
// instruction). A HEX byte address becomes the word address (byte address +
// extended address) / 2; each 4 hex characters of a data record are one 16-bit
// word, two words per instruction (low word, then high word whose second byte is
// the unused "phantom" byte), and likewise two words per EEPROM word (the data,
// then a phantom word). The table:
//
//   blocks     kind           index    address               wire bytes
//   0-1535     program        0-1535   64 x i                32 x 3 = 96
//   1536-1663  data EEPROM    0-127    0x7FF000 + 32 x i     16 x 2 = 32
//   1664-1671  configuration  0-7      0xF80000 + 2 x i      3 (2 are sent)
//
// The reader refuses, before anything is sent, a file whose lines are not
// well-formed records (a line longer than 2048 characters, no ":", characters
// that are not hex digits, a byte count that disagrees with the line, a data
// record with an odd address or an odd byte count) or whose record checksum is
// wrong. All it allocates is the fixed table and one line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Kinds of block.
enum HexBlockKind { kHexProgram = 0, kHexEeprom = 1, kHexConfig = 2 };

constexpr int kProgramBlocks = 1536;
constexpr int kEepromBlocks = 128;
constexpr int kConfigBlocks = 8;
constexpr int kHexBlockCount = kProgramBlocks + kEepromBlocks + kConfigBlocks;  // 1672
constexpr uint32_t kEepromStart = 0x7FF000;
constexpr uint32_t kConfigStart = 0xF80000;
constexpr int kMaxHexLine = 2048;  // characters of one line, without its line end

struct HexBlock {
    std::vector<uint8_t> data;  // the wire bytes (FormatHexData)
    uint32_t address = 0;       // target address of the first word, program-counter units
    uint8_t empty = 1;          // 1 while no word of the file fell into the block
    int32_t kind = kHexProgram;
    uint16_t words[64];  // words of the HEX text, 0xFFFF where none was given
    int32_t index = 0;   // number of the block within its kind
    int32_t size = 0;    // words per block: 32 instructions, 16 EEPROM words, 16
};

// Results of ReadHexImage (the upload's own result numbers where they overlap).
enum HexReadResult {
    kHexRead = 0,
    kHexWordOutside = 1,    // a data word fits no block
    kHexBadRecordType = 2,  // a record type other than 0, 1 and 4
    kHexMalformed = 6,      // a malformed line or a record checksum that does not add up
};

// Makes image the empty table: every block in the order above, all words
// 0xFFFF, empty. The blocks are reset in place, so a table read before keeps
// its memory (a reader called again and again does not reallocate 300 KB).
void NewHexImage(std::vector<HexBlock>& image);

// Stores one word given as 4 hex characters at word address `address` when it
// lies in the block (program and EEPROM: address - start below 2 x size,
// configuration: below 2), clearing empty. Returns 1 when stored, 0 when the
// address lies outside the block or the text is not 4 hex digits.
int InsertHexData(HexBlock& block, uint32_t address, const char* text);

// The block of the table that takes word address `address`, or -1.
int HexBlockFor(uint32_t address);

// Builds the wire bytes of a block, hi() and lo() being a word's two bytes:
// program memory hi(w[2k]), lo(w[2k]), hi(w[2k+1]) for each of its 32
// instructions (the phantom byte dropped); EEPROM hi(w[2k]), lo(w[2k]) for each
// of its 16 words (phantom words dropped); configuration hi(w[0]), lo(w[0]),
// hi(w[1]), and 0xFF 0xFF for an empty configuration block. Any other empty
// block gets no bytes.
void FormatHexData(HexBlock& block);

// Reads a whole HEX file into image (made anew). Data records store their
// words; end-of-file records are passed over (reading goes on); an extended
// linear address record sets the upper 16 address bits. On a refusal *line
// (when given) is the line number. Returns a HexReadResult; the image is then
// incomplete and must not be sent.
int ReadHexImage(FILE* file, std::vector<HexBlock>& image, int* line = nullptr);
