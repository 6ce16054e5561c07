#include "app/safe_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/log.h"

namespace {

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// New files get the usual permissions (0666 less the process umask), not the
// private 0600 of a temporary file.
mode_t DefaultFileMode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

int SafeWriteFile(const std::string& path, std::string_view data) {
    if (path.empty()) return 0;
    std::vector<char> temp(path.begin(), path.end());
    const char suffix[] = ".tmpXXXXXX";
    temp.insert(temp.end(), suffix, suffix + sizeof suffix);  // with the terminating zero
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        Log("could not create a temporary file for %s: %s\n", path.c_str(), std::strerror(errno));
        return 0;
    }
    struct stat old;
    mode_t mode = (stat(path.c_str(), &old) == 0) ? (old.st_mode & 07777) : DefaultFileMode();
    bool ok = fchmod(fd, mode) == 0 || errno == EPERM;  // some USB file systems refuse modes
    ok = ok && WriteAll(fd, data.data(), data.size()) && fsync(fd) == 0;
    int saved = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && rename(temp.data(), path.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        unlink(temp.data());
        Log("could not write %s: %s\n", path.c_str(), std::strerror(saved));
        return 0;
    }
    // The rename itself must reach the medium too.
    int dir = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return 1;
}

bool WriteAll(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}
