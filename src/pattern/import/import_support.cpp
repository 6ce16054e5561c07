#include "pattern/import/import_support.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>

namespace {

std::string lastError;

}  // namespace

void OpenImportProgress(ImportProgress& progress, const char* title) {
    progress.window = CreateStatusWindow(title);
    progress.steps = 0;
    progress.aborted = false;
}

void CloseImportProgress(ImportProgress& progress) {
    if (!progress.window) return;
    CloseStatusWindow(progress.window);
    progress.window = nullptr;
}

void SetImportPhase(ImportProgress& progress, const char* phase) {
    StatusWindowSetText(progress.window, phase);
}

bool StepImportProgress(ImportProgress& progress) {
    if (progress.steps % 500 == 0 && progress.window) {
        UpdateStatusWindow(progress.window);
        if (progress.window->abortRequested) progress.aborted = true;
    }
    progress.steps++;
    return !progress.aborted;
}

int ReadWholeStream(FILE* source, std::size_t limitBytes, std::string& text) {
    text.clear();
    if (!source) return 0;
    // A regular file says how much is left, so the text is sized once; anything
    // else (or a file that grows meanwhile) is read on in chunks.
    struct stat info;
    const long at = std::ftell(source);
    if (at >= 0 && fstat(fileno(source), &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_size > at) {
        const std::size_t left = static_cast<std::size_t>(info.st_size - at);
        if (left > limitBytes) return 0;
        text.resize(left);
        const std::size_t got = std::fread(text.data(), 1, left, source);
        text.resize(got);
        if (got < left) {
            if (std::ferror(source)) {
                text.clear();
                return 0;
            }
            return 1;
        }
    }
    char chunk[64 * 1024];
    for (;;) {
        std::size_t got = std::fread(chunk, 1, sizeof chunk, source);
        if (got > 0) {
            if (text.size() + got > limitBytes) {
                text.clear();
                text.shrink_to_fit();
                return 0;
            }
            text.append(chunk, got);
        }
        if (got < sizeof chunk) break;
    }
    if (std::ferror(source)) {
        text.clear();
        return 0;
    }
    return 1;
}

// v * 1000 is rounded to the nearest whole number, as printf rounds the exact
// value of v. The product carries an error of at most one part in 2^53; unless
// its fraction lies that close to one half (a tie, or nearly one), the nearest
// whole number of the product is the nearest of the exact value, and the digits
// are written here. The rest, and anything not finite or very large, goes to
// snprintf, which decides ties on the exact value.
void AppendFixed3(std::string& out, double v) {
    const double a = std::fabs(v);
    if (a < 1.0e12) {
        const double scaled = a * 1000.0;
        const double whole = std::floor(scaled);
        const double fraction = scaled - whole;
        if (std::fabs(fraction - 0.5) > scaled * 4.5e-16 + 1.0e-12) {
            unsigned long long n = static_cast<unsigned long long>(whole) + (fraction > 0.5);
            char digits[32];
            char* end = digits + sizeof digits;
            char* p = end;
            for (int i = 0; i < 3; i++, n /= 10)
                *--p = static_cast<char>('0' + n % 10);
            *--p = '.';
            do {
                *--p = static_cast<char>('0' + n % 10);
                n /= 10;
            } while (n > 0);
            if (std::signbit(v)) *--p = '-';
            out.append(p, end);
            return;
        }
    }
    char text[400];  // "%0.3f" of the largest double has 309 digits before the point
    const int n = std::snprintf(text, sizeof text, "%0.3f", v);
    if (n > 0)
        out.append(text, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof text - 1));
}

const char* ImportErrorText() {
    return lastError.c_str();
}

void SetImportError(const std::string& text) {
    lastError = text;
}
