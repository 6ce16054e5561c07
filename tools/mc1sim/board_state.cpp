#include "board_state.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <ctime>

int64_t SimNowUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

int64_t BoardNowUs(const Board& board, int64_t realUs) {
    return board.clock.held ? board.clock.heldUs : realUs - board.clock.offsetUs;
}

int64_t RealTimeOf(const Board& board, int64_t boardUs) {
    if (boardUs < 0 || board.clock.held) return -1;
    return boardUs + board.clock.offsetUs;
}

void HoldClock(Board& board, int64_t realUs) {
    if (board.clock.held) return;
    board.clock.heldUs = BoardNowUs(board, realUs);
    board.clock.held = true;
}

void RunClock(Board& board, int64_t realUs) {
    if (!board.clock.held) return;
    board.clock.offsetUs = realUs - board.clock.heldUs;
    board.clock.held = false;
}

void StepClock(Board& board, int64_t us) {
    if (board.clock.held)
        board.clock.heldUs += us;
    else
        board.clock.offsetUs -= us;
}

void SimLog(Board& board, const char* format, ...) {
    if (!board.log) return;
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    double ms = static_cast<double>(SimNowUs() - board.startUs) / 1000.0;
    std::fprintf(board.log, "%.3f %s\n", ms, text);
    std::fflush(board.log);
}

std::string FormatTrimmed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string s = text;
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

bool SaveFileSafely(const std::string& path, const std::string& data, std::string& error) {
    std::string temporary = path + ".tmp" + std::to_string(getpid());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot write " + temporary + ": " + std::strerror(errno);
        return false;
    }
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    bool ok = done == data.size() && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok && rename(temporary.c_str(), path.c_str()) == 0) return true;
    error = "cannot write " + path + ": " + std::strerror(errno);
    unlink(temporary.c_str());
    return false;
}
