#include "firmware_loader.h"

#include <algorithm>
#include <cstdio>

#include "motion_queue.h"

namespace {

uint32_t Address(const std::vector<uint8_t>& frame) {
    return frame[1] | frame[2] << 8 | static_cast<uint32_t>(frame[3]) << 16;
}

size_t LoaderFrameLength(uint8_t code) {
    switch (code) {
        case 0x01:
        case 0x02:
        case 0x04:
        case 0x07:
            return 4;
        case 0x03:
            return 4 + 96;
        case 0x05:
            return 4 + 32;
        case 0x08:
            return 1;
        default:
            return 0;
    }
}

void Answer(Board& board, std::vector<ReplyChunk>& replies, std::vector<uint8_t> bytes,
            int64_t delayUs, const char* meaning) {
    SimLog(board, "-> %zu bytes %s", bytes.size(), meaning);
    replies.push_back(ReplyChunk{delayUs, std::move(bytes)});
}

// Ends a write: consumes an injected flash failure (the row is then left
// erased by `erase`) and answers 0x01 or 0x00 after the write time, unless
// the answer is lost. Returns true when the data may be stored.
template <typename Erase>
bool FinishWrite(Board& board, std::vector<ReplyChunk>& replies, bool valid, Erase erase) {
    LoaderState& l = board.loader;
    bool failed = valid && l.flashFailures > 0;
    if (failed) {
        l.flashFailures--;
        erase();
    }
    bool stored = valid && !failed;
    if (stored)
        l.writes++;
    else
        l.refused++;
    const char* meaning = stored ? "written" : (valid ? "write failed" : "refused: bad address");
    if (l.lostAcks > 0) {
        l.lostAcks--;
        SimLog(board, "-> (answer lost) %s", meaning);
    } else {
        Answer(board, replies, {static_cast<uint8_t>(stored ? 0x01 : 0x00)}, kFlashWriteUs,
               meaning);
    }
    return stored;
}

void ReadProgram(Board& board, uint32_t a, std::vector<ReplyChunk>& replies) {
    SimLog(board, "<- 02 read program 0x%06X", a);
    if (a % 2 || a >= kProgramEnd) {
        Answer(board, replies, {0x00}, 0, "refused: bad address");
        return;
    }
    std::vector<uint8_t> bytes;
    for (uint32_t k = 0; k < 32; ++k) {
        uint32_t unit = a / 2 + k;
        uint32_t v =
            unit < board.memory.program.size() ? board.memory.program[unit] : kBlankInstruction;
        bytes.insert(bytes.end(), {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                                   static_cast<uint8_t>(v)});
    }
    Answer(board, replies, bytes, 0, "instructions");
}

void WriteProgram(Board& board, uint32_t a, const uint8_t* d, std::vector<ReplyChunk>& replies) {
    SimLog(board, "<- 03 write program row 0x%06X", a);
    bool valid = a % kRowUnits == 0 && a < kProgramEnd;
    uint32_t* row = valid ? &board.memory.program[a / 2] : nullptr;
    if (!FinishWrite(board, replies, valid, [&] { std::fill(row, row + 32, kBlankInstruction); }))
        return;
    for (int k = 0; k < 32; ++k)
        row[k] = d[3 * k] | d[3 * k + 1] << 8 | static_cast<uint32_t>(d[3 * k + 2]) << 16;
}

bool InEeprom(uint32_t a) {
    return a % 2 == 0 && a >= kEepromStart && a < kEepromEnd;
}

void ReadEeprom(Board& board, uint32_t a, std::vector<ReplyChunk>& replies) {
    SimLog(board, "<- 04 read EEPROM 0x%06X", a);
    if (!InEeprom(a)) {
        Answer(board, replies, {0x00}, 0, "refused: bad address");
        return;
    }
    std::vector<uint8_t> bytes;
    for (uint32_t k = 0; k < 16; ++k) {
        uint32_t unit = (a - kEepromStart) / 2 + k;
        uint16_t w = unit < board.memory.eeprom.size() ? board.memory.eeprom[unit] : kBlankWord;
        bytes.insert(bytes.end(), {static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(w)});
    }
    Answer(board, replies, bytes, 0, "EEPROM words");
}

void WriteEeprom(Board& board, uint32_t a, const uint8_t* d, std::vector<ReplyChunk>& replies) {
    SimLog(board, "<- 05 write EEPROM row 0x%06X", a);
    bool valid = InEeprom(a) && (a - kEepromStart) % kEepromRowUnits == 0;
    uint16_t* row = valid ? &board.memory.eeprom[(a - kEepromStart) / 2] : nullptr;
    if (!FinishWrite(board, replies, valid, [&] { std::fill(row, row + 16, kBlankWord); })) return;
    for (int k = 0; k < 16; ++k)
        row[k] = static_cast<uint16_t>(d[2 * k] | d[2 * k + 1] << 8);
}

// One configuration entry: flag, low byte, high byte.
void WriteConfig(Board& board, int index, const uint8_t* entry, std::vector<ReplyChunk>& replies) {
    LoaderState& l = board.loader;
    uint16_t& word = board.memory.config[index];
    SimLog(board, "<- %sconfiguration word %d flag %d value 0x%02X%02X", index ? "" : "07 ", index,
           entry[0], entry[2], entry[1]);
    if (!FinishWrite(board, replies, true, [&] { word = kBlankWord; })) {
        l.configNext = index == 0 ? -1 : index;  // the same entry comes again
        return;
    }
    if (entry[0] == 0) word = static_cast<uint16_t>(entry[1] | entry[2] << 8);
    l.configNext = index + 1 < kConfigWords - 1 ? index + 1 : -1;
}

void LeaveLoader(Board& board) {
    board.loader.active = false;
    board.loader.configNext = -1;
    SimLog(board, "<- 08 loader reset: the board's program runs");
    std::string error;
    if (!board.firmwareOutPath.empty() && !SaveFirmwareImage(board, board.firmwareOutPath, error))
        SimLog(board, "%s", error.c_str());
}

void CarryOut(Board& board, const std::vector<uint8_t>& f, std::vector<ReplyChunk>& replies) {
    LoaderState& l = board.loader;
    if (l.configNext > 0) {
        WriteConfig(board, l.configNext, f.data(), replies);
        return;
    }
    switch (f[0]) {
        case 0x01: {
            SimLog(board, "<- 01 identify");
            std::vector<uint8_t> bytes(96, 0xFF);
            const char name[] = "MC1 loader 1.0";
            std::copy(name, name + sizeof name, bytes.begin());
            Answer(board, replies, bytes, 0, "loader identity");
            return;
        }
        case 0x02:
            ReadProgram(board, Address(f), replies);
            return;
        case 0x03:
            WriteProgram(board, Address(f), f.data() + 4, replies);
            return;
        case 0x04:
            ReadEeprom(board, Address(f), replies);
            return;
        case 0x05:
            WriteEeprom(board, Address(f), f.data() + 4, replies);
            return;
        case 0x07:
            WriteConfig(board, 0, f.data() + 1, replies);
            return;
        case 0x08:
            LeaveLoader(board);
            return;
    }
}

void EnterLoader(Board& board) {
    ClearMotionQueue(board);  // the board restarts: the queue is lost
    board.halted = false;
    board.loader.active = true;
    board.loader.configNext = -1;
    board.loader.entries++;
    SimLog(board, "loader entered");
}

}  // namespace

void NoteCommandForLoader(Board& board, uint8_t code) {
    LoaderState& l = board.loader;
    if (code == 0xFF) {
        l.commandPrefix = std::min(l.commandPrefix + 1, 3);
        return;
    }
    bool enter = code == 0x3B && l.commandPrefix == 3;
    l.commandPrefix = 0;
    if (enter) EnterLoader(board);
}

void RunLoader(Board& board, Decoder& decoder, int64_t nowUs, std::vector<ReplyChunk>& replies) {
    std::vector<uint8_t>& p = decoder.pending;
    LoaderState& l = board.loader;
    while (!p.empty() && l.active) {
        if (l.hung) {
            SimLog(board, "<- %zu bytes ignored (loader hung)", p.size());
            p.clear();
            return;
        }
        size_t length = l.configNext > 0 ? 3 : LoaderFrameLength(p[0]);
        if (length == 0) {
            board.unknownBytes++;
            SimLog(board, "<- %02X not a loader command, ignored", p[0]);
            p.erase(p.begin());
            continue;
        }
        if (p.size() < length) return;
        std::vector<uint8_t> frame(p.begin(), p.begin() + static_cast<long>(length));
        p.erase(p.begin(), p.begin() + static_cast<long>(length));
        decoder.firstByteUs = nowUs;
        CarryOut(board, frame, replies);
        if (l.hangAfter > 0 && --l.hangAfter == 0) {
            l.hung = true;
            SimLog(board, "loader hung");
        }
    }
}

void LoaderFrameExpired(Board& board) {
    board.loader.configNext = -1;
}

bool SaveFirmwareImage(const Board& board, const std::string& path, std::string& error) {
    return SaveFileSafely(path, ImageAsHex(board.memory), error);
}
