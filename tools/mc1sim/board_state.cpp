#include "board_state.h"

#include <cstdarg>
#include <ctime>

int64_t SimNowUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
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
