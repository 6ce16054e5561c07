// Replacing a file whole: the new content goes to a temporary file in the
// target's folder, is synced to the medium, and only then takes the target's
// name by a rename, after which the folder itself is synced. A failure or a
// power cut at any moment leaves either the old file or the new one, never a
// mix, and never no file where there was one. The file manager's copies, the
// program update and its follow-up copies all write this way.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

// Permission bits for a new file: 0666 less the process's umask.
mode_t NewFileMode();

// Writes target through a temporary file: fill writes the content to the given
// descriptor and returns false on a failure; the file then gets mode (where the
// file system allows modes), is synced and renamed over target. Returns true,
// or false when the temporary file cannot be made, fill fails, or the sync or
// rename fails; the reason is logged, the temporary file removed and target
// left as it was.
bool WriteFileThrough(const std::string& target, mode_t mode,
                      const std::function<bool(int fd)>& fill);

// Copies the bytes of source to target through WriteFileThrough. The source is
// opened (and checked to be a regular file) before anything is created, so a
// missing or unreadable source never touches the target. Returns true, or
// false with the reason logged.
bool SafeCopyFile(const std::string& source, const std::string& target, mode_t mode);
