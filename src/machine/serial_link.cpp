#include "machine/serial_link.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "base/log.h"
#include "base/timers.h"
#include "base/ui_hooks.h"

int sp = -1;
int spNumber = 1;
int32_t crc = 0;

namespace {

// Device table of the controller boards, indexed by spNumber.
constexpr const char* kDevices[3] = {"/dev/s3c2410_serial1", "/dev/ttyUSB0",
                                     "/dev/s3c2410_serial2"};

// A string without terminator ends after this many bytes beyond the caller's
// capacity, so a board that streams garbage cannot hold a reader forever.
constexpr int kStringOverrun = 4096;

std::string explicitDevicePath;
SerialLineCalls lineCalls;

ssize_t LineRead(void* buffer, size_t length) {
    return lineCalls.read ? lineCalls.read(sp, buffer, length) : read(sp, buffer, length);
}

// Handler of the line's I/O-possible signal. All input is taken by the polling
// reads, so it has nothing to do.
void SerialInput(int) {}

bool LineOpen() {
    return sp >= 0;
}

// Sleeps until the line becomes readable, at most `milliseconds`. A line that
// reports a hang-up or error without data would make poll return at once over
// and over; then it sleeps a short step instead, so a disconnected board never
// turns a wait into a busy loop.
void SleepOnLine(int64_t milliseconds) {
    if (milliseconds <= 0) return;
    if (lineCalls.waitReadable) {
        lineCalls.waitReadable(sp, static_cast<int>(std::min<int64_t>(milliseconds, 1000)));
        return;
    }
    struct pollfd p;
    p.fd = sp;
    p.events = POLLIN;
    p.revents = 0;
    const int64_t wait = std::min<int64_t>(milliseconds, 1000);
    const int ready = poll(&p, 1, static_cast<int>(RealWaitMs(wait)));
    if (ready == 0) {
        AdvanceClock(wait);  // the manual clock: the whole wait passed in silence
    } else if (ready > 0 && BytesQueued() == 0) {
        SleepMicroseconds(std::min<int64_t>(milliseconds, 10) * 1000);
    }
}

// Waits until `count` bytes are queued or the monotonic deadline passes.
int WaitUntilQueued(int count, int64_t deadlineMs) {
    for (;;) {
        const int queued = BytesQueued();
        if (queued >= count) return queued;
        const int64_t remaining = deadlineMs - MonotonicMs();
        if (remaining <= 0) return queued;
        if (queued == 0) {
            SleepOnLine(remaining);
        } else {
            // Part of a value has arrived; poll would report the line readable
            // at once, so sleep about the time a few bytes take at 57600 baud.
            SleepMicroseconds(std::min<int64_t>(remaining * 1000, 500));
        }
    }
}

// Reads exactly `length` queued bytes; returns the number read.
int ReadQueued(unsigned char* buffer, int length) {
    int done = 0;
    while (done < length) {
        const ssize_t n = LineRead(buffer + done, static_cast<size_t>(length - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<int>(n);
    }
    return done;
}

void ApplyLineSettings(int fd) {
    struct termios options;
    if (tcgetattr(fd, &options) != 0) {
        Log("Serial line settings not applied: %s\n", std::strerror(errno));
        return;
    }
    cfsetispeed(&options, B57600);
    cfsetospeed(&options, B57600);
    options.c_iflag = IGNPAR;
    options.c_oflag = 0;
    options.c_lflag = 0;
    options.c_cflag |= (CLOCAL | CREAD);
    options.c_cflag &= ~(PARENB | PARODD | CSTOPB);
    options.c_cc[VMIN] = 1;
    options.c_cc[VTIME] = 5;
    if (tcsetattr(fd, TCSANOW, &options) != 0) {
        Log("Serial line settings not applied: %s\n", std::strerror(errno));
    }
}

}  // namespace

void SelectSerialPort(const char* firstArgument) {
    if (!firstArgument) {
        spNumber = 1;
        return;
    }
    switch (firstArgument[0]) {
        case '1':
            spNumber = 1;
            break;
        case '2':
            spNumber = 2;
            break;
        default:
            spNumber = 0;
            break;
    }
}

void SetSerialDevicePath(const std::string& path) {
    explicitDevicePath = path;
}

std::string SerialDevicePath() {
    if (!explicitDevicePath.empty()) return explicitDevicePath;
    const int index = (spNumber >= 0 && spNumber <= 2) ? spNumber : 0;
    return kDevices[index];
}

int OpenPort() {
    ClosePort();
    crc = 0;
    const std::string device = SerialDevicePath();
    if (explicitDevicePath.empty() && spNumber == 2) LogLine("Open Serial 2");

    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        Log("Could Not Open Port: %d\n", fd);
        Log("%s: %s\n", device.c_str(), std::strerror(error));
        const std::string text = "UNABLE TO OPEN SERIAL PORT: " + device;
        ShowMessage(kMessageError, kButtonsClose, text.c_str());
        sp = fd;
        return sp;
    }

    // Asynchronous notification on input. SA_RESTART keeps the empty handler
    // from interrupting slow system calls elsewhere in the program.
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = SerialInput;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGIO, &action, nullptr);
    fcntl(fd, F_SETOWN, getpid());
    fcntl(fd, F_SETFL, O_ASYNC);  // also leaves non-blocking mode

    ApplyLineSettings(fd);
    sp = fd;
    return sp;
}

void ClosePort() {
    if (sp >= 0) close(sp);
    sp = -1;
}

int BytesQueued() {
    if (!LineOpen()) return 0;
    if (lineCalls.bytesQueued) return std::max(lineCalls.bytesQueued(sp), 0);
    int queued = 0;
    if (ioctl(sp, FIONREAD, &queued) != 0 || queued < 0) return 0;
    return queued;
}

int ClearPort() {
    const int queued = BytesQueued();
    if (queued <= 0) return 0;
    std::vector<unsigned char> scratch(static_cast<size_t>(queued) + 1);
    return static_cast<int>(LineRead(scratch.data(), static_cast<size_t>(queued)));
}

int ClearBuffer() {
    return ClearPort();
}

int WaitForData(int seconds) {
    if (!LineOpen()) return -1;
    const int64_t endSecond = NowSeconds() + seconds;
    for (;;) {
        if (BytesQueued() > 0) return 0;
        const int64_t nowMs = NowMs();
        const int64_t remaining = endSecond * 1000 - nowMs;
        if (remaining <= 0) return -2;
        SleepOnLine(remaining);
    }
}

int WaitForBytes(int count, int timeoutMs) {
    if (!LineOpen()) return 0;
    return WaitUntilQueued(count, MonotonicMs() + timeoutMs);
}

int GetChar(int timeoutMs, unsigned char* byte, int zeroAllowed) {
    if (!LineOpen()) return -1;
    const int64_t deadline = MonotonicMs() + timeoutMs;
    if (WaitUntilQueued(1, deadline) < 1) return -1;
    if (ReadQueued(byte, 1) != 1) return -1;
    if (*byte != 0 || zeroAllowed) return 0;
    if (BytesQueued() == 0) return 0;  // a lone 0 stands
    unsigned char next = 0;
    ReadQueued(&next, 1);
    Log("Buffer[0] == 0x00. Next Byte: 0x%2.2X\n", next);
    return -3;
}

int GetInt(int timeoutMs, int32_t* value) {
    if (!LineOpen()) return -2;
    if (WaitUntilQueued(4, MonotonicMs() + timeoutMs) < 4) {
        *value = 0;
        return -1;
    }
    unsigned char bytes[4] = {0, 0, 0, 0};
    if (ReadQueued(bytes, 4) != 4) {
        *value = 0;
        return -1;
    }
    const uint32_t raw = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                         (static_cast<uint32_t>(bytes[2]) << 16) |
                         (static_cast<uint32_t>(bytes[3]) << 24);
    *value = static_cast<int32_t>(raw);
    return 0;
}

int GetFloat(int timeoutMs, float* value) {
    if (!LineOpen()) return -2;
    if (WaitUntilQueued(4, MonotonicMs() + timeoutMs) < 4) return -1;
    unsigned char bytes[4] = {0, 0, 0, 0};
    if (ReadQueued(bytes, 4) != 4) return -1;
    const uint32_t raw = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                         (static_cast<uint32_t>(bytes[2]) << 16) |
                         (static_cast<uint32_t>(bytes[3]) << 24);
    std::memcpy(value, &raw, sizeof raw);
    return 0;
}

int GetString(char* buffer, int timeoutMs, char terminator, int capacity) {
    if (!LineOpen()) return 0;
    const int limit = std::max(capacity, 0) + kStringOverrun;
    int count = 0;
    while (count < limit) {
        if (WaitUntilQueued(1, MonotonicMs() + timeoutMs) < 1) return count;
        unsigned char byte = 0;
        if (ReadQueued(&byte, 1) != 1) return count;
        if (byte == static_cast<unsigned char>(terminator)) return count;
        if (count < capacity) buffer[count] = static_cast<char>(byte);
        count++;
    }
    Log("String without terminator cut after %d bytes\n", count);
    return count;
}

ssize_t WriteData(const void* buffer, size_t length) {
    if (!LineOpen()) return -1;
    return lineCalls.write ? lineCalls.write(sp, buffer, length) : write(sp, buffer, length);
}

ssize_t ReadData(void* buffer, size_t length) {
    if (!LineOpen()) return -1;
    return LineRead(buffer, length);
}

int DoNothing(int milliseconds) {
    if (!LineOpen()) return -1;
    const int64_t deadline = MonotonicMs() + milliseconds;
    for (;;) {
        const int64_t remaining = deadline - MonotonicMs();
        if (remaining < 0) return 0;
        SleepMicroseconds(std::min<int64_t>(remaining + 1, 10) * 1000);
    }
}

void SetSerialLineCalls(const SerialLineCalls& calls) {
    lineCalls = calls;
}
