#include "base/safe_write.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/log.h"
#include "base/system_paths.h"

namespace {

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Sub-folders of "patterns/" are searched this deep (the pattern chooser shows
// no deeper ones either).
constexpr int kMostFolderDepth = 8;

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
    const char suffix[] = ".tmpXXXXXX";  // kTemporaryMark and kTemporaryTagLength
    temp.insert(temp.end(), suffix, suffix + sizeof suffix);  // with the terminating zero
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        Log("could not create a temporary file for %s: %s\n", target.c_str(), std::strerror(errno));
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
    return WriteFileThrough(path, mode,
                            [data](int fd) { return WriteAll(fd, data.data(), data.size()); })
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

bool IsSafeWriteTemporary(const std::string& name) {
    const size_t mark = std::strlen(kTemporaryMark);
    if (name.size() <= mark + kTemporaryTagLength) return false;
    const size_t at = name.size() - kTemporaryTagLength - mark;
    if (name.compare(at, mark, kTemporaryMark) != 0) return false;
    for (size_t i = at + mark; i < name.size(); i++)
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

int RemoveStaleTemporaries() {
    int removed = RemoveTemporariesIn(".", 0);
    removed += RemoveTemporariesIn("./Layout", 0);
    removed += RemoveTemporariesIn("./thumbnails", 0);
    removed += RemoveTemporariesIn("./patterns", kMostFolderDepth);
    // The undo step and the set-point live in the controller's /tmp.
    removed += RemoveTemporariesIn(FolderOf(SystemPath("/tmp/undo")), 0);
    return removed;
}

int RemoveTemporariesIn(const std::string& folder, int depth) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return 0;
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir))
        names.emplace_back(entry->d_name);
    closedir(dir);

    int removed = 0;
    for (const std::string& name : names) {
        if (name == "." || name == "..") continue;
        const std::string path = folder + "/" + name;
        struct stat st;
        if (lstat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            if (depth > 0) removed += RemoveTemporariesIn(path, depth - 1);
        } else if (S_ISREG(st.st_mode) && IsSafeWriteTemporary(name) && unlink(path.c_str()) == 0) {
            Log("Removed %s, left by an interrupted save\n", path.c_str());
            removed++;
        }
    }
    return removed;
}
