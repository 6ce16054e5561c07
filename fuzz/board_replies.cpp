// Plays the board MC1 with arbitrary reply bytes: the command set's exchanges
// (constants, stitch settings, versions, position, errors, buffer status,
// moves, stitcher checks, needle) and then a whole run of a small stitch path
// with lead-in, lock stitches, section changes, and Stop, Pause and Thread
// Break pressed when the input says so. The host's real serial-link code reads
// the replies: the line's system calls are replaced by an in-process board, and
// the clock by a simulated one that every wait advances, so time-outs cost
// nothing.
//
// The input is a sequence of chunks, one taken whenever the host writes to the
// line:
//   0x00-0x7F  the next (byte) input bytes are the reply, as they are
//   0x80-0xEF  a reply as a sound board gives it to the command just written,
//              the low bits choosing among its answers (free places, refusal)
//   0xF0-0xF3  no reply; the quilter presses Stop, Pause, PAUSE again or
//              Thread Break at the next chance
//   0xF4-0xFF  no reply
// When the input is used up the board falls silent.
//
// After the run the machine must be safe: stitching off and both axes
// released; no move may have been sent with stitching on to a point off the
// path; the host must not keep talking or waiting for ever.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "base/application_state.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "fuzz_support.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/mc1_motion.h"
#include "machine/serial_link.h"
#include "machine/stitcher.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/run_flags.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/stitch_path.h"
#include "support/simulated_clock/simulated_clock.h"

// ---------------------------------------------------------------------------
// The simulated clock (simulated_clock.h): every sleep and every wait
// on the line moves it on at once.

namespace {
// More simulated time than any run of the small path may take: beyond it the
// host is taken to wait for ever.
constexpr int64_t kLongestRunUs = 6LL * 3600 * 1000000;
int64_t runStartUs = 0;

void CheckRunTime(int64_t) {
    if (SimulatedClockUs() - runStartUs > kLongestRunUs)
        FuzzFail(__FILE__, __LINE__, "host waits for ever");
}

// ---------------------------------------------------------------------------
// The board

constexpr int kFakeLine = 1000;  // sp while the in-process board plays
constexpr size_t kMostWrites = 200000;

enum UiPress { kNoPress = 0, kPressStop = 0xF0, kPressPause, kPressResume, kPressThread };

struct Board {
    const uint8_t* input = nullptr;
    size_t size = 0;
    size_t at = 0;
    std::string queued;  // reply bytes not yet read by the host
    size_t readAt = 0;
    int32_t headX = 0, headY = 0;  // thousandths of an inch, where the last move went
    size_t writes = 0;
    int pendingPress = kNoPress;
    std::vector<UiPress> pressesWhilePaused;
    // The path as packed (thousandths), and the safety record of the run.
    std::vector<std::pair<float, float>> path;
    int axisX = 0, axisY = 0;  // last axis command: 1 enabled, -1 released
    int movesOffPathStitching = 0;
} board;

void Queue(const void* bytes, size_t n) {
    board.queued.append(static_cast<const char*>(bytes), n);
}
void QueueByte(uint8_t b) {
    Queue(&b, 1);
}
void QueueInt(int32_t v) {
    uint8_t b[4];
    for (int i = 0; i < 4; i++)
        b[i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
    Queue(b, 4);
}
void QueueFloat(float f) {
    int32_t v;
    std::memcpy(&v, &f, 4);
    QueueInt(v);
}
int32_t FrameInt(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                (static_cast<uint32_t>(p[2]) << 16) |
                                (static_cast<uint32_t>(p[3]) << 24));
}

// Distance in thousandths from (x, y) to the path drawn as one polyline.
double DistanceToPath(double x, double y) {
    double best = 1e300;
    const auto& p = board.path;
    for (size_t i = 0; i < p.size(); i++) {
        const double ax = p[i].first, ay = p[i].second;
        const double bx = p[i + 1 < p.size() ? i + 1 : i].first;
        const double by = p[i + 1 < p.size() ? i + 1 : i].second;
        const double dx = bx - ax, dy = by - ay;
        const double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / len2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        best = std::min(best, std::hypot(x - (ax + t * dx), y - (ay + t * dy)));
    }
    return best;
}

// What the host just wrote, for the safety record.
void Observe(const uint8_t* bytes, size_t n) {
    if (n == 1) {
        switch (bytes[0]) {
            case kCmdEnableX:
                board.axisX = 1;
                break;
            case kCmdDisableX:
                board.axisX = -1;
                break;
            case kCmdEnableY:
                board.axisY = 1;
                break;
            case kCmdDisableY:
                board.axisY = -1;
                break;
            default:
                break;
        }
    }
    if (n == 17 && bytes[0] == kCmdSendMove && robotIsStitching && !board.path.empty()) {
        const double x = FrameInt(bytes + 1) / 100.0, y = FrameInt(bytes + 5) / 100.0;
        if (DistanceToPath(x, y) > 2.0) board.movesOffPathStitching++;
    }
}

// The answer of a sound board to the command just written; `choice` picks
// among its possible answers.
void SoundAnswer(const uint8_t* bytes, size_t n, int choice) {
    static const uint8_t kStatus[] = {99, kBufferDone, 60, 2, 1, kBufferBusy, kBufferError, 98};
    switch (bytes[0]) {
        case kCmdGetConstants:
            for (int32_t v : {30, 8, 30, 8, 40, 100, 100, 40})
                QueueInt(v);
            break;
        case kCmdGetStitchSettings:
            for (uint8_t b : {5, 40, 2, 4})
                QueueByte(b);
            break;
        case kCmdGetSlow:
            QueueFloat(5.0f);
            break;
        case kCmdGetXY:
            QueueInt(board.headX);
            QueueInt(board.headY);
            break;
        case kCmdSendMove:
            if (n == 17 && choice != 1) {
                board.headX = FrameInt(bytes + 1) / 100;
                board.headY = FrameInt(bytes + 5) / 100;
                QueueByte(kMoveAccepted);
            } else {
                QueueByte(kMoveRefused);
            }
            break;
        case kCmdCheckBuffer: {
            const uint8_t status = kStatus[choice % sizeof kStatus];
            QueueByte(status);
            if (status == kBufferError) QueueInt(choice);
            break;
        }
        case kCmdGetErrors:
            QueueInt(choice);
            break;
        case kCmdGetMotorVersion:
        case kCmdGetStitcherVersion:
            QueueFloat(choice & 1 ? 1.26f : 1.30f);
            break;
        case kCmdGetMotorDirection:
            QueueByte(choice & 1 ? kMotorReversed : 1);
            break;
        case kCmdGetStitcherStatus:
            QueueByte(choice & 1 ? kStitcherNotInRobotMode : 1);
            break;
        case kCmdNeedleSensor:
            QueueByte(choice & 1);
            break;
        case kCmdNeedleUp:
            QueueByte(choice & 1 ? 0xFB : 0xFA);
            break;
        default:
            break;
    }
}

ssize_t BoardWrite(int, const void* buffer, size_t length) {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    if (++board.writes > kMostWrites) FuzzFail(__FILE__, __LINE__, "host keeps talking");
    if (length == 0) return 0;
    Observe(bytes, length);
    if (board.at >= board.size) return static_cast<ssize_t>(length);  // silent from now on
    const uint8_t h = board.input[board.at++];
    if (h < 0x80) {
        const size_t n = std::min<size_t>(h, board.size - board.at);
        Queue(board.input + board.at, n);
        board.at += n;
    } else if (h < kPressStop) {
        SoundAnswer(bytes, length, h & 0x7F);
    } else if (h <= kPressThread) {
        if (h == kPressResume || h == kPressThread)
            board.pressesWhilePaused.push_back(static_cast<UiPress>(h));
        else
            board.pendingPress = h;
    }
    return static_cast<ssize_t>(length);
}

int BoardQueued(int) {
    return static_cast<int>(board.queued.size() - board.readAt);
}

ssize_t BoardRead(int, void* buffer, size_t length) {
    const size_t n = std::min(length, board.queued.size() - board.readAt);
    std::memcpy(buffer, board.queued.data() + board.readAt, n);
    board.readAt += n;
    return static_cast<ssize_t>(n);
}

void BoardWait(int, int milliseconds) {
    SleepMicroseconds(static_cast<int64_t>(std::max(milliseconds, 1)) * 1000);
}

// ---------------------------------------------------------------------------
// The quilter and the screen

int stitchingToggle = 1;
bool runViewShown = false;  // PAUSE and THREAD BREAK exist only on the run view

void DrainEvents() {
    const int press = board.pendingPress;
    board.pendingPress = kNoPress;
    if (press == kPressStop) stopButtonReleased();
    if (press == kPressPause && runViewShown && allStop == 0) PauseToggled(1);
}

RunControlHooks RunHooks() {
    RunControlHooks h;
    h.stitchingActive = [] { return stitchingToggle; };
    h.setStitchingActive = [](int active) { stitchingToggle = active; };
    h.setPauseReleased = [] { PauseToggled(0); };
    h.showRunView = [] { runViewShown = true; };
    h.showEditView = [] { runViewShown = false; };
    return h;
}

// A path of three sections: a stitched row, a jump of an inch to a second row,
// and a jump of a tenth of an inch to a short third row.
FullPattern_t* MakeRunPath() {
    std::vector<std::pair<float, float>> points;
    std::vector<int> halts;
    for (int i = 0; i < 12; i++) {
        points.push_back({1000.0f + 100.0f * i, 1000.0f});
        halts.push_back(i == 11);
    }
    for (int i = 0; i < 12; i++) {
        points.push_back({1000.0f + 100.0f * i, 2000.0f + 50.0f * (i % 2)});
        halts.push_back(i == 11);
    }
    for (int i = 0; i < 5; i++) {
        points.push_back({2100.0f, 2100.0f + 100.0f * i});
        halts.push_back(0);
    }
    FullPattern_t* first = NewFullPattern(static_cast<long>(points.size()));
    for (size_t i = 0; i < points.size(); i++) {
        FullPattern_t& p = first[i];
        p.x = points[i].first;
        p.y = points[i].second;
        p.feed = 40.0f;
        p.halt = static_cast<uint8_t>(halts[i]);
    }
    board.path = points;
    return first;
}

// ---------------------------------------------------------------------------
// The scenario

void CommandSetExchanges() {
    int32_t values[kConstantCount] = {};
    int32_t x = 0, y = 0, word = 0;
    float version = 0;
    unsigned char byte = 0;
    char text[8];
    GetConstants(values);
    GetStitchSettingsAtStartUp();
    GetStitchSettingsForSetup();
    GetSlowSetting();
    GetMotorVersion(&version);
    GetStitcherVersion(&version);
    GetMotorDirection(&byte);
    GetXY(&x, &y);
    GetErrors(&word);
    CheckBuffer(&byte, &word);
    SendMove(1500.0f, 2250.0f, 0.5f);
    GetStitcher(&byte);
    NeedleUp();
    PauseForNeedle();
    StitchOn();
    StitchOff();
    GetString(text, 100, '\n', sizeof text);
}

void Run() {
    CurrentRun().fullPattern = MakeRunPath();
    fpTemp = nullptr;
    allStop = 0;
    runViewShown = false;
    StartPattern(0);
    // The main loop while the run is paused: the quilter's next press, or
    // Stop when the input has none left.
    size_t next = 0;
    while (allStop == 2 && runViewShown) {
        if (next >= board.pressesWhilePaused.size()) {
            stopButtonReleased();
        } else if (board.pressesWhilePaused[next++] == kPressThread) {
            ThreadBreak();
        } else {
            PauseToggled(0);
        }
    }
}

void Reset(const uint8_t* data, size_t size) {
    board = Board{};
    board.input = data;
    board.size = size;
    runStartUs = SimulatedClockUs();
    OnSimulatedClockMoved(CheckRunTime);
    // The first byte sets the machine: type, lock stitches, jump length, the
    // Stitching toggle and whether the command-set exchanges come first.
    const uint8_t setup = size > 0 ? data[0] : 0;
    board.at = size > 0 ? 1 : 0;
    SetFactoryDefaults();
    Machine().needleUpMethod = setup % 13;
    Machine().needleUpConfirm = (setup >> 4) & 1;
    Machine().needleUpTime = 200.0f;
    Machine().stitchRep = (setup >> 5) & 3 ? 4 : 0;
    Machine().jumpStitch = (setup & 0x40) ? 0.0f : 5.0f;
    stitchingToggle = (setup & 0x80) ? 0 : 1;
    robotIsStitching = 0;
    sendMoveActive = 0;
    allStop = 0;
}

// The harness's seams: the drained events, the run's hooks and the serial line.
void InstallSeams() {
    UserInterfaceHooks ui = GetUserInterfaceHooks();
    ui.drainEvents = DrainEvents;
    SetUserInterfaceHooks(ui);
    SetRunControlHooks(RunHooks());
    SerialLineCalls calls;
    calls.bytesQueued = BoardQueued;
    calls.read = BoardRead;
    calls.write = BoardWrite;
    calls.waitReadable = BoardWait;
    SetSerialLineCalls(calls);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSetUp(InstallSeams);
    Reset(data, size);
    sp = kFakeLine;

    if (size > 1 && (data[1] & 1)) CommandSetExchanges();
    Run();

    FUZZ_CHECK(robotIsStitching == 0);
    FUZZ_CHECK(board.axisX == -1 && board.axisY == -1);
    FUZZ_CHECK(board.movesOffPathStitching == 0);

    FreeFullPattern(CurrentRun().fullPattern);
    CurrentRun().fullPattern = nullptr;
    ClearRunMarker();
    fpTemp = nullptr;
    sp = -1;
    return 0;
}
