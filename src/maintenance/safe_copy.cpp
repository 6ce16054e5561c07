#include "maintenance/safe_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "app/log.h"
#include "app/safe_write.h"

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// Copies everything from one descriptor to the other.
bool CopyDescriptor(int from, int to) {
    std::vector<char> buffer(256 * 1024);
    for (;;) {
        const ssize_t n = read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (!WriteAll(to, buffer.data(), static_cast<size_t>(n))) return false;
    }
}

}  // namespace

mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool WriteFileThrough(const std::string& target, mode_t mode,
                      const std::function<bool(int fd)>& fill) {
    if (target.empty()) return false;
    std::vector<char> temp(target.begin(), target.end());
    const char suffix[] = ".tmpXXXXXX";
    temp.insert(temp.end(), suffix, suffix + sizeof suffix);
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        Log("could not create a temporary file for %s: %s\n", target.c_str(), std::strerror(errno));
        return false;
    }
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
    SyncFolder(FolderOf(target));
    return true;
}

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
