#include "base/system_paths.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "base/log.h"

namespace {

std::string systemRoot;  // "" while the real locations are used

constexpr size_t kMaxRootLength = 1024;

// The locations that exist only on the controller. The calibration file lives
// on the memory card ("/media/mmc0/calibration/pointercal") and is covered by
// its prefix, the installed program ("/media/mmc0/Keswin/keswin") and its
// backups too. "/tmp/softupdate" is the system update's scratch folder.
constexpr const char* kMappedPrefixes[] = {"/media/usb", "/media/mmc0",   "/dev/video0",
                                           "/tmp/undo",  "/tmp/setPoint", "/tmp/softupdate"};

bool IsMapped(const char* path) {
    for (const char* prefix : kMappedPrefixes) {
        size_t n = strlen(prefix);
        if (strncmp(path, prefix, n) != 0) continue;
        char next = path[n];
        // "/tmp/undo.qlf" and "/media/usb/x" belong to the location,
        // "/media/usbstick" does not.
        if (next == '\0' || next == '/' || next == '.') return true;
    }
    return false;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

int SetSystemRoot(const char* dir) {
    if (dir == nullptr || dir[0] == '\0') {
        systemRoot.clear();
        return 1;
    }
    std::string root(dir, strnlen(dir, kMaxRootLength + 1));
    if (root.size() > kMaxRootLength) {
        LogLine("System root: folder name too long");
        return 0;
    }
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    if (!IsDirectory(root)) {
        Log("System root: %s is not a folder\n", root.c_str());
        return 0;
    }
    if (root == "/") root.clear();  // "/" is the real system
    std::string tmp = root + "/tmp";
    if (mkdir(tmp.c_str(), 0777) != 0 && errno != EEXIST) {
        Log("System root: could not create %s: %s\n", tmp.c_str(), strerror(errno));
    }
    systemRoot = root;
    return 1;
}

const std::string& SystemRoot() {
    return systemRoot;
}

std::string SystemPath(const char* absolute) {
    if (absolute == nullptr) return std::string();
    if (systemRoot.empty() || !IsMapped(absolute)) return std::string(absolute);
    return systemRoot + absolute;
}
