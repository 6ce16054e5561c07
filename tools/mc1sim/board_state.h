// The simulated board's whole state: parameters, servo axes and head, move
// queue, stitcher, loader and memory, clock, the head's track for the picture,
// and the faults the control channel injects. One record, owned by main,
// passed to every module of the simulator.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "firmware_image.h"
#include "line_noise.h"

constexpr int kQueuePlaces = 99;  // waiting moves the board can hold

// One move as it arrived in the move frame.
struct QueuedMove {
    int32_t x100;      // target X, thousandths of an inch x 100
    int32_t y100;      // target Y, thousandths of an inch x 100
    int32_t feed1000;  // feed rate x 1000 (0..100 scale)
};

// The move being executed.
struct RunningMove {
    bool active = false;
    QueuedMove move{};
    double startX = 0, startY = 0;    // commanded position where the line began, thousandths
    double targetX = 0, targetY = 0;  // thousandths of an inch
    double length = 0;                // thousandths of an inch
    double travelled = 0;             // thousandths of an inch along the line
    double fromX = 0, fromY = 0;      // head when the line began, thousandths from the first home
};

// One executed move as the head went, for the picture of the run.
struct TrackSegment {
    double x0, y0, x1, y1;  // thousandths of an inch from the first home position
    bool stitched;          // stitching was on when the move ended
};
constexpr size_t kTrackSegmentsMax = 1000000;  // moves kept for the picture

// Size and quilt area of the picture (head_picture.h).
struct PictureSettings {
    int width = 640, height = 480;         // pixels
    double areaWidth = 0, areaHeight = 0;  // inches from the home position; 0: not given
};

// The head's path and the quilt area, for the picture (head_picture.h).
struct HeadTrack {
    std::vector<TrackSegment> segments;  // executed moves in order, at most kTrackSegmentsMax
    bool full = false;                   // moves were left out: the limit was reached
    double homeX = 0, homeY = 0;  // the present home from the first one, thousandths of an inch
    bool extentsSet = false;      // SetExtents (0x2E) was received
    double extentsX = 0, extentsY = 0;  // head position then, from the home then, thousandths
};

// The board-held machine parameters with their factory defaults.
struct BoardParameters {
    int32_t XKp = 30, XKi = 8, XKd = 40;
    int32_t YKp = 30, YKi = 8, YKd = 40;
    int32_t Err = 100, TOut = 100;
    int32_t stitchLen = 5, speed = 40, minimumSpeed = 2, stitchRep = 4;
    float slow = 5.0f;
};

// The line between the board and the stitcher: sound; noisy (a break before
// every byte the stitcher sends, which the board passes on as a 0 byte); cut
// (the stitcher's answers never arrive).
constexpr int kStitcherLinkSound = 0;
constexpr int kStitcherLinkNoisy = 1;
constexpr int kStitcherLinkCut = 2;

// The stitcher behind the board: buttons, needle sensor and stitching.
struct StitcherState {
    int machine = 0;            // stitcher method 0..12
    bool stitching = false;     // the stitcher is sewing (head moves make stitches)
    bool buttons[3] = {};       // 0x48 stitch regulator, 0x49 needle up, 0x4A command
    bool commandUsed = false;   // another button was pressed while the command button was held
    bool needleRising = false;  // a needle-up press started the needle; it ends at the release
    bool needleUp = true;       // where the needle rests once it stops
    int64_t needleMovingUntilUs = 0;  // the sensor reads 0 until then (needle travelling)
    uint8_t status = 1;               // method-0 status byte (1 ready, 0x21 handle bars)
    bool robotMode = true;            // method 1 handle bars in robot mode
    bool needleFail = false;          // needle-up fails
    float version = 2.10f;            // stitcher firmware version
    int link = kStitcherLinkSound;    // the line between the board and the stitcher
};

// One press or release of a stitcher button as the board operated it.
struct ButtonEvent {
    int64_t boardUs;  // board time, microseconds since start
    uint8_t code;     // 0x48, 0x49 or 0x4A
    uint8_t state;    // as sent: 0 released, otherwise pressed
};
constexpr size_t kButtonEventsKept = 64;  // the latest events the control channel can list

// One servo axis between the board's trajectory and the head. The trajectory
// sets the commanded position; the drive delivers `travel` of every commanded
// displacement (1 when sound); the head follows what was delivered within the
// band the gains allow (see axis_drive.h).
struct AxisDrive {
    double commanded = 0;  // trajectory position, thousandths of an inch
    double driven = 0;     // position the drive delivered, thousandths of an inch
    double travel = 1.0;   // fraction of each commanded displacement covered
};

// Faults injected from the control channel.
struct FaultState {
    bool silent = false;           // read and ignore every byte, answer nothing
    int refuseMoves = 0;           // refuse this many more move frames
    bool errorActive = false;      // status answers 0xFE
    bool errorUnreadable = false;  // ... without the error word
    int32_t errorWord = 0;
    int busyPolls = 0;       // this many more status polls answer 0xFF
    bool strayZero = false;  // the next status reply is preceded by a 0 byte
    bool stall = false;      // the head stops, the queue does not drain
    LineNoise noise;         // damage to the reply bytes on their way to the host
};

// The loader the board restarts into for a firmware upload, with the faults
// the control channel injects into it.
struct LoaderState {
    bool active = false;    // the board runs its loader
    int commandPrefix = 0;  // 0xFF commands in a row just received (at most 3)
    int configNext = -1;    // configuration entry 1..6 expected next without 0x07; -1 none
    int flashFailures = 0;  // the next N writes fail: answered 0x00, the row left erased
    int lostAcks = 0;       // the answers to the next N writes are lost on the line
    int hangAfter = -1;     // loader commands carried out before it hangs; -1 never
    bool hung = false;      // the loader reads every byte and answers nothing
    int64_t entries = 0;    // times the loader was entered
    int64_t writes = 0;     // rows and words written
    int64_t refused = 0;    // writes answered 0x00
};

// The board's own clock, which moves the head, drains the queue, moves the
// needle and times the loader's writes. It runs with real time; held, it
// stands still while the board goes on answering every command at once, so
// each status poll finds nothing changed; a step moves it on at once.
struct BoardClock {
    int64_t offsetUs = 0;  // board time = real time - offsetUs while running
    bool held = false;
    int64_t heldUs = 0;  // board time while held
};

struct Board {
    BoardParameters params;
    StitcherState stitcher;
    FaultState faults;

    double x = 0, y = 0;           // head position, thousandths of an inch
    AxisDrive axisX, axisY;        // the servo axes that move the head
    HeadTrack track;               // where the head went, for the picture
    std::deque<QueuedMove> queue;  // waiting moves, at most kQueuePlaces
    RunningMove running;
    bool halted = false;
    bool xEnabled = true, yEnabled = true;
    bool extentsSet = false;
    bool reversed = false;  // motor direction reversed (0x41 toggles)
    float firmware = 1.30f;
    FirmwareImage memory = FactoryImage();  // program memory, EEPROM, configuration
    LoaderState loader;
    std::string firmwareOutPath;  // --firmware-out: where the image is written, or empty
    PictureSettings picture;
    std::string picturePath;  // --picture: where the picture is written at the end, or empty

    BoardClock clock;
    double timeScale = 1.0;     // motion runs this many times faster than real time
    int64_t motionClockUs = 0;  // board time up to which motion has been advanced
    int64_t startUs = 0;        // real (and board) time the simulator started

    int64_t executed = 0;                  // moves finished
    int64_t refused = 0;                   // move frames refused
    int64_t accepted = 0;                  // move frames accepted
    int64_t unknownBytes = 0;              // bytes with no known command code
    int64_t runStarts = 0, runEnds = 0;    // 0x3F and 0x30 received
    std::deque<ButtonEvent> buttonEvents;  // the latest kButtonEventsKept button events
    int64_t buttonEventCount = 0;          // every button event since start

    FILE* record = nullptr;      // --record file, or none
    FILE* log = nullptr;         // --log file, or none
    bool quitRequested = false;  // the control command quit was given
};

// Real monotonic time in microseconds.
int64_t SimNowUs();

// The board's time at real time realUs, microseconds.
int64_t BoardNowUs(const Board& board, int64_t realUs);

// The real time at which the board's clock reads boardUs; -1 when boardUs is
// negative (no time) or the clock is held (never).
int64_t RealTimeOf(const Board& board, int64_t boardUs);

// Holds the board's clock at real time realUs; lets it run again from where
// it stands; steps it on by us microseconds (held or running).
void HoldClock(Board& board, int64_t realUs);
void RunClock(Board& board, int64_t realUs);
void StepClock(Board& board, int64_t us);

// Appends one line to the decoded log (when one is open), prefixed with the
// milliseconds since start. Called by the decoder and the control channel.
void SimLog(Board& board, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Formats a number without trailing zeros after the decimal point, at most
// `decimals` of them: 1500 -> "1500", 1500.5 -> "1500.5".
std::string FormatTrimmed(double value, int decimals);

// Replaces the file at path with data so that a crash or power cut leaves the
// old or the new file whole: a temporary file beside it, synced, renamed over
// it. Returns true when done; false with the reason in error.
bool SaveFileSafely(const std::string& path, const std::string& data, std::string& error);
