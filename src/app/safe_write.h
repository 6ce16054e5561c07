// Writing a whole file so that a power cut leaves either the old file or the new
// one, never a half-written mix: the data goes to a temporary file in the same
// folder, is flushed to the medium, and then replaces the target by a rename.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Writes data as the file at path. Returns 1, or 0 when the temporary file
// cannot be created, written or flushed, or the rename fails (the reason is
// logged; the old file, if any, is untouched and no temporary file remains).
int SafeWriteFile(const std::string& path, std::string_view data);

// Writes all size bytes to fd, going on after short writes and interruptions.
// Only uses write(2), so a signal handler may call it. False on an error.
bool WriteAll(int fd, const void* data, size_t size);
