#include "base/kernel_version.h"

#include <cstdio>
#include <cstring>

#include "base/log.h"

namespace {

constexpr size_t kMaxLine = 128;  // characters of the first line that are looked at

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\0';
}

}  // namespace

int GetKernel(std::string* version, std::string* suffix) {
    return GetKernelFrom("/proc/version", version, suffix);
}

int GetKernelFrom(const char* path, std::string* version, std::string* suffix) {
    FILE* file = path != nullptr ? fopen(path, "r") : nullptr;
    if (file == nullptr) {
        LogLine("version == NULL");
        return 1;
    }
    char line[kMaxLine + 1] = {};
    bool read = fgets(line, sizeof line, file) != nullptr;
    fclose(file);
    if (!read) return 2;
    size_t length = strnlen(line, kMaxLine);

    const char* dot = static_cast<const char*>(memchr(line, '.', length));
    if (dot == nullptr) return 2;
    // The release is the whole word holding the first dot: "2.6.29.6_x" as well
    // as "10.4.0-7-arm" (a two-digit major number is part of the word).
    size_t begin = static_cast<size_t>(dot - line);
    while (begin > 0 && !IsBlank(line[begin - 1]))
        --begin;
    size_t end = static_cast<size_t>(dot - line);
    while (end < length && !IsBlank(line[end]))
        ++end;
    std::string word(line + begin, end - begin);

    size_t cut = word.rfind('_');
    if (version != nullptr) *version = word.substr(0, cut);
    if (suffix != nullptr)
        *suffix = cut == std::string::npos ? std::string() : word.substr(cut + 1);
    return 0;
}
