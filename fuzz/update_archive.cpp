// The system update's archive reader (libarchive behind UnpackUpdateArchive)
// on arbitrary bytes: it must end with one of its results, and whatever it
// unpacked, also from an archive it refused half-way, must lie inside the
// folder it was given: no file, folder or link may appear beside it, and no
// link inside may point out of it.
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "fuzz_support.h"
#include "maintenance/file_operations.h"
#include "maintenance/system_update.h"

namespace fs = std::filesystem;

namespace {

// The names directly in the scratch area besides the archive and the folder.
void CheckNothingBeside(const std::string& area) {
    for (const auto& entry : fs::directory_iterator(area)) {
        const std::string name = entry.path().filename().string();
        FUZZ_CHECK(name == "update.tar" || name == "unpacked");
    }
}

// Every link below folder points inside it, and no device or pipe was made.
void CheckInside(const std::string& folder) {
    std::error_code error;
    const fs::path root = fs::weakly_canonical(folder);
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        struct stat st;
        FUZZ_CHECK(lstat(it->path().c_str(), &st) == 0);
        FUZZ_CHECK(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode));
        if (S_ISLNK(st.st_mode)) {
            const fs::path target = fs::read_symlink(it->path());
            FUZZ_CHECK(!target.is_absolute());
            const fs::path resolved = (it->path().parent_path() / target).lexically_normal();
            const std::string r = fs::weakly_canonical(resolved.parent_path()).string();
            FUZZ_CHECK(r.rfind(root.string(), 0) == 0);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSetUp();
    static const std::string area = ScratchPath("archive");
    static const std::string archive = area + "/update.tar";
    static const std::string folder = area + "/unpacked";
    RemoveFolderTree(area);
    mkdir(area.c_str(), 0755);
    mkdir(folder.c_str(), 0755);
    WriteScratch(archive, data, size);

    std::string refused;
    const int result = UnpackUpdateArchive(archive, folder, &refused);
    FUZZ_CHECK(result == kUnpacked || result == kUnpackUnreadable || result == kUnpackRefused ||
               result == kUnpackTooLarge || result == kUnpackWriteFailed);
    CheckNothingBeside(area);
    CheckInside(folder);
    return 0;
}
