// Sending new firmware to the motor-controller board MC1: the HEX file is read
// whole into the memory image (hex_image.h) and only then, after the board's
// loader has been started, written to it block by block, each block
// acknowledged by the loader. The board's own reset vector (its first two
// instructions, which start the loader) and the start of its EEPROM are read
// from it first and written back unchanged, whatever the file holds there.
//
// The exchange with the loader, after the loader start bytes 0xFF 0xFF 0xFF
// 0x3B:
//   0x01 0x01 0x01 0x01            -> 96 bytes (any answer shows the loader runs)
//   0x02 0x00 0x00 0x00            -> 96 bytes, beginning with instructions 0 and 1
//   0x04 A0 A1 A2                  -> 32 bytes of EEPROM at A (low byte first)
//   0x03 A0 A1 A2 + 96 bytes       -> 0x01: a program row written
//   0x05 A0 A1 A2 + 32 bytes       -> 0x01: an EEPROM row written
//   0x07 E B0 B1, then E B0 B1 x 6 -> 0x01 each: configuration words 0 to 6
//   0x08                           -> the loader ends
// E is a block's empty flag. A block not answered 0x01 is sent again until
// it is, or until its time runs out.
#pragma once

#include <cstddef>
#include <cstdio>

#include "machine/hex_image.h"

// Waits of the exchange, in milliseconds. The defaults are the loader's; tests
// and tools may shorten them.
struct LoaderTiming {
    int answerMs = 1000;  // for the 96- and 32-byte answers
    int ackMs = 250;      // for one acknowledgement byte
    int blockMs = 3000;   // for one block, all tries together
    int settleMs = 250;   // pause after the upload before the outcome is shown
};

// Results of SendHexData.
enum HexBlockResult {
    kBlockAcknowledged = 0,
    kBlockSkipped = 2,          // an empty program or EEPROM block
    kBlockSilent = 3,           // no byte at all came back within the block's time
    kBlockNotSent = 4,          // configuration block 7, never sent
    kBlockNotAcknowledged = 5,  // answers came, but no 0x01 within the block's time
};

// Results of SendHexFile.
enum HexUploadResult {
    kUploadDone = 0,
    kUploadWordOutside = 1,    // a data word fits no block (nothing sent)
    kUploadBadRecordType = 2,  // an unsupported record type (nothing sent)
    kUploadNoVector = 3,       // no answer (fewer than 6 bytes) to the reset-vector read
    kUploadBlockFailed = 4,    // a block not acknowledged in time
    kUploadNoLoader = 5,       // no answer to the first read
    kUploadMalformed = 6,      // a malformed line or bad record checksum (nothing sent)
};

// Collects up to count bytes from the line, reading what is queued (at most 128
// bytes per read); the time-out restarts whenever bytes arrive. Returns the
// number of bytes received (count when complete), or the line's negative
// descriptor when it is not open.
int ReadBlock(int timeoutMs, unsigned char* buffer, int count);

// Writes the whole buffer to the line. Returns length, the number written when
// the line fails part-way, or 0 when the line is not open.
int WriteBlock(const unsigned char* buffer, int length);

// Sends one block until the loader acknowledges it with 0x01 or the block's
// time runs out; every other answer, and silence for timing.ackMs, sends it
// again. Returns a HexBlockResult.
int SendHexData(const HexBlock& block, const LoaderTiming& timing = LoaderTiming{});

// The whole upload from an open HEX file: reads and checks the file, starts
// the loader, keeps the reset vector and the EEPROM start, sends every block in
// table order (an empty configuration block as 0xFF 0xFF; a block that is not
// acknowledged ends the upload) and ends the loader with 0x08. An EEPROM block
// of the kept start whose read-back fails is not sent at all ("EEPROM not
// read!!"), so the board keeps what it has there; likewise row 0 when the file
// has nothing in it. Screen events are drained
// between the stages and blocks. Returns a HexUploadResult; a file refused by
// the reader ends it before anything is sent. With the line not open nothing
// answers: kUploadNoLoader.
int SendHexFile(FILE* file, const LoaderTiming& timing = LoaderTiming{});

// The upload of SendHexFile from an image ReadHexImage has filled: the image's
// row 0 takes the board's reset vector and every block its wire bytes.
int SendHexImage(std::vector<HexBlock>& image, const LoaderTiming& timing = LoaderTiming{});
