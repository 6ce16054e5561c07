#include "protocol_decoder.h"

#include <cmath>
#include <cstring>
#include <string>

#include "axis_drive.h"
#include "firmware_loader.h"
#include "motion_queue.h"
#include "stitcher_model.h"

namespace {

// The constants request: 0x0B followed by these seven bytes.
const uint8_t kConstantsRequest[8] = {0x0B, 0x0C, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29};

int32_t ReadInt32(const uint8_t* p) {
    uint32_t v = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                 static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    return static_cast<int32_t>(v);
}

float ReadFloat(const uint8_t* p) {
    uint32_t bits = static_cast<uint32_t>(ReadInt32(p));
    float f = 0;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void PutInt32(std::vector<uint8_t>& out, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutFloat(std::vector<uint8_t>& out, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    PutInt32(out, static_cast<int32_t>(bits));
}

// Rounds a position to the nearest whole thousandth, clamped to int32.
int32_t ToInt32(double v) {
    v = std::round(v);
    if (v > 2147483647.0) return INT32_MAX;
    if (v < -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

uint8_t ClampByte(int32_t v) {
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

std::string HexBytes(const std::vector<uint8_t>& bytes) {
    std::string text;
    char b[8];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", bytes[i]);
        text += b;
    }
    return text;
}

// Collects the reply of one command and writes its log line.
struct Reply {
    Board& board;
    std::vector<ReplyChunk>& replies;
    std::vector<uint8_t> bytes;
    int64_t delayUs = 0;

    void Send(const char* meaning) {
        if (bytes.empty()) {
            SimLog(board, "-> (nothing) %s", meaning);
            return;
        }
        SimLog(board, "-> %s %s", HexBytes(bytes).c_str(), meaning);
        replies.push_back(ReplyChunk{delayUs, bytes});
    }
};

struct Setter {
    uint8_t code;
    const char* name;
    int32_t BoardParameters::*field;
};

const Setter kSetters[] = {
    {0x01, "SetXKp", &BoardParameters::XKp},
    {0x02, "SetXKi", &BoardParameters::XKi},
    {0x03, "SetXKd", &BoardParameters::XKd},
    {0x04, "SetYKp", &BoardParameters::YKp},
    {0x05, "SetYKi", &BoardParameters::YKi},
    {0x06, "SetYKd", &BoardParameters::YKd},
    {0x08, "SetMaxErr", &BoardParameters::Err},
    {0x09, "SetTOut", &BoardParameters::TOut},
    {0x35, "SetStitches", &BoardParameters::stitchLen},
    {0x36, "SetLockStitch", &BoardParameters::stitchRep},
    {0x37, "SetSpeed", &BoardParameters::speed},
    {0x39, "SetMinimumSpeed", &BoardParameters::minimumSpeed},
};

void BufferStatusReply(Board& board, Reply& reply) {
    FaultState& f = board.faults;
    if (f.strayZero) {
        reply.bytes.push_back(0);
        f.strayZero = false;
    }
    if (f.busyPolls > 0) {
        f.busyPolls--;
        reply.bytes.push_back(0xFF);
        reply.Send("busy");
        return;
    }
    if (f.errorActive) {
        reply.bytes.push_back(0xFE);
        if (f.errorUnreadable) {
            reply.Send("board error, no word");
            return;
        }
        PutInt32(reply.bytes, f.errorWord);
        char text[48];
        std::snprintf(text, sizeof text, "board error %d", f.errorWord);
        reply.Send(text);
        return;
    }
    uint8_t status = MotionStatus(board);
    reply.bytes.push_back(status);
    char text[48];
    if (status == 0xFD)
        std::snprintf(text, sizeof text, "all moves done");
    else
        std::snprintf(text, sizeof text, "%d free", status);
    reply.Send(text);
}

void MoveFrame(Board& board, const uint8_t* frame, Reply& reply) {
    QueuedMove move{ReadInt32(frame + 1), ReadInt32(frame + 5), ReadInt32(frame + 9)};
    int32_t sum = ReadInt32(frame + 13);
    uint32_t expected = static_cast<uint32_t>(move.x100) + static_cast<uint32_t>(move.y100) +
                        static_cast<uint32_t>(move.feed1000);
    SimLog(board, "<- 21 SendMove x=%s y=%s feed=%s sum=%d",
           FormatTrimmed(move.x100 / 100.0, 2).c_str(), FormatTrimmed(move.y100 / 100.0, 2).c_str(),
           FormatTrimmed(move.feed1000 / 1000.0, 3).c_str(), sum);
    const char* why = nullptr;
    if (static_cast<uint32_t>(sum) != expected)
        why = "refused: wrong checksum";
    else if (board.faults.refuseMoves > 0) {
        board.faults.refuseMoves--;
        why = "refused: fault";
    } else if (!QueueMove(board, move))
        why = "refused: queue full";
    if (why) {
        board.refused++;
        reply.bytes.push_back(0x0C);
        reply.Send(why);
        return;
    }
    board.accepted++;
    reply.bytes.push_back(0x0B);
    reply.Send("accepted");
}

// The stitcher's answer crosses the board-stitcher line on its way to the
// host: a noisy line puts a break (read as 0) before every byte, a cut line
// loses them all.
void RelayFromStitcher(const StitcherState& st, Reply& reply) {
    if (st.link == kStitcherLinkCut) {
        reply.bytes.clear();
    } else if (st.link == kStitcherLinkNoisy) {
        std::vector<uint8_t> relayed;
        for (uint8_t b : reply.bytes) {
            relayed.push_back(0);
            relayed.push_back(b);
        }
        reply.bytes = relayed;
    }
}

void RecordButton(Board& board, uint8_t code, uint8_t state, int64_t nowUs) {
    board.buttonEvents.push_back(ButtonEvent{nowUs - board.startUs, code, state});
    if (board.buttonEvents.size() > kButtonEventsKept) board.buttonEvents.pop_front();
    board.buttonEventCount++;
}

// Carries out one complete frame.
void Execute(Board& board, const uint8_t* frame, int length, int64_t nowUs,
             std::vector<ReplyChunk>& replies) {
    uint8_t code = frame[0];
    Reply reply{board, replies, {}, 0};
    for (const Setter& s : kSetters) {
        if (s.code != code) continue;
        board.params.*s.field = ReadInt32(frame + 1);
        SimLog(board, "<- %02X %s %d", code, s.name, board.params.*s.field);
        SettleAxes(board);  // a new gain takes hold at once
        return;
    }
    StitcherState& st = board.stitcher;
    switch (code) {
        case 0x44:
            board.params.slow = ReadFloat(frame + 1);
            SimLog(board, "<- 44 SetSlow %.3f", board.params.slow);
            return;
        case 0x0B: {
            SimLog(board, "<- 0B GetConstants");
            const BoardParameters& p = board.params;
            for (int32_t v : {p.XKp, p.XKi, p.YKp, p.YKi, p.YKd, p.Err, p.TOut, p.XKd})
                PutInt32(reply.bytes, v);
            reply.Send("constants");
            return;
        }
        case 0x0E:
            SimLog(board, "<- 0E stitch settings");
            for (int32_t v : {board.params.stitchLen, board.params.speed, board.params.minimumSpeed,
                              board.params.stitchRep})
                reply.bytes.push_back(ClampByte(v));
            reply.Send("stitch settings");
            return;
        case 0x42:
            SimLog(board, "<- 42 slow setting");
            PutFloat(reply.bytes, board.params.slow);
            reply.Send("slow");
            return;
        case 0x0F: {
            SimLog(board, "<- 0F GetXY");
            int32_t x = ToInt32(board.x);
            int32_t y = ToInt32(board.y);
            PutInt32(reply.bytes, x);
            PutInt32(reply.bytes, y);
            char text[64];
            std::snprintf(text, sizeof text, "x=%d y=%d", x, y);
            reply.Send(text);
            return;
        }
        case 0x21:
            MoveFrame(board, frame, reply);
            return;
        case 0x22:
            SimLog(board, "<- 22 CheckBuffer");
            BufferStatusReply(board, reply);
            return;
        case 0x34:
            SimLog(board, "<- 34 GetErrors");
            if (board.faults.errorActive && board.faults.errorUnreadable) {
                reply.Send("error word unreadable");
                return;
            }
            PutInt32(reply.bytes, board.faults.errorActive ? board.faults.errorWord : 0);
            reply.Send("error word");
            return;
        case 0x13:
            SimLog(board, "<- 13 stop");
            StopMotion(board);
            return;
        case 0x15:
        case 0x16:
        case 0x17:
        case 0x18: {
            static const char* names[] = {"DisableX", "EnableX", "DisableY", "EnableY"};
            SimLog(board, "<- %02X %s", code, names[code - 0x15]);
            EnableAxis(board, code <= 0x16, code == 0x16 || code == 0x18);
            return;
        }
        case 0x19:
            SimLog(board, "<- 19 Resume");
            ResumeMotion(board);
            return;
        case 0x1A:
            SimLog(board, "<- 1A SetHome");
            SetHomeHere(board);
            return;
        case 0x1D:
        case 0x1E: {
            bool on = code == 0x1D;
            bool obeyed = StitchCommand(st, on);
            SimLog(board, "<- %02X stitching %s%s", code, on ? "on" : "off",
                   obeyed ? "" : " (ignored: this machine type uses the buttons)");
            return;
        }
        case 0x2C:
            SimLog(board, "<- 2C Halt");
            HaltMotion(board);
            return;
        case 0x2D:
            SimLog(board, "<- 2D ClearMCBuffer");
            ClearMotionQueue(board);
            return;
        case 0x2E:
        case 0x2F:
            board.extentsSet = code == 0x2E;
            if (code == 0x2E) {
                board.track.extentsSet = true;
                board.track.extentsX = board.x;
                board.track.extentsY = board.y;
            }
            SimLog(board, "<- %02X %s", code, code == 0x2E ? "SetExtents" : "ClearExtents");
            return;
        case 0x30:
            board.runEnds++;
            SimLog(board, "<- 30 end of run");
            return;
        case 0x3F:
            board.runStarts++;
            SimLog(board, "<- 3F start");
            return;
        case 0x46:
            SimLog(board, "<- 46 setup screen");
            return;
        case 0x31: {
            SimLog(board, "<- 31 needle up");
            bool ok = NeedleUpCommand(st, nowUs);
            reply.delayUs = kNeedleReplyUs;
            reply.bytes.push_back(ok ? 0xFA : 0xFB);
            reply.Send(ok ? "needle up done" : "needle up failed");
            return;
        }
        case 0x38:
            SimLog(board, "<- 38 GetMotorDirection");
            reply.bytes.push_back(board.reversed ? 0xC8 : 0x64);
            reply.Send(board.reversed ? "reversed" : "normal");
            return;
        case 0x41:
            board.reversed = !board.reversed;
            SimLog(board, "<- 41 reverse motor direction (now %s)",
                   board.reversed ? "reversed" : "normal");
            return;
        case 0x3C:
            SimLog(board, "<- 3C GetMotorVersion");
            PutFloat(reply.bytes, board.firmware);
            reply.Send("motor version");
            return;
        case 0x3D:
            SimLog(board, "<- 3D GetStitcherVersion");
            PutFloat(reply.bytes, st.version);
            RelayFromStitcher(st, reply);
            reply.Send("stitcher version");
            return;
        case 0x3E:
            SimLog(board, "<- 3E stitcher status");
            reply.bytes.push_back(st.status);
            RelayFromStitcher(st, reply);
            reply.Send("stitcher status");
            return;
        case 0x4B: {
            SimLog(board, "<- 4B needle sensor");
            int up = NeedleSensor(st, nowUs);
            reply.bytes.push_back(static_cast<uint8_t>(up));
            reply.Send(up ? "needle up" : "needle not up");
            return;
        }
        case 0x48:
        case 0x49:
        case 0x4A: {
            static const char* names[] = {"stitch regulator", "needle up", "command"};
            RecordButton(board, code, frame[1], nowUs);
            std::string effect = ButtonChange(st, code, frame[1], nowUs);
            SimLog(board, "<- %02X %02X %s button %s%s%s", code, frame[1], names[code - 0x48],
                   frame[1] ? "pressed" : "released", effect.empty() ? "" : ": ", effect.c_str());
            return;
        }
        case 0x3B:
        case 0xFF:
            SimLog(board, "<- %02X firmware upload control", code);
            return;
        default:
            SimLog(board, "<- %02X (length %d) not handled", code, length);
            return;
    }
}

}  // namespace

int FrameLength(uint8_t code) {
    switch (code) {
        case 0x01:
        case 0x02:
        case 0x03:
        case 0x04:
        case 0x05:
        case 0x06:
        case 0x08:
        case 0x09:
        case 0x35:
        case 0x36:
        case 0x37:
        case 0x39:
        case 0x44:
            return 5;
        case 0x0B:
            return 8;
        case 0x21:
            return 17;
        case 0x48:
        case 0x49:
        case 0x4A:
            return 2;
        case 0x0E:
        case 0x0F:
        case 0x13:
        case 0x15:
        case 0x16:
        case 0x17:
        case 0x18:
        case 0x19:
        case 0x1A:
        case 0x1D:
        case 0x1E:
        case 0x22:
        case 0x2C:
        case 0x2D:
        case 0x2E:
        case 0x2F:
        case 0x30:
        case 0x31:
        case 0x34:
        case 0x38:
        case 0x3B:
        case 0x3C:
        case 0x3D:
        case 0x3E:
        case 0x3F:
        case 0x41:
        case 0x42:
        case 0x46:
        case 0x4B:
        case 0xFF:
            return 1;
        default:
            return 0;
    }
}

namespace {

// Takes one frame off the front of the pending bytes: carries it out, or skips
// a byte that starts no frame. Returns false when the frame is incomplete.
bool DecodeFrame(Board& board, Decoder& decoder, int64_t nowUs, std::vector<ReplyChunk>& replies) {
    std::vector<uint8_t>& p = decoder.pending;
    int length = FrameLength(p[0]);
    if (length == 0) {
        board.unknownBytes++;
        SimLog(board, "<- %02X unknown code, ignored", p[0]);
        NoteCommandForLoader(board, p[0]);
        p.erase(p.begin());
        decoder.firstByteUs = nowUs;
        return true;
    }
    if (p[0] == 0x0B) {
        // The constants request is a fixed byte sequence; a byte that
        // breaks it is taken as the start of the next command.
        size_t bad = 1;
        while (bad < p.size() && bad < 8 && p[bad] == kConstantsRequest[bad])
            ++bad;
        if (bad < p.size() && bad < 8) {
            SimLog(board, "<- 0B constants request broken after %zu bytes, ignored", bad);
            p.erase(p.begin(), p.begin() + static_cast<long>(bad));
            decoder.firstByteUs = nowUs;
            return true;
        }
    }
    if (static_cast<int>(p.size()) < length) return false;
    Execute(board, p.data(), length, nowUs, replies);
    NoteCommandForLoader(board, p[0]);
    p.erase(p.begin(), p.begin() + length);
    decoder.firstByteUs = nowUs;
    return true;
}

}  // namespace

void DecodeByte(Board& board, Decoder& decoder, uint8_t byte, int64_t nowUs,
                std::vector<ReplyChunk>& replies) {
    if (decoder.pending.empty()) decoder.firstByteUs = nowUs;
    decoder.pending.push_back(byte);
    while (!decoder.pending.empty()) {
        if (board.loader.active) {
            RunLoader(board, decoder, nowUs, replies);
            if (board.loader.active) return;  // waiting for the rest of a loader frame
        } else if (!DecodeFrame(board, decoder, nowUs, replies)) {
            return;
        }
    }
}

void ExpirePartialFrame(Board& board, Decoder& decoder, int64_t nowUs) {
    if (board.loader.active && nowUs - decoder.firstByteUs >= kFrameTimeoutUs)
        LoaderFrameExpired(board);
    if (decoder.pending.empty() || nowUs - decoder.firstByteUs < kFrameTimeoutUs) return;
    SimLog(board, "<- %s incomplete frame dropped", HexBytes(decoder.pending).c_str());
    decoder.pending.clear();
}

int64_t PartialFrameDeadlineUs(const Decoder& decoder) {
    if (decoder.pending.empty()) return -1;
    return decoder.firstByteUs + kFrameTimeoutUs;
}
