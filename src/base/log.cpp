#include "base/log.h"

#include <cstdio>

namespace {

FILE* logStream = nullptr;  // null: standard output

FILE* Stream() {
    return logStream ? logStream : stdout;
}

}  // namespace

void SetLogStream(FILE* stream) {
    logStream = stream == stdout ? nullptr : stream;
}

void Log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(Stream(), format, args);
    va_end(args);
    std::fflush(Stream());
}

void LogLine(const char* text) {
    std::fputs(text, Stream());
    std::fputc('\n', Stream());
    std::fflush(Stream());
}
