// Writing a whole file so that a power cut leaves either the old file or the new
// one, never a half-written mix: the data goes to a temporary file in the same
// folder, is flushed to the medium, and then replaces the target by a rename.
#pragma once

#include <string>
#include <string_view>

// Writes data as the file at path. Returns 1, or 0 when the temporary file
// cannot be created, written or flushed, or the rename fails (the reason is
// logged; the old file, if any, is untouched and no temporary file remains).
int SafeWriteFile(const std::string& path, std::string_view data);
