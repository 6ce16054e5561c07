#include "pty_link.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool MakeRaw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return false;
    cfmakeraw(&t);
    cfsetispeed(&t, B57600);
    cfsetospeed(&t, B57600);
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Points linkPath at target atomically: a temporary link beside it, renamed over it.
bool ReplaceLink(const std::string& linkPath, const std::string& target, std::string& error) {
    struct stat st {};
    if (lstat(linkPath.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = "link path exists and is not a symbolic link: " + linkPath;
        return false;
    }
    std::string temporary = linkPath + ".tmp" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0) {
        error = SystemError(("symlink " + linkPath).c_str());
        return false;
    }
    if (rename(temporary.c_str(), linkPath.c_str()) != 0) {
        error = SystemError(("rename to " + linkPath).c_str());
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool OpenPtyLink(PtyLink& link, const std::string& linkPath, std::string& error) {
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        error = SystemError("posix_openpt");
        return false;
    }
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        error = SystemError("pseudo-terminal");
        close(master);
        return false;
    }
    int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        error = SystemError(name);
        close(master);
        return false;
    }
    int flags = fcntl(master, F_GETFL);
    if (flags < 0 || fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0 || !MakeRaw(slave) ||
        !ReplaceLink(linkPath, name, error)) {
        if (error.empty()) error = SystemError("terminal settings");
        close(slave);
        close(master);
        return false;
    }
    link.master = master;
    link.slave = slave;
    link.slaveName = name;
    link.linkPath = linkPath;
    return true;
}

void ClosePtyLink(PtyLink& link) {
    if (!link.linkPath.empty()) {
        char target[256];
        ssize_t n = readlink(link.linkPath.c_str(), target, sizeof target - 1);
        if (n > 0) {
            target[n] = '\0';
            if (link.slaveName == target) unlink(link.linkPath.c_str());
        }
        link.linkPath.clear();
    }
    if (link.slave >= 0) close(link.slave);
    if (link.master >= 0) close(link.master);
    link.slave = link.master = -1;
}
