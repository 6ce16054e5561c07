#include "support/pty_line.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <bit>
#include <stdexcept>

#include "base/timers.h"
#include "machine/serial_link.h"
#include "support/mc1sim_fixture.h"

namespace {

int64_t Millis() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool Readable(int fd, int waitMs) {
    struct pollfd p = {fd, POLLIN, 0};
    return poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN);
}

// What fd has to read within waitMs, at most 256 bytes.
std::string ReadSome(int fd, int waitMs) {
    char buffer[256];
    const ssize_t n = Readable(fd, waitMs) ? read(fd, buffer, sizeof buffer) : 0;
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : "";
}

ScriptedBoard* scripted = nullptr;  // the board the serial link's calls report to

// Adds what the host read or wrote to the board's count.
ssize_t Counted(ssize_t n, size_t ScriptedBoard::*count) {
    if (n > 0 && scripted) {
        std::lock_guard<std::mutex> lock(scripted->mutex);
        scripted->*count += static_cast<size_t>(n);
    }
    return n;
}

// The host's wait for input. The answer of a scripted board may take long in
// real time on a busy machine (the board's thread and the terminal's transfer
// must both run), so on the manual clock the wait ends only when the answer is
// readable or the board settles without one; a silent wait moves the clock on
// by its whole length. On the real clock it is a plain poll.
void WaitForBoard(int fd, int milliseconds) {
    if (!ManualClockInUse()) {
        Readable(fd, milliseconds);
        return;
    }
    const int64_t giveUp = Millis() + 10000;  // a board that never settles is a fault
    while (!scripted->Settled() && Millis() < giveUp)
        if (Readable(fd, 1)) return;
    if (!Readable(fd, 0)) AdvanceClock(milliseconds);
}

}  // namespace

PtyLine::PtyLine() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    slavePath = ptsname(master);
    // Keep one slave descriptor open so the host closing its own never hangs
    // up the master, and make the line raw from the start.
    holdSlave = open(slavePath.c_str(), O_RDWR | O_NOCTTY);
    struct termios t;
    tcgetattr(holdSlave, &t);
    cfmakeraw(&t);
    tcsetattr(holdSlave, TCSANOW, &t);
}

PtyLine::~PtyLine() {
    if (holdSlave >= 0) close(holdSlave);
    holdSlave = -1;
    if (master >= 0) close(master);
}

void PtyLine::Send(const std::string& bytes) {
    WriteBytes(master, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

std::string PtyLine::Received(size_t count, int timeoutMs) {
    std::string got;
    const int64_t deadline = Millis() + timeoutMs;
    while (Millis() < deadline) {
        if (count > 0 && got.size() >= count) break;
        const std::string part = ReadSome(master, count > 0 ? 20 : 50);
        if (part.empty() && count == 0) break;
        got += part;
    }
    return got;
}

ScriptedBoard::ScriptedBoard(PtyLine& l, std::vector<BoardStep> s) : line(l), steps(std::move(s)) {
    need = steps.empty() ? 0 : steps[0].expect;
    done = steps.empty();
    scripted = this;
    SerialLineCalls calls;
    calls.read = [](int fd, void* buffer, size_t length) {
        return Counted(read(fd, buffer, length), &ScriptedBoard::hostRead);
    };
    calls.write = [](int fd, const void* buffer, size_t length) {
        return Counted(write(fd, buffer, length), &ScriptedBoard::hostWritten);
    };
    calls.waitReadable = WaitForBoard;
    SetSerialLineCalls(calls);
    worker = std::thread([this] {
        for (;;) {
            Readable(line.master, 10);
            std::string reply;
            int delayMs = 0;
            {
                std::lock_guard<std::mutex> lock(mutex);
                for (std::string part; !(part = ReadSome(line.master, 0)).empty();)
                    received += part;
                answering = !done && received.size() >= need;
                if (answering) {
                    reply = steps[next].reply;
                    delayMs = steps[next].delayMs;
                }
            }
            if (!answering) {
                if (stop) break;
                continue;
            }
            if (delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            line.Send(reply);
            std::lock_guard<std::mutex> lock(mutex);
            sent += reply.size();
            answering = false;
            if (++next < steps.size())
                need += steps[next].expect;
            else
                done = true;
        }
        received += ReadSome(line.master, 20);
    });
}

ScriptedBoard::~ScriptedBoard() {
    stop = true;
    if (worker.joinable()) worker.join();
    SetSerialLineCalls({});
    scripted = nullptr;
}

bool ScriptedBoard::Settled() {
    std::lock_guard<std::mutex> lock(mutex);
    // Bytes cross the pseudo-terminal some time after they are written, so
    // what each side has taken is counted rather than looked for.
    return !answering && hostRead >= sent && received.size() >= hostWritten &&
           (done || received.size() < need);
}

std::string ScriptedBoard::Finish(int timeoutMs) {
    const int64_t deadline = Millis() + timeoutMs;
    while (!done && Millis() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    stop = true;
    if (worker.joinable()) worker.join();
    return received;
}

std::string LE32(int32_t value) {
    std::string s;
    for (int i = 0; i < 4; i++)
        s.push_back(static_cast<char>(static_cast<uint32_t>(value) >> (8 * i)));
    return s;
}

std::string LEFloat(float value) {
    return LE32(std::bit_cast<int32_t>(value));
}

std::string Bytes(std::initializer_list<int> values) {
    return std::string(values.begin(), values.end());
}
