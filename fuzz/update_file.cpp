// The "./update" file of a program update on arbitrary bytes, read as the next
// start finishes the update (CheckUpdate): its first line names the checksum
// file, every further line is a copy the program may carry out. A copy line
// may name any path, so the harness first shuts itself into its scratch
// folder (chroot): there a USB stick holds a program with its checksum file,
// style files and images, and nothing outside can be read or written. The
// harness runs in its own working folder (scripts/fuzz), which stays
// reachable by relative paths: "./update", "./system" and the copies land
// there.
//
// The update must end with one of its results, always leave "./system"
// (whose text says how it ended), and copy nothing into the program folder
// but the style files and screen settings.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "base/safe_write.h"
#include "base/system_paths.h"
#include "fuzz_support.h"
#include "maintenance/checksum_file.h"
#include "maintenance/file_operations.h"
#include "maintenance/program_update.h"

namespace {

void Put(const std::string& path, const std::string& text) {
    WriteScratch(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// The stick, then the root moves to the scratch folder: "/media/usb" is the
// stick from here on.
void ShutIn() {
    const std::string stick = ScratchPath("media/usb");
    for (const char* folder : {"media", "media/usb", "media/usb/images", "tmp"})
        mkdir(ScratchPath(folder).c_str(), 0777);
    Put(stick + "/keswin.BIN", "a program file\n");
    if (WriteChecksumFile(stick + "/keswin.BIN", kAppCodeProgram, 3.06f, "2.6.29.6") != 1)
        FuzzFail(__FILE__, __LINE__, "no checksum file");
    Put(stick + "/gtkrc_5", "style\n");
    Put(stick + "/screen.conf", "screen_width = 320\n");
    Put(stick + "/images/a.png", "picture\n");
    if (chroot(ScratchPath("").c_str()) != 0) FuzzFail(__FILE__, __LINE__, "chroot refused");
    // A system root that is the new root itself: the stick counts as present
    // when it holds a file, as on a development machine.
    if (SetSystemRoot("/.") != 1) FuzzFail(__FILE__, __LINE__, "no system root");
}

// The names in the working folder after the update, besides the harness's own.
void CheckWorkingFolder() {
    DIR* dir = opendir(".");
    FUZZ_CHECK(dir != nullptr);
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        FUZZ_CHECK(name == "." || name == ".." || name == "update" || name == "system" ||
                   name == "images" || name == "gtkrc" || name == "gtkrc_5" ||
                   name == "screen.conf" || name.rfind("crash-", 0) == 0 ||
                   name.rfind("leak-", 0) == 0 || name.rfind("timeout-", 0) == 0);
    }
    closedir(dir);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSetUp();
    static const bool shutIn = (ShutIn(), true);
    (void)shutIn;
    unlink("system");
    RemoveFolderTree("images");
    for (const char* copy : {"gtkrc", "gtkrc_5", "screen.conf"})
        unlink(copy);
    WriteScratch("update", data, size);

    const int result = CheckUpdate([] { return std::string("/media/usb/keswin.BIN"); });
    FUZZ_CHECK(result == kStartGoOn || result == kStartEndNow);
    struct stat st;
    FUZZ_CHECK(stat("system", &st) == 0 && S_ISREG(st.st_mode));
    CheckWorkingFolder();
    return 0;
}
