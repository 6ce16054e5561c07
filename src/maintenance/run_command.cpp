#include "maintenance/run_command.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/log.h"
#include "base/timers.h"
#include "base/ui_hooks.h"

namespace {

// Exit status of the child when exec fails (the shell's convention).
constexpr int kExecFailed = 127;

}  // namespace

int RunCommand(const std::vector<std::string>& argv, const std::string& workDir) {
    if (argv.empty() || argv[0].empty()) return kCommandNotRun;
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    // The child reports a failed exec through a pipe that a successful exec closes.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return kCommandNotRun;
    const pid_t pid = fork();
    if (pid < 0) {
        Log("could not start %s: %s\n", argv[0].c_str(), std::strerror(errno));
        close(report[0]);
        close(report[1]);
        return kCommandNotRun;
    }
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        close(report[0]);
        const int null = open("/dev/null", O_RDONLY);
        if (null >= 0) dup2(null, STDIN_FILENO);
        if (workDir.empty() || chdir(workDir.c_str()) == 0) execv(args[0], args.data());
        const int error = errno;
        (void)!write(report[1], &error, sizeof error);
        _exit(kExecFailed);
    }
    close(report[1]);
    int error = 0;
    ssize_t got;
    while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    close(report[0]);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0 && errno != EINTR) return kCommandNotRun;
        ProcessPendingEvents();
        SleepMicroseconds(20000);
    }
    if (got > 0) {
        Log("could not start %s: %s\n", argv[0].c_str(), std::strerror(error));
        return kCommandNotRun;
    }
    if (!WIFEXITED(status)) return kCommandNotRun;
    return WEXITSTATUS(status);
}
