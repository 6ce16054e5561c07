#include "support/mc1sim_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sstream>

#include "base/timers.h"
#include "machine/serial_link.h"

namespace {

// Reads from fd until a newline or the deadline; returns the line without it.
bool ReadLine(int fd, std::string& line, int64_t deadlineMs) {
    line.clear();
    for (int left; (left = static_cast<int>(deadlineMs - MonotonicMs())) > 0;) {
        pollfd p{fd, POLLIN, 0};
        char c = 0;
        if (poll(&p, 1, left) <= 0) continue;
        const ssize_t n = read(fd, &c, 1);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        if (c == '\n') return true;
        if (line.size() < 65536) line.push_back(c);
    }
    return false;
}

}  // namespace

Mc1Sim::Mc1Sim(const std::vector<std::string>& extraArgs) {
    device = dir.File("mc1");
    controlPath = device + ".ctl";
    recordPath = dir.File("record.csv");
    logPath = dir.File("mc1.log");
    std::vector<std::string> args = {MC1SIM_PATH, "--link", device, "--record",
                                     recordPath,  "--log",  logPath};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    const pid_t parent = getpid();
    if ((pid = fork()) < 0) {
        error = std::string("fork: ") + std::strerror(errno);
        close(out[0]);
        close(out[1]);
        return;
    }
    if (pid == 0) {
        // The simulator must not outlive a crashed test program.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        dup2(out[1], STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    std::string line;
    bool gotLine = ReadLine(out[0], line, MonotonicMs() + 5000);
    close(out[0]);
    if (!gotLine || line != "ready " + device) {
        error = gotLine ? "unexpected first line: " + line : "no ready line within 5 s";
        Stop();
        return;
    }
    running = true;
}

Mc1Sim::~Mc1Sim() {
    Stop();
}

int Mc1Sim::Stop() {
    if (pid <= 0) return -1;
    kill(pid, SIGTERM);
    int status = 0;
    for (const int64_t deadline = MonotonicMs() + 2000; waitpid(pid, &status, WNOHANG) == 0;) {
        if (MonotonicMs() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        usleep(5000);
    }
    pid = -1;
    running = false;
    return status;
}

std::string SimControl(const Mc1Sim& sim, const std::string& command) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return "";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string reply;
    const std::string text = command + "\n";
    if (sim.controlPath.size() < sizeof address.sun_path) {
        std::memcpy(address.sun_path, sim.controlPath.c_str(), sim.controlPath.size() + 1);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()))
            ReadLine(fd, reply, MonotonicMs() + 2000);
    }
    close(fd);
    return reply;
}

std::string StateValue(const std::string& reply, const std::string& key) {
    std::istringstream in(reply);
    for (std::string word; in >> word;)
        if (word.rfind(key + "=", 0) == 0) return word.substr(key.size() + 1);
    return "";
}

bool WaitForState(const Mc1Sim& sim, const std::string& key, const std::string& value,
                  int timeoutMs, const std::string& command) {
    int64_t deadline = MonotonicMs() + timeoutMs;
    while (true) {
        if (StateValue(SimControl(sim, command), key) == value) return true;
        if (MonotonicMs() > deadline) return false;
        SleepMicroseconds(5000);
    }
}

namespace {

const Mc1Sim* linkedSim = nullptr;
int64_t owedMs = 0;  // program time the simulator has not been moved on by yet

void PayOwed() {
    if (!linkedSim || owedMs <= 0) return;
    SimControl(*linkedSim, "clock step " + std::to_string(owedMs));
    owedMs = 0;
}

void ClockMoved(int64_t milliseconds) {
    owedMs += milliseconds;
    if (owedMs >= 5) PayOwed();
}

// A reply the board has sent is on the line within a few milliseconds: when
// nothing came, one control command makes sure the simulator has taken what
// the program wrote (it handles the line first), and a second look decides
// whether the whole wait passed in silence.
void WaitReadable(int fd, int milliseconds) {
    PayOwed();
    pollfd p{fd, POLLIN, 0};
    const int grace = std::min(milliseconds, 20);
    if (poll(&p, 1, grace) > 0 || (SimControl(*linkedSim, "clock"), poll(&p, 1, grace) > 0)) {
        AdvanceClock(1);
        return;
    }
    AdvanceClock(milliseconds);
}

}  // namespace

void LinkClocks(const Mc1Sim& sim) {
    linkedSim = &sim;
    owedMs = 0;
    SimControl(sim, "clock hold");
    UseManualClock();
    SetManualClockListener(ClockMoved);
    SerialLineCalls calls;
    calls.waitReadable = WaitReadable;
    SetSerialLineCalls(calls);
}

void UnlinkClocks() {
    SetSerialLineCalls({});
    SetManualClockListener(nullptr);
    UseRealClock();
    linkedSim = nullptr;
}

int OpenRawDevice(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    termios t{};
    if (tcgetattr(fd, &t) == 0) {
        cfmakeraw(&t);
        cfsetispeed(&t, B57600);
        cfsetospeed(&t, B57600);
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

bool WriteBytes(int fd, const std::vector<uint8_t>& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR && errno != EAGAIN) return false;
        done += static_cast<size_t>(std::max<ssize_t>(n, 0));
    }
    return true;
}

std::vector<uint8_t> ReadBytes(int fd, size_t count, int timeoutMs) {
    std::vector<uint8_t> bytes;
    const int64_t deadline = MonotonicMs() + timeoutMs;
    while (bytes.size() < count) {
        const int left = static_cast<int>(deadline - MonotonicMs());
        if (left <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, left) <= 0) continue;
        uint8_t buffer[256];
        size_t want = std::min(sizeof buffer, count - bytes.size());
        ssize_t n = read(fd, buffer, want);
        if (n > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}
