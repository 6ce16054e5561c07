#include "fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/log.h"
#include "base/safe_write.h"
#include "base/ui_hooks.h"

namespace {

std::string scratchFolder;

void RemoveScratch() {
    std::error_code ignored;
    if (!scratchFolder.empty()) std::filesystem::remove_all(scratchFolder, ignored);
}

int AnswerAtOnce(int, int buttons, const char*) {
    return buttons == kButtonsYesNo ? kResponseYes : kResponseOk;
}

int AnswerSpecialAtOnce(int, const char*, const char*, int) {
    return kResponseOk;
}

}  // namespace

void FuzzSetUp(void (*installOnce)()) {
    if (!scratchFolder.empty()) return;
    // scripts/fuzz names a folder it removes afterwards: the update_file
    // harness shuts itself into its scratch folder and cannot remove it.
    const char* base = std::getenv("LONGARM_FUZZ_SCRATCH");
    if (!base || access(base, W_OK) != 0)
        base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/longarm-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) FuzzFail(__FILE__, __LINE__, "no scratch folder");
    scratchFolder = pattern;
    std::atexit(RemoveScratch);

    UserInterfaceHooks ui;
    ui.showMessage = AnswerAtOnce;
    ui.showMessageSpecial = AnswerSpecialAtOnce;
    SetUserInterfaceHooks(ui);
    // The program's log is thrown away unless a finding is being reproduced.
    static FILE* silence = std::getenv("LONGARM_FUZZ_LOG") ? stderr : std::fopen("/dev/null", "w");
    SetLogStream(silence);
    if (installOnce) installOnce();
}

std::string ScratchPath(const char* name) {
    return scratchFolder + "/" + name;
}

void WriteScratch(const std::string& path, const uint8_t* data, size_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || !WriteAll(fd, data, size)) FuzzFail(__FILE__, __LINE__, "cannot write scratch");
    close(fd);
}

void FuzzFail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}
