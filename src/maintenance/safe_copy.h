// Copying a file whole: the copy is written through a temporary file beside
// the target (WriteFileThrough), so a failure or a power cut at any moment
// leaves either the old target or the new one, never a mix, and never no file
// where there was one. The file manager's copies, the program update and its
// follow-up copies all write this way.
#pragma once

#include <sys/types.h>

#include <string>

#include "base/safe_write.h"  // WriteFileThrough, NewFileMode

// Copies the bytes of source to target through WriteFileThrough. The source is
// opened (and checked to be a regular file) before anything is created, so a
// missing or unreadable source never touches the target. Returns true, or
// false with the reason logged.
bool SafeCopyFile(const std::string& source, const std::string& target, mode_t mode);
