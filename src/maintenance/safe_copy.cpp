#include "maintenance/safe_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "base/log.h"
#include "base/safe_write.h"

namespace {

// Copies everything from one descriptor to the other.
bool CopyDescriptor(int from, int to) {
    // Left uninitialised: filling it first would cost more than most copies.
    constexpr size_t kBufferBytes = 64 * 1024;
    const auto buffer = std::make_unique_for_overwrite<char[]>(kBufferBytes);
    for (;;) {
        const ssize_t n = read(from, buffer.get(), kBufferBytes);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (!WriteAll(to, buffer.get(), static_cast<size_t>(n))) return false;
    }
}

}  // namespace

bool SafeCopyFile(const std::string& source, const std::string& target, mode_t mode) {
    const int from = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) {
        Log("could not open %s: %s\n", source.c_str(), std::strerror(errno));
        return false;
    }
    struct stat st {};
    if (fstat(from, &st) != 0 || !S_ISREG(st.st_mode)) {
        Log("%s is not a file\n", source.c_str());
        close(from);
        return false;
    }
    const bool ok = WriteFileThrough(target, mode, [from](int to) {
        errno = 0;
        return CopyDescriptor(from, to);
    });
    close(from);
    return ok;
}
