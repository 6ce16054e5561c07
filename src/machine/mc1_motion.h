// Motion exchanges with MC1: the head position, move frames into the board's
// queue, the queue status with the board's error word. Positions are signed
// thousandths of an inch, the unit of the board's encoders.
#pragma once

#include <cstdint>
#include <optional>

// Buffer status bytes (answer to the status request). 0..99 are the free
// places in the board's move queue; 99 means the queue is empty.
constexpr unsigned char kBufferEmpty = 99;
constexpr unsigned char kBufferDone = 0xFD;   // every move done, head stands still
constexpr unsigned char kBufferError = 0xFE;  // board error, an error word follows
constexpr unsigned char kBufferBusy = 0xFF;   // busy stitching, takes no move now

// Answers to a move frame.
constexpr unsigned char kMoveAccepted = 0x0B;
constexpr unsigned char kMoveRefused = 0x0C;

// 1 while a move frame and its answer are in flight; needle-sensor polls and
// delayed button releases stay off the line while it is set.
extern int sendMoveActive;

// A head position in thousandths of an inch.
struct MachinePosition {
    int32_t x = 0;
    int32_t y = 0;
};

// Reads the head position. Returns 0 read, -2 when the line is not open, else
// the failing read's result (-1 time-out); both outputs are 0 unless read.
// Callers that face the quilter show kHeadUnreadableMessage on a failure.
int GetXY(int32_t* x, int32_t* y);

// The message shown when the head position could not be read.
constexpr const char* kHeadUnreadableMessage = "COMMUNICATIONS ERROR.\nPLEASE TRY AGAIN.";

// Readings of a standing head that count as the same place, thousandths of an
// inch, and the most readings GetSteadyXY takes.
constexpr int32_t kSteadyTolerance = 5;
constexpr int kSteadyReads = 3;

// Reads the position of a head that stands still until two readings in a row
// agree within kSteadyTolerance on both axes (at most kSteadyReads readings),
// so a reply garbled on the line is not taken for the head's place. Returns 0
// with the second reading (0, 0 when the line is not open), -1 when no two
// readings agreed (x = y = 0). Used for the start of a lead line.
int GetSteadyXY(int32_t* x, int32_t* y);

// The head position, or none when it could not be read.
std::optional<MachinePosition> GetCurrentLocation();

// Machine positions followed by the nesting screen, and its follow flag.
extern MachinePosition machineOrigin;
extern MachinePosition machineCurrent;
extern int runCapture;

// 250 ms timer body of the nesting screen: while runCapture is set, replaces
// machineCurrent with a fresh reading (when one is read). Returns runCapture,
// so the timer ends when it is cleared; the screen's timer redraws its view
// while the result is 1.
int SetMachineCurrent();

// Sends a move frame to (x, y) thousandths of an inch with a feed rate. Returns
// 0 accepted, 1 refused (0x0C), 2 other answer (pending input discarded), 3 no
// answer; 0 when the line is not open. Callers re-send the same point after
// any non-zero result.
int SendMove(float x, float y, float feed);

// Fills the 17 bytes of a move frame and returns its checksum (also left in the
// running checksum crc). Fields saturate at the int32 range.
int32_t BuildMoveFrame(float x, float y, float feed, unsigned char frame[17]);

// Asks the board's queue status. Returns 0 status read, 1 not open, 2 no usable
// answer (time-out or framing error), 4 board error (status 0xFE): then
// errorWord holds the word (-1 when it could not be read; fetched again with
// GetErrors on firmware older than 1.27). errorWord is untouched otherwise.
int CheckBuffer(unsigned char* status, int32_t* errorWord);

// Asks the board's error word (0x34). Returns 0 read; else the read's result
// (-1 time-out, -2 not open) with the word set to 0.
int GetErrors(int32_t* errorWord);
