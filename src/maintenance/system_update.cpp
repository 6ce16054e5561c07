#include "maintenance/system_update.h"

#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "base/log.h"
#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "base/usb_drive.h"
#include "maintenance/file_operations.h"
#include "maintenance/run_command.h"

namespace {

constexpr size_t kMaxEntryName = 4096;

struct ReaderCloser {
    void operator()(struct archive* a) const { archive_read_free(a); }
};
struct WriterCloser {
    void operator()(struct archive* a) const { archive_write_free(a); }
};

// A relative path that stays inside the folder it is resolved in: not empty,
// not absolute, no ".." step.
bool StaysInside(const char* path) {
    if (path == nullptr || path[0] == '\0' || path[0] == '/') return false;
    if (strnlen(path, kMaxEntryName + 1) > kMaxEntryName) return false;
    const char* step = path;
    while (*step) {
        const char* end = std::strchr(step, '/');
        const size_t length = end ? static_cast<size_t>(end - step) : std::strlen(step);
        if (length == 2 && step[0] == '.' && step[1] == '.') return false;
        if (!end) break;
        step = end + 1;
    }
    return true;
}

// Why an entry is refused, or nullptr when it may be unpacked.
const char* EntryRefusal(struct archive_entry* entry) {
    if (!StaysInside(archive_entry_pathname(entry))) return "outside the folder";
    const char* hardlink = archive_entry_hardlink(entry);
    if (hardlink && !StaysInside(hardlink)) return "a link out of the folder";
    switch (archive_entry_filetype(entry)) {
        case AE_IFREG:
        case AE_IFDIR:
            return nullptr;
        case AE_IFLNK: {
            // A link's target is resolved in the link's own folder; without
            // ".." steps and without a leading "/" it cannot leave the folder.
            const char* target = archive_entry_symlink(entry);
            return StaysInside(target) ? nullptr : "a link out of the folder";
        }
        default:
            return hardlink ? nullptr : "not a file, folder or link";
    }
}

// Copies the data of the current entry; false when it fails or the total grows
// past the limit (tooLarge is then set).
bool CopyData(struct archive* in, struct archive* out, long long& total, bool& tooLarge) {
    for (;;) {
        const void* block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        const int r = archive_read_data_block(in, &block, &size, &offset);
        if (r == ARCHIVE_EOF) return true;
        if (r < ARCHIVE_WARN) return false;
        total += static_cast<long long>(size);
        if (total > kMaxUpdateBytes) {
            tooLarge = true;
            return false;
        }
        if (archive_write_data_block(out, block, size, offset) < ARCHIVE_WARN) return false;
    }
}

int Refuse(std::string* refused, const char* name, const char* why) {
    Log("Update archive entry refused (%s): %s\n", why, name ? name : "");
    if (refused) *refused = name ? name : "";
    return kUnpackRefused;
}

}  // namespace

int UnpackUpdateArchive(const std::string& archive, const std::string& folder,
                        std::string* refused) {
    std::unique_ptr<struct archive, ReaderCloser> in(archive_read_new());
    std::unique_ptr<struct archive, WriterCloser> out(archive_write_disk_new());
    if (!in || !out) return kUnpackUnreadable;
    archive_read_support_filter_all(in.get());
    archive_read_support_format_tar(in.get());
    // Writing through a link already unpacked, or along a ".." step, is refused
    // by libarchive as well.
    archive_write_disk_set_options(out.get(), ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_PERM |
                                                  ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                                                  ARCHIVE_EXTRACT_SECURE_NODOTDOT);
    if (archive_read_open_filename(in.get(), archive.c_str(), 64 * 1024) != ARCHIVE_OK) {
        Log("Update archive %s: %s\n", archive.c_str(), archive_error_string(in.get()));
        return kUnpackUnreadable;
    }
    long long total = 0;
    int entries = 0;
    for (;;) {
        struct archive_entry* entry = nullptr;
        const int r = archive_read_next_header(in.get(), &entry);
        if (r == ARCHIVE_EOF) break;
        if (r < ARCHIVE_WARN) {
            Log("Update archive %s: %s\n", archive.c_str(), archive_error_string(in.get()));
            return kUnpackUnreadable;
        }
        const std::string name = archive_entry_pathname(entry) ? archive_entry_pathname(entry) : "";
        if (const char* why = EntryRefusal(entry)) return Refuse(refused, name.c_str(), why);
        if (++entries > kMaxUpdateEntries) return kUnpackTooLarge;
        archive_entry_set_pathname(entry, (folder + "/" + name).c_str());
        if (const char* hardlink = archive_entry_hardlink(entry))
            archive_entry_set_hardlink(entry, (folder + "/" + hardlink).c_str());
        archive_entry_set_perm(entry, archive_entry_perm(entry) & 0777);
        if (archive_write_header(out.get(), entry) < ARCHIVE_WARN) {
            Log("Update archive entry %s: %s\n", name.c_str(), archive_error_string(out.get()));
            return kUnpackWriteFailed;
        }
        bool tooLarge = false;
        if (archive_entry_size(entry) > 0 && !CopyData(in.get(), out.get(), total, tooLarge))
            return tooLarge ? kUnpackTooLarge : kUnpackWriteFailed;
        if (archive_write_finish_entry(out.get()) < ARCHIVE_WARN) return kUnpackWriteFailed;
    }
    return archive_write_close(out.get()) == ARCHIVE_OK ? kUnpacked : kUnpackWriteFailed;
}

int UpdateSystem() {
    if (!CheckUSBIsIn()) return kSystemUpdateStopped;
    ShowWaitingWindow("\n\nSEARCHING FOR UPDATE", 0);
    ProcessPendingEvents();
    std::string folder = SystemPath("/media/usb");
    std::string found;
    const int hit = findFile(folder, kUpdateArchiveName, &found);
    HideWaitingWindow();
    if (!hit) {
        Log("Could not find file: \" %s \" in \" %s \"\n", kUpdateArchiveName, folder.c_str());
        ShowMessage(kMessageError, kButtonsOk, "UPDATE FILE NOT FOUND ON USB DRIVE\n");
        return kSystemUpdateStopped;
    }
    const std::string archive = folder + "/" + found;
    Log("Found file: %s\n", archive.c_str());
    const std::string question = "UPDATE FILE FOUND:\n" + archive + "\nPROCEED WITH UPDATE?";
    if (ShowMessage(kMessageQuestion, kButtonsOkCancel, question.c_str()) != kResponseOk)
        return kSystemUpdateStopped;

    const std::string scratch = SystemPath(kUpdateScratchFolder);
    const std::string script = scratch + "/" + kUpdateScriptName;
    LogLine("Now executing the following system commands:");
    Log("empty \"%s\"\nunpack \"%s\" into \"%s\"\n", scratch.c_str(), archive.c_str(),
        scratch.c_str());
    Log("sys: %s\n", script.c_str());
    RemoveFolderTree(scratch);  // nothing of an earlier attempt may mix in
    if (mkdir(scratch.c_str(), 0700) != 0 || UnpackUpdateArchive(archive, scratch) != kUnpacked ||
        access(script.c_str(), F_OK) != 0) {
        RemoveFolderTree(scratch);
        ShowMessage(kMessageError, kButtonsOk, "UPDATE FILE IS NOT VALID");
        return kSystemUpdateFailed;
    }
    chmod(script.c_str(), 0755);
    const int status = RunCommand({script});
    Log("Update script ended with status %d\n", status);
    sync();
    if (status != 0) {
        ShowMessage(kMessageError, kButtonsOk, "SYSTEM UPDATE FAILED");
        return kSystemUpdateFailed;
    }
    return kSystemUpdateRan;
}

int ResetScreenCalibration() {
    if (ShowMessage(kMessageQuestion, kButtonsYesNo,
                    "SYSTEM WILL REBOOT TO RESET CALIBRATION.\nCONTINUE?") != kResponseYes)
        return 0;
    const std::string file = SystemPath(kCalibrationFile);
    if (unlink(file.c_str()) != 0 && errno != ENOENT) {
        Log("could not remove %s: %s\n", file.c_str(), std::strerror(errno));
        return 0;
    }
    sync();
    if (!SystemRoot().empty()) {
        LogLine("Reboot left out below a substitute system root");
        return 1;
    }
    RunCommand({"/sbin/reboot"});
    return 1;
}
