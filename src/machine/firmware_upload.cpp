#include "machine/firmware_upload.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "base/log.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "machine/mc1_commands.h"
#include "machine/serial_link.h"

namespace {

constexpr unsigned char kLoaderStart = 0x3B;
constexpr unsigned char kLoaderHello = 0x01;
constexpr unsigned char kReadProgram = 0x02;
constexpr unsigned char kWriteProgram = 0x03;
constexpr unsigned char kReadEeprom = 0x04;
constexpr unsigned char kWriteEeprom = 0x05;
constexpr unsigned char kWriteConfig = 0x07;
constexpr unsigned char kLoaderEnd = 0x08;
constexpr unsigned char kAck = 0x01;
constexpr int kRowAnswer = 96;
constexpr int kEepromAnswer = 32;
constexpr int kMaxReadChunk = 128;

void AppendAddress(std::vector<unsigned char>& frame, uint32_t address) {
    frame.push_back(static_cast<unsigned char>(address & 0xFF));
    frame.push_back(static_cast<unsigned char>((address >> 8) & 0xFF));
    frame.push_back(static_cast<unsigned char>((address >> 16) & 0xFF));
}

// The bytes that carry one block to the loader.
std::vector<unsigned char> BlockFrame(const HexBlock& block) {
    std::vector<unsigned char> frame;
    if (block.kind == kHexConfig) {
        if (block.index == 0) frame.push_back(kWriteConfig);
        frame.push_back(block.empty);
        frame.insert(frame.end(), block.data.begin(), block.data.begin() + 2);
        return frame;
    }
    frame.push_back(block.kind == kHexProgram ? kWriteProgram : kWriteEeprom);
    AppendAddress(frame, block.address);
    frame.insert(frame.end(), block.data.begin(), block.data.end());
    return frame;
}

// Input left from an earlier answer (a loader that said more than was read)
// is dropped first: it would shift this answer, and with it the reset vector
// that must go back to the board unchanged.
int Exchange(const std::vector<unsigned char>& request, unsigned char* answer, int count,
             int timeoutMs) {
    ClearPort();
    WriteBlock(request.data(), static_cast<int>(request.size()));
    SleepMicroseconds(1000);
    return ReadBlock(timeoutMs, answer, count);
}

// The board's first two instructions replace those of the file: its reset
// vector starts the loader. The 96-byte answer holds each instruction's bytes
// in the order opposite to the wire's.
void KeepResetVector(std::vector<HexBlock>& image, const unsigned char* r) {
    char text[32];
    std::snprintf(text, sizeof text, "%02x%02x%02x00%02x%02x%02x00", r[2], r[1], r[0], r[5], r[4],
                  r[3]);
    for (uint32_t word = 0; word < 4; ++word)
        InsertHexData(image[0], word, text + 4 * word);
}

// The board's EEPROM start replaces the file's: read back a row at a time,
// each byte pair swapped into the wire order.
void KeepEepromStart(std::vector<HexBlock>& image, const LoaderTiming& timing) {
    for (int row = 0; row < 2; ++row) {
        HexBlock& block = image[kProgramBlocks + row];
        unsigned char answer[kEepromAnswer];
        std::vector<unsigned char> request = {kReadEeprom};
        AppendAddress(request, block.address);
        const int got = Exchange(request, answer, kEepromAnswer, timing.answerMs);
        if (got < kEepromAnswer) {
            LogLine("EEPROM not read!!");
            block.empty = 1;  // not sent: the board keeps what it has there
            block.data.clear();
            continue;
        }
        if (block.empty) continue;
        for (int i = 0; i + 1 < kEepromAnswer; i += 2) {
            block.data[i] = answer[i + 1];
            block.data[i + 1] = answer[i];
        }
    }
}

}  // namespace

int ReadBlock(int timeoutMs, unsigned char* buffer, int count) {
    if (sp < 0) return sp;
    int got = 0;
    while (got < count) {
        if (WaitForBytes(1, timeoutMs) < 1) break;  // the time-out restarts with each arrival
        const int want = std::min({BytesQueued(), count - got, kMaxReadChunk});
        const ssize_t n = ReadData(buffer + got, static_cast<size_t>(want));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<int>(n);
    }
    return got;
}

int WriteBlock(const unsigned char* buffer, int length) {
    if (sp < 0) return 0;
    int done = 0;
    while (done < length) {
        const ssize_t n = WriteData(buffer + done, static_cast<size_t>(length - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<int>(n);
    }
    return done;
}

int SendHexData(const HexBlock& block, const LoaderTiming& timing) {
    if (block.empty && block.kind != kHexConfig) return kBlockSkipped;
    if (block.kind == kHexConfig && block.index == 7) return kBlockNotSent;
    const std::vector<unsigned char> frame = BlockFrame(block);
    const int64_t start = MonotonicMs();
    bool answered = false;
    while (MonotonicMs() - start < timing.blockMs) {
        WriteBlock(frame.data(), static_cast<int>(frame.size()));
        unsigned char reply = 0;
        if (ReadBlock(timing.ackMs, &reply, 1) == 1) {
            if (reply == kAck) return kBlockAcknowledged;
            answered = true;
        }
    }
    return answered ? kBlockNotAcknowledged : kBlockSilent;
}

int SendHexFile(FILE* file, const LoaderTiming& timing) {
    std::vector<HexBlock> image;
    int line = 0;
    const int read = ReadHexImage(file, image, &line);
    if (read != kHexRead) return read;  // the reader's numbers are the upload's
    return SendHexImage(image, timing);
}

int SendHexImage(std::vector<HexBlock>& image, const LoaderTiming& timing) {
    ProcessPendingEvents();

    const unsigned char start[] = {0xFF, 0xFF, 0xFF, kLoaderStart};
    for (unsigned char code : start)
        SendCommand(code);
    SleepMicroseconds(10000);
    unsigned char answer[kRowAnswer];
    if (Exchange({kLoaderHello, 1, 1, 1}, answer, kRowAnswer, timing.answerMs) <= 0)
        return kUploadNoLoader;
    ProcessPendingEvents();
    if (Exchange({kReadProgram, 0, 0, 0}, answer, kRowAnswer, timing.answerMs) < 6)
        return kUploadNoVector;
    // A file without row 0 leaves the board's row 0 untouched altogether.
    if (!image[0].empty) KeepResetVector(image, answer);
    for (HexBlock& block : image)
        FormatHexData(block);
    ClearPort();
    SleepMicroseconds(1000);
    KeepEepromStart(image, timing);
    ProcessPendingEvents();

    for (const HexBlock& block : image) {
        const int sent = SendHexData(block, timing);
        if (sent == kBlockNotAcknowledged || sent == kBlockSilent) {
            Log("Firmware block %d at 0x%06X not acknowledged\n", block.index, block.address);
            return kUploadBlockFailed;
        }
        if (sent == kBlockAcknowledged) ProcessPendingEvents();
    }
    SendCommand(kLoaderEnd);
    return kUploadDone;
}
