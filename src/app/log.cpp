#include "app/log.h"

#include <cstdio>

void Log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

void LogLine(const char* text) {
    std::puts(text);
    std::fflush(stdout);
}
