// Checksum files: the small text file beside a program or firmware file that
// holds the file's CRC-32, an application code, a version and, optionally, the
// operating-system kernel release the file is meant for. The program update
// and the firmware upload install nothing whose checksum file does not match;
// "longarm-tool crc" writes them.
//
// Text, blank-separated, in this order: the CRC as a signed 32-bit decimal
// number (a CRC above 0x7FFFFFFF is written negative; a positive value up to
// 4294967295 is read as well), the application code, the version, and the
// kernel release or nothing. Example: "-889275714 1 3.060 2.6.29.6".
#pragma once

#include <cstdint>
#include <string>

// Application codes of a checksum file.
constexpr int kAppCodeProgram = 1;   // the controller program
constexpr int kAppCodeFirmware = 2;  // firmware of the motor-controller board

// Longest kernel release kept from a checksum file, in characters.
constexpr size_t kMaxKernelText = 127;

struct ChecksumRecord {
    uint32_t crc = 0;
    int appCode = 0;
    float version = 0.0f;
    std::string kernel;  // "" when the file names no kernel release
};

// The checksum file of path: everything from the first "." of the file name
// (the part after the last "/") replaced by ".crc", or ".crc" appended when the
// file name has no ".": "/media/usb/prog.new.BIN" -> "/media/usb/prog.crc".
std::string ChecksumFilePath(const std::string& path);

// Reads the fields of a checksum file's text. Returns 1, or 0 when the CRC,
// the application code or the version is missing or not a number in range, or
// the kernel field is longer than kMaxKernelText (record untouched on 0).
int ParseChecksumText(const std::string& text, ChecksumRecord& record);

// The text of a checksum file, with a line feed at the end.
std::string FormatChecksumText(const ChecksumRecord& record);

// Reads the checksum file at checksumPath (at most 1 KiB of it). Returns 1, or 0
// when it cannot be opened or its text is refused by ParseChecksumText.
int ReadChecksumFile(const std::string& checksumPath, ChecksumRecord& record);

// Computes the CRC-32 of the file at path and writes its checksum file beside
// it safely, with the given application code, version and kernel release ("" for
// none). Returns 1, or 0 when the file cannot be read or the checksum file
// written. Called by "longarm-tool crc".
int WriteChecksumFile(const std::string& path, int appCode, float version,
                      const std::string& kernel, ChecksumRecord* written = nullptr);

// Checks the file at path against its checksum file. Prints
// "0x%8.8X == 0x%8.8X CRC PASSED!\n" (stored, computed) and
// "AppCode = %d Version = %0.2f" (with kernel also " Kernel = %s") and a line
// feed, stores the application code, the version and (when kernel is given)
// the kernel release ("" when the file names none), and returns 1. Prints
// "0x%8.8X != 0x%8.8X CRC FAILED!\n" and returns 0 when the CRCs differ; returns
// 0 without output when the file or its checksum file cannot be read (outputs
// untouched on 0). Called by the program update and the firmware update.
int CheckCRC(const char* path, int* appCode, float* version, std::string* kernel);
