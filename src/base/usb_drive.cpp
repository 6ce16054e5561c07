#include "base/usb_drive.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

#include "base/log.h"
#include "base/system_paths.h"
#include "base/ui_hooks.h"

namespace {

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool HoldsAnEntry(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    bool found = false;
    while (struct dirent* e = readdir(dir)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}

}  // namespace

int IsMountedFolder(const std::string& folder) {
    const std::string path = WithoutTrailingSlash(folder);
    struct stat self {
    }, parent{};
    if (stat(path.c_str(), &self) != 0 || !S_ISDIR(self.st_mode)) return 0;
    if (stat((path + "/..").c_str(), &parent) != 0) return 0;
    // A mount point lies on another device than its parent; "/" is its own parent.
    const bool root = self.st_dev == parent.st_dev && self.st_ino == parent.st_ino;
    return root || self.st_dev != parent.st_dev ? 1 : 0;
}

int UsbStickPresent() {
    const std::string folder = SystemPath(kUsbMountPath);
    if (!SystemRoot().empty()) return HoldsAnEntry(folder) ? 1 : 0;
    return IsMountedFolder(folder);
}

int CheckUSBIsIn() {
    if (UsbStickPresent()) return 1;
    ShowMessage(kMessageError, kButtonsOk,
                "USB DRIVE NOT DETECTED.\n\nIF INSERTED, TRY WAITING A FEW MORE SECONDS FOR THE "
                "DRIVE TO BE FOUND OR REMOVE AND REINSERT THE USB DRIVE\n");
    LogLine("Could not find USB Drive");
    return 0;
}
