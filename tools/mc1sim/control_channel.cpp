#include "control_channel.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "motion_queue.h"
#include "stitcher_model.h"

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string w;
    while (in >> w)
        words.push_back(w);
    return words;
}

bool ParseLong(const std::string& text, long low, long high, long& value) {
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != '\0' || v < low || v > high) return false;
    value = v;
    return true;
}

bool ParseNumber(const std::string& text, double& value) {
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(v)) return false;
    value = v;
    return true;
}

// "on"/"off" argument into flag; false when it is neither.
bool ParseSwitch(const std::vector<std::string>& w, bool& flag) {
    if (w.size() != 2) return false;
    if (w[1] == "on")
        flag = true;
    else if (w[1] == "off")
        flag = false;
    else
        return false;
    return true;
}

std::string StateLine(const Board& b, int64_t nowUs) {
    const StitcherState& s = b.stitcher;
    bool moving = b.running.active && !b.halted && !b.faults.stall;
    std::ostringstream out;
    out << "ok x=" << FormatTrimmed(b.x, 2) << " y=" << FormatTrimmed(b.y, 2)
        << " queue=" << b.queue.size() << " moving=" << moving << " halted=" << b.halted
        << " stitching=" << s.stitching << " xenabled=" << b.xEnabled << " yenabled=" << b.yEnabled
        << " needle=" << NeedleSensor(s, nowUs) << " machine=" << s.machine
        << " executed=" << b.executed << " refused=" << b.refused << " accepted=" << b.accepted
        << " running=" << b.running.active << " status=" << static_cast<int>(MotionStatus(b))
        << " reversed=" << b.reversed << " extents=" << b.extentsSet << " starts=" << b.runStarts
        << " ends=" << b.runEnds << " unknown=" << b.unknownBytes << " silent=" << b.faults.silent
        << " stall=" << b.faults.stall;
    return out.str();
}

std::string ParamsLine(const Board& b) {
    const BoardParameters& p = b.params;
    std::ostringstream out;
    out << "ok XKp=" << p.XKp << " XKi=" << p.XKi << " XKd=" << p.XKd << " YKp=" << p.YKp
        << " YKi=" << p.YKi << " YKd=" << p.YKd << " Err=" << p.Err << " TOut=" << p.TOut
        << " stitchLen=" << p.stitchLen << " speed=" << p.speed
        << " minimumSpeed=" << p.minimumSpeed << " stitchRep=" << p.stitchRep
        << " slow=" << FormatTrimmed(p.slow, 3);
    return out.str();
}

std::string ErrorCommand(Board& board, const std::vector<std::string>& w) {
    FaultState& f = board.faults;
    if (w.size() != 2) return "error usage: error WORD|clear|unreadable";
    if (w[1] == "clear") {
        f.errorActive = false;
        f.errorUnreadable = false;
        f.errorWord = 0;
        return "ok error cleared";
    }
    if (w[1] == "unreadable") {
        f.errorActive = true;
        f.errorUnreadable = true;
        return "ok error unreadable";
    }
    long word = 0;
    if (!ParseLong(w[1], INT32_MIN, INT32_MAX, word)) return "error bad error word";
    f.errorActive = true;
    f.errorUnreadable = false;
    f.errorWord = static_cast<int32_t>(word);
    return "ok error " + std::to_string(word);
}

std::string PushCommand(Board& board, const std::vector<std::string>& w) {
    double dx = 0, dy = 0;
    if (w.size() != 3 || !ParseNumber(w[1], dx) || !ParseNumber(w[2], dy) || std::fabs(dx) > 1e7 ||
        std::fabs(dy) > 1e7)
        return "error usage: push X Y (thousandths of an inch)";
    int moved = PushHead(board, dx, dy);
    static const char* names[] = {"none", "x", "y", "xy"};
    return std::string("ok moved=") + names[moved] + " x=" + FormatTrimmed(board.x, 2) +
           " y=" + FormatTrimmed(board.y, 2);
}

const char kCommandList[] =
    "ok commands: state params push silence refuse error busy stray-zero stall "
    "stitcher-status needle-fail robot machine quit help";

}  // namespace

std::string ExecuteControl(Board& board, const std::string& line, int64_t nowUs) {
    std::vector<std::string> w = Words(line);
    if (w.empty()) return "error empty command";
    const std::string& c = w[0];
    FaultState& f = board.faults;
    long n = 0;
    if (c == "state" && w.size() == 1) return StateLine(board, nowUs);
    if (c == "params" && w.size() == 1) return ParamsLine(board);
    if (c == "help" && w.size() == 1) return kCommandList;
    if (c == "push") return PushCommand(board, w);
    if (c == "error") return ErrorCommand(board, w);
    if (c == "silence") {
        if (!ParseSwitch(w, f.silent)) return "error usage: silence on|off";
        return std::string("ok silence ") + w[1];
    }
    if (c == "stall") {
        if (!ParseSwitch(w, f.stall)) return "error usage: stall on|off";
        return std::string("ok stall ") + w[1];
    }
    if (c == "needle-fail") {
        if (!ParseSwitch(w, board.stitcher.needleFail)) return "error usage: needle-fail on|off";
        return std::string("ok needle-fail ") + w[1];
    }
    if (c == "robot") {
        if (!ParseSwitch(w, board.stitcher.robotMode)) return "error usage: robot on|off";
        return std::string("ok robot ") + w[1];
    }
    if (c == "refuse") {
        if (w.size() != 2 || !ParseLong(w[1], 0, 1000000, n)) return "error usage: refuse N";
        f.refuseMoves = static_cast<int>(n);
        return "ok refuse " + std::to_string(n);
    }
    if (c == "busy") {
        if (w.size() != 2 || !ParseLong(w[1], 0, 1000000, n)) return "error usage: busy N";
        f.busyPolls = static_cast<int>(n);
        return "ok busy " + std::to_string(n);
    }
    if (c == "stray-zero" && w.size() == 1) {
        f.strayZero = true;
        return "ok stray-zero";
    }
    if (c == "stitcher-status") {
        if (w.size() != 2 || !ParseLong(w[1], 0, 255, n))
            return "error usage: stitcher-status B (0..255)";
        board.stitcher.status = static_cast<uint8_t>(n);
        return "ok stitcher-status " + std::to_string(n);
    }
    if (c == "machine") {
        if (w.size() != 2 || !ParseLong(w[1], 0, 12, n)) return "error usage: machine N (0..12)";
        SetMachine(board.stitcher, static_cast<int>(n));
        return "ok machine " + std::to_string(n);
    }
    if (c == "quit" && w.size() == 1) {
        board.quitRequested = true;
        return "ok bye";
    }
    return "error unknown command: " + line.substr(0, 64);
}

bool OpenControlServer(ControlServer& server, const std::string& path, std::string& error) {
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) {
        error = "control path too long: " + path;
        return false;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            error = "control path exists and is not a socket: " + path;
            return false;
        }
        unlink(path.c_str());  // a socket left by an earlier run
    }
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 8) != 0) {
        error = "control socket " + path + ": " + std::strerror(errno);
        close(fd);
        return false;
    }
    server.listenFd = fd;
    server.path = path;
    return true;
}

void CloseControlServer(ControlServer& server) {
    for (ControlClient& c : server.clients)
        close(c.fd);
    server.clients.clear();
    if (server.listenFd >= 0) {
        close(server.listenFd);
        unlink(server.path.c_str());
        server.listenFd = -1;
    }
}

void AddControlPollFds(ControlServer& server, std::vector<pollfd>& fds) {
    server.pollFirst = fds.size();
    fds.push_back(pollfd{server.listenFd, POLLIN, 0});
    for (const ControlClient& c : server.clients) {
        short events = POLLIN;
        if (!c.output.empty()) events |= POLLOUT;
        fds.push_back(pollfd{c.fd, events, 0});
    }
}

namespace {

// Reads what a client sent and answers every complete line. Returns false when
// the client is gone or misbehaves and must be dropped.
bool ReadClient(ControlClient& c, Board& board, int64_t nowUs) {
    char buffer[512];
    ssize_t n = read(c.fd, buffer, sizeof buffer);
    if (n == 0) return false;
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    for (ssize_t i = 0; i < n; ++i) {
        char ch = buffer[i];
        if (ch != '\n') {
            if (c.input.size() >= kControlLineMax) {
                c.discarding = true;
                c.input.clear();
            }
            if (!c.discarding && ch != '\r') c.input.push_back(ch);
            continue;
        }
        std::string reply =
            c.discarding ? "error line too long" : ExecuteControl(board, c.input, nowUs);
        SimLog(board, "control: %s -> %s", c.discarding ? "(long line)" : c.input.c_str(),
               reply.c_str());
        c.output += reply + "\n";
        c.input.clear();
        c.discarding = false;
        if (c.output.size() > kControlOutputMax) return false;
    }
    return true;
}

bool WriteClient(ControlClient& c) {
    ssize_t n = write(c.fd, c.output.data(), c.output.size());
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    c.output.erase(0, static_cast<size_t>(n));
    return true;
}

}  // namespace

void ServiceControl(ControlServer& server, Board& board, const std::vector<pollfd>& fds,
                    int64_t nowUs) {
    // Clients first (their poll entries follow the listening socket in order),
    // then new connections, so the indices stay valid while clients are dropped.
    std::vector<ControlClient> kept;
    for (size_t i = 0; i < server.clients.size(); ++i) {
        ControlClient& c = server.clients[i];
        short revents = fds[server.pollFirst + 1 + i].revents;
        bool alive = true;
        if (revents & (POLLIN | POLLHUP | POLLERR)) alive = ReadClient(c, board, nowUs);
        if (alive && !c.output.empty()) alive = WriteClient(c);
        if (alive) {
            kept.push_back(std::move(c));
        } else {
            close(c.fd);
        }
    }
    server.clients = std::move(kept);
    if (fds[server.pollFirst].revents & POLLIN) {
        int fd = accept4(server.listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) {
            if (server.clients.size() >= kControlClientsMax) {
                const char busy[] = "error too many control clients\n";
                (void)!write(fd, busy, sizeof busy - 1);
                close(fd);
            } else {
                ControlClient c;
                c.fd = fd;
                server.clients.push_back(std::move(c));
            }
        }
    }
}
