#include "app/crash_recovery.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/log.h"
#include "base/safe_write.h"

extern char** environ;

namespace {

// The message process command, prepared before any crash.
constexpr int kMaxArguments = 8;
constexpr int kMaxArgumentLength = 1024;
char messageArguments[kMaxArguments][kMaxArgumentLength];
char* messageArgv[kMaxArguments + 1];
int messageArgc = 0;

// Alternate signal stack, so a stack overflow can still be handled.
alignas(16) uint8_t alternateStack[64 * 1024];

void WriteText(const char* text) {
    size_t length = std::strlen(text);
    while (length > 0) {
        ssize_t written = write(STDOUT_FILENO, text, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        text += written;
        length -= static_cast<size_t>(written);
    }
}

// Shows the crash message in a fresh process and waits until it has ended.
void RunMessageProcess() {
    if (messageArgc == 0) return;
    pid_t child = _Fork();
    if (child < 0) return;
    if (child == 0) {
        execve(messageArgv[0], messageArgv, environ);
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

void SetCrashMessageCommand(const std::vector<std::string>& argv) {
    messageArgc = 0;
    for (const std::string& argument : argv) {
        if (messageArgc == kMaxArguments) break;
        if (argument.size() >= kMaxArgumentLength) break;
        std::memcpy(messageArguments[messageArgc], argument.c_str(), argument.size() + 1);
        messageArgv[messageArgc] = messageArguments[messageArgc];
        messageArgc++;
    }
    messageArgv[messageArgc] = nullptr;
}

void InstallCrashHandlers() {
    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);

    struct sigaction crash {};
    crash.sa_handler = SegFaultCatch;
    sigemptyset(&crash.sa_mask);
    // A second fault inside the handler ends the process instead of looping.
    crash.sa_flags = SA_ONSTACK | SA_RESETHAND;
    sigaction(SIGSEGV, &crash, nullptr);

    struct sigaction power {};
    power.sa_handler = noFunction;
    sigemptyset(&power.sa_mask);
    sigaction(SIGPWR, &power, nullptr);

    struct sigaction shutdown {};
    shutdown.sa_handler = ShutdownCatch;
    sigemptyset(&shutdown.sa_mask);
    sigaddset(&shutdown.sa_mask, SIGTERM);
    sigaddset(&shutdown.sa_mask, SIGHUP);
    shutdown.sa_flags = SA_ONSTACK;
    sigaction(SIGTERM, &shutdown, nullptr);
    sigaction(SIGHUP, &shutdown, nullptr);
}

void SegFaultCatch(int) {
    WriteText("Segmentation Fault\n");
    RunMessageProcess();
    FinishCrashRecovery(kRecoveryLayoutPath);
    _exit(0);
}

void noFunction(int) {
    WriteText("no function\n");
}

void ShutdownCatch(int) {
    WriteText("Shutdown: saving the recovery layout\n");
    WriteRecoveryImage(kRecoveryLayoutPath);
    _exit(0);
}

int FinishCrashRecovery(const char* path) {
    struct stat info;
    if (lstat(path, &info) == 0) {
        // A crash while the recovery layout still exists happened during the
        // recovery itself: drop the file so the next start begins clean.
        return unlink(path) == 0 ? 0 : -1;
    }
    return WriteRecoveryImage(path);
}

int WriteRecoveryImage(const char* path) {
    size_t size = 0;
    const uint8_t* image = CrashRecoveryImageBytes(&size);
    if (!image) return 2;

    char temporary[kMaxArgumentLength + 16];
    size_t length = std::strlen(path);
    if (length + 11 > sizeof temporary) return -1;
    std::memcpy(temporary, path, length);
    // Named like the temporary files of SafeWriteFile, so a start after a
    // power cut here removes it.
    std::memcpy(temporary + length, ".tmp000000", 11);

    int fd = open(temporary, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) return -1;
    bool ok = WriteAll(fd, image, size) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (!ok || rename(temporary, path) != 0) {
        unlink(temporary);
        return -1;
    }
    sync();
    return 1;
}
