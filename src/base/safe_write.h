// Writing a whole file so that a power cut leaves either the old file or the new
// one, never a half-written mix: the data goes to a temporary file in the same
// folder, is flushed to the medium, and then replaces the target by a rename.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Writes data as the file at path. Returns 1, or 0 when the temporary file
// cannot be created, written or flushed, or the rename fails (the reason is
// logged; the old file, if any, is untouched and no temporary file remains).
int SafeWriteFile(const std::string& path, std::string_view data);

// Writes target through a temporary file in its folder: fill writes the content
// to the given descriptor and returns false on a failure; the file then gets
// mode (where the file system allows modes), is synced and renamed over target,
// and the folder is synced. Returns true, or false when the temporary file
// cannot be made, fill fails, or the sync or rename fails; the reason is
// logged, the temporary file removed and target left as it was. SafeWriteFile
// is this with the data as content; copies and conversions stream into it.
bool WriteFileThrough(const std::string& target, mode_t mode,
                      const std::function<bool(int fd)>& fill);

// Permission bits for a new file: 0666 less the process's umask.
mode_t NewFileMode();

// Temporary files are named after their target: the target's path, ".tmp" and
// six letters or digits ("Layout/job.qlf.tmpa8Zk3Q").
constexpr const char* kTemporaryMark = ".tmp";
constexpr size_t kTemporaryTagLength = 6;

// 1 when a file name (without its folder) has the form of a temporary file of
// SafeWriteFile: a power cut before the rename leaves such a file behind.
bool IsSafeWriteTemporary(const std::string& name);

// Deletes the temporary files of SafeWriteFile in folder, and in its
// sub-folders down to `depth` levels (links are not followed). Returns the
// number of files deleted.
int RemoveTemporariesIn(const std::string& folder, int depth);

// Deletes the temporary files that interrupted saves left in the folders the
// program writes into: its own folder, "Layout/", "thumbnails/", "patterns/"
// with its sub-folders, and the controller's /tmp (undo and set-point). The
// file choosers never list them, but on the controller's small flash they
// would pile up with every power cut during a save. Called once by start-up,
// before anything is written (the program update sweeps its own folders).
// Returns the number of files deleted.
int RemoveStaleTemporaries();

// Writes all size bytes to fd, going on after short writes and interruptions.
// Only uses write(2), so a signal handler may call it. False on an error.
bool WriteAll(int fd, const void* data, size_t size);
