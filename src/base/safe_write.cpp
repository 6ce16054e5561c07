#include "base/safe_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/log.h"

namespace {

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

mode_t NewFileMode() {
    // New files get the usual permissions, not the private 0600 of a temporary file.
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool WriteFileThrough(const std::string& target, mode_t mode,
                      const std::function<bool(int fd)>& fill) {
    if (target.empty()) return false;
    std::vector<char> temp(target.begin(), target.end());
    const char suffix[] = ".tmpXXXXXX";
    temp.insert(temp.end(), suffix, suffix + sizeof suffix);  // with the terminating zero
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        Log("could not create a temporary file for %s: %s\n", target.c_str(),
            std::strerror(errno));
        return false;
    }
    errno = 0;
    bool ok = fill(fd);
    int saved = errno;
    if (ok && fchmod(fd, mode) != 0 && errno != EPERM) {  // some USB file systems refuse modes
        ok = false;
        saved = errno;
    }
    if (ok && fsync(fd) != 0) {
        ok = false;
        saved = errno;
    }
    if (close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && rename(temp.data(), target.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        unlink(temp.data());
        Log("could not write %s: %s\n", target.c_str(), saved ? std::strerror(saved) : "failed");
        return false;
    }
    // The rename itself must reach the medium too.
    const int dir = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

int SafeWriteFile(const std::string& path, std::string_view data) {
    struct stat old;
    const mode_t mode = (stat(path.c_str(), &old) == 0) ? (old.st_mode & 07777) : NewFileMode();
    return WriteFileThrough(path, mode, [data](int fd) {
               return WriteAll(fd, data.data(), data.size());
           })
               ? 1
               : 0;
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
