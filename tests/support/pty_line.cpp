#include "support/pty_line.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <stdexcept>

#include "support/mc1sim_fixture.h"

namespace {

int64_t Millis() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Reads what is available on fd within waitMs; returns the bytes.
std::string ReadSome(int fd, int waitMs) {
    struct pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, waitMs) <= 0 || !(p.revents & POLLIN)) return "";
    char buffer[256];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : "";
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
    worker = std::thread([this] {
        size_t used = 0;
        for (const BoardStep& step : steps) {
            while (!stop && received.size() < used + step.expect)
                received += ReadSome(line.master, 10);
            if (stop) break;
            used += step.expect;
            if (step.delayMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(step.delayMs));
            line.Send(step.reply);
        }
        done = true;
        while (!stop)
            received += ReadSome(line.master, 10);
        received += ReadSome(line.master, 20);
    });
}

ScriptedBoard::~ScriptedBoard() {
    stop = true;
    if (worker.joinable()) worker.join();
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
    const uint32_t raw = static_cast<uint32_t>(value);
    std::string s;
    for (int i = 0; i < 4; i++)
        s.push_back(static_cast<char>((raw >> (8 * i)) & 0xFF));
    return s;
}

std::string LEFloat(float value) {
    int32_t raw = 0;
    std::memcpy(&raw, &value, sizeof raw);
    return LE32(raw);
}

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v & 0xFF));
    return s;
}
