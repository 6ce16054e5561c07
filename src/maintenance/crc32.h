// CRC-32 of IEEE 802.3 (polynomial 0x04C11DB7 with reflected input and output,
// initial value 0xFFFFFFFF, final complement; the check value of the text
// "123456789" is 0xCBF43926). The checksum files of program and firmware
// updates hold this value of the file they protect.
//
// Two ways of folding bytes into a running value give the same result:
// PartialCRC, one table look-up per byte, and PartialCRC8, eight bytes per
// step with eight tables ("slicing by eight"), several times faster. Whole
// files are checked with the fast one.
#pragma once

#include <cstddef>
#include <cstdint>

// Builds the look-up tables (once; later calls do nothing). Every function
// below calls it itself, so callers need not.
void InitializeCRC();

// The low `bits` bits of value in reverse order (bit 0 becomes bit bits-1);
// the higher bits are dropped. bits is 1 to 32.
uint32_t Reflect(uint32_t value, int bits);

// Folds length bytes into the running value crc, one table look-up per byte:
// crc = (crc >> 8) ^ table[(crc ^ byte) & 0xFF]. Returns the new running value.
uint32_t PartialCRC(uint32_t crc, const unsigned char* bytes, size_t length);

// The same result as PartialCRC, eight bytes per step.
uint32_t PartialCRC8(uint32_t crc, const unsigned char* bytes, size_t length);

// CRC-32 of a whole buffer: start 0xFFFFFFFF, fold, complement.
uint32_t FullCRC(const unsigned char* bytes, size_t length);
uint32_t FullCRC_Default(const unsigned char* bytes, size_t length);

// Size of the chunks FileCRC_Default reads (1 MiB).
constexpr size_t kFileCrcChunk = 0x100000;

// CRC-32 of the whole file at path, read in chunks of bufferSize bytes.
// Returns 1 with *crc set; 0 when the file cannot be opened or read, or
// bufferSize is 0 (then *crc is 0xFFFFFFFF). Called by CheckCRC, the program
// update (to check the installed copy) and the benchmark.
int FileCRC(const char* path, uint32_t* crc, size_t bufferSize);

// FileCRC with 1 MiB chunks.
int FileCRC_Default(const char* path, uint32_t* crc);
