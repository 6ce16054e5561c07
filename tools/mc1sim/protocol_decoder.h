// Decodes the byte stream from the host into commands, carries them out on the
// board and produces the reply bytes. Frames are recognised by their first
// byte; a frame whose bytes do not all arrive within kFrameTimeoutUs of its
// first byte is dropped, and bytes with no known command code are logged and
// skipped, so no input can wedge the decoder. While the board runs its
// loader, the bytes go to the loader instead (firmware_loader.h). All times
// here are the board's (board_state.h).
#pragma once

#include <cstdint>
#include <vector>

#include "board_state.h"

constexpr int64_t kFrameTimeoutUs = 500000;
constexpr int kLongestFrame = 17;  // the move frame

// Reply bytes to send after a delay (0: at once) measured from the command.
struct ReplyChunk {
    int64_t delayUs = 0;
    std::vector<uint8_t> bytes;
};

struct Decoder {
    std::vector<uint8_t> pending;  // bytes of an incomplete frame (at most the longest
                                   // board or loader frame)
    int64_t firstByteUs = 0;       // when the incomplete frame's first byte arrived
};

// Total length of the frame that starts with code, or 0 for an unknown code.
int FrameLength(uint8_t code);

// Takes one byte from the host at board time nowUs; complete frames are carried
// out at once and their replies appended to replies. Called by main.
void DecodeByte(Board& board, Decoder& decoder, uint8_t byte, int64_t nowUs,
                std::vector<ReplyChunk>& replies);

// Drops an incomplete frame whose time has run out. Called by main on every pass.
void ExpirePartialFrame(Board& board, Decoder& decoder, int64_t nowUs);

// Board time at which the incomplete frame expires, or -1 when there is none.
int64_t PartialFrameDeadlineUs(const Decoder& decoder);
