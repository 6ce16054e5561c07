// The board's loader. After the command bytes 0xFF 0xFF 0xFF 0x3B the board
// restarts into it (the move queue is lost) and from then on every byte from
// the host belongs to the loader until the reset command 0x08. Commands
// (addresses A are 3 bytes, low byte first, in address units):
//   01 x x x            identify: answers 96 bytes (the loader's name, padded)
//   02 A                read 32 instructions from A: 96 bytes, each instruction
//                       upper byte first
//   03 A + 96 bytes     write the program row at A (a multiple of 64): 32
//                       instructions, each lowest byte first; answers 0x01, or
//                       0x00 when refused
//   04 A                read 16 EEPROM words from A: 32 bytes, each high byte first
//   05 A + 32 bytes     write the EEPROM row at A (a multiple of 32): 16 words,
//                       each low byte first; answers 0x01 or 0x00
//   07 F L H            configuration word 0: F non-zero leaves the word as it
//                       is, else the word becomes H:L; answers 0x01 or 0x00.
//                       Words 1 to 6 follow as 3-byte entries F L H without the
//                       07, each answered the same way; a refused entry is
//                       expected again (word 0 with its 07)
//   08                  reset: leave the loader, back to the board's commands
// A refused write leaves its row (or word) erased. A write takes 2 ms of the
// board's time before its answer. Anything else is logged and skipped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board_state.h"
#include "protocol_decoder.h"

constexpr int64_t kFlashWriteUs = 2000;  // time a row or word write takes
constexpr size_t kLoaderLongestFrame = 100;

// Notes one command byte the board carried out; enters the loader when it
// completes 0xFF 0xFF 0xFF 0x3B. Called by the decoder for every command.
void NoteCommandForLoader(Board& board, uint8_t code);

// Takes the bytes pending in the decoder as loader input at board time nowUs:
// carries out every complete loader frame, appending answers to replies.
// Called by the decoder while the loader runs.
void RunLoader(Board& board, Decoder& decoder, int64_t nowUs, std::vector<ReplyChunk>& replies);

// Drops the loader's expectation of further configuration entries (an
// incomplete frame expired). Called by the decoder.
void LoaderFrameExpired(Board& board);

// Writes the board's memory image as Intel HEX (see ImageAsHex) to path,
// safely. Returns true when written; false with the reason in error. Called
// at the reset command, by the control command firmware-out and at the end.
bool SaveFirmwareImage(const Board& board, const std::string& path, std::string& error);
