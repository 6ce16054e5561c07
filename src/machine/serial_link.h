// The one serial line to the motor-controller board MC1: opening and
// configuring it, and the byte-level reads and writes on which the command set,
// the firmware loader and the point streaming are built.
//
// Every read first asks the driver how many bytes are queued and reads only
// those, so no read blocks; every wait ends at a deadline. Waiting sleeps in
// poll() on the line instead of spinning, so a slow or silent board never
// starves the screen of the single-core controller. None of these waits drains
// screen events: callers that must keep the screen alive wait in short steps.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Descriptor of the open line; negative while the line is not open (-1 before
// the first opening, after a failed opening and after ClosePort).
extern int sp;

// Port selector 0, 1 or 2 that picks the device from the board's device table:
// 0 "/dev/s3c2410_serial1", 1 "/dev/ttyUSB0", 2 "/dev/s3c2410_serial2".
extern int spNumber;

// Running checksum of the move frame (see SendMove); OpenPort sets it to 0.
extern int32_t crc;

// Sets spNumber from the first command-line argument: first character '0', '1'
// or '2' selects that port, any other character port 0, no argument (nullptr)
// port 1. Called by the program's command-line parsing before the line opens.
void SelectSerialPort(const char* firstArgument);

// Makes OpenPort open this device path instead of the device table (for another
// board or the simulated board); an empty path goes back to the table.
void SetSerialDevicePath(const std::string& path);

// The device OpenPort will open: the explicit path when set, else the table's
// device for spNumber.
std::string SerialDevicePath();

// Opens and configures the line (57600 baud, 8 data bits as the driver has
// them, no parity, one stop bit, raw). Returns the new sp, negative on failure;
// a failure logs "Could Not Open Port: %d" and shows one error message
// "UNABLE TO OPEN SERIAL PORT: <device>". A line already open is closed first.
// Called once per process by the machine start-up (InitThreads) and by the
// board console.
int OpenPort();

// Closes the line; sp becomes -1 and every later operation gets its not-open
// result. Used at the end of the board console and between tests.
void ClosePort();

// Discards every byte queued on the line. Returns the number of bytes discarded
// (what read returned), 0 when nothing was queued or the line is not open.
int ClearPort();
int ClearBuffer();

// Number of bytes queued on the line (0 when not open or unknown).
int BytesQueued();

// Waits until the whole-second clock reaches the starting second plus
// `seconds` for at least one queued byte. Returns 0 when a byte is queued, -2 at
// the time-out, -1 when the line is not open.
int WaitForData(int seconds);

// Waits up to timeoutMs until at least `count` bytes are queued. Returns the
// number of bytes queued at the end (>= count on success, 0 when not open).
int WaitForBytes(int count, int timeoutMs);

// Reads one byte within timeoutMs. With zeroAllowed 0, a 0 byte followed by a
// further queued byte is a framing error: both are consumed, the second is
// logged, and the result is -3; a lone 0 byte stands (result 0, byte 0).
// Returns 0 with the byte stored, -1 at the time-out or when not open, -3
// framing error.
int GetChar(int timeoutMs, unsigned char* byte, int zeroAllowed);

// Reads a little-endian signed 32-bit integer once 4 bytes are queued. Returns
// 0 with the value stored, -1 at the time-out (value set to 0; fewer than 4
// bytes stay queued), -2 when not open.
int GetInt(int timeoutMs, int32_t* value);

// Reads a little-endian IEEE-754 single-precision float once 4 bytes are
// queued. Returns 0 with the value stored, -1 at the time-out (value
// untouched), -2 when not open.
int GetFloat(int timeoutMs, float* value);

// Reads bytes up to the terminator (not stored) into buffer, storing at most
// capacity bytes and appending nothing; the time-out runs between bytes.
// Returns the number of bytes received before the terminator (which can
// exceed capacity), the count so far at the time-out, 0 when not open.
int GetString(char* buffer, int timeoutMs, char terminator, int capacity);

// One write of the whole buffer; returns what write returned (-1 when not
// open). A short or failed write is not retried. Callers test sp first.
ssize_t WriteData(const void* buffer, size_t length);

// One read of up to `length` bytes; returns what read returned (-1 when not
// open). Callers read no more than BytesQueued reports, so it does not block.
ssize_t ReadData(void* buffer, size_t length);

// Waits `milliseconds`, sleeping in steps of at most 10 ms. Returns 0 after the
// wait, -1 at once (without waiting) when the line is not open. Used for
// button timings and needle waits.
int DoNothing(int milliseconds);

// The system calls behind the line. A program that plays the board inside the
// host's own process (the fuzz harness of the board's replies) replaces them;
// every call left empty is the real one on sp.
struct SerialLineCalls {
    int (*bytesQueued)(int fd) = nullptr;  // bytes readable now (FIONREAD)
    ssize_t (*read)(int fd, void* buffer, size_t length) = nullptr;
    ssize_t (*write)(int fd, const void* buffer, size_t length) = nullptr;
    // Sleeps until the line is readable or `milliseconds` have passed (poll).
    void (*waitReadable)(int fd, int milliseconds) = nullptr;
};

// Installs the calls (a copy is kept); pass {} to go back to the real ones.
void SetSerialLineCalls(const SerialLineCalls& calls);
