// The recovery copy of the layout: the bytes of a layout file that the crash
// path writes to kRecoveryLayoutPath when the program dies. The layout code
// replaces the copy after every consistent change; the crash handler
// (app/crash_recovery) reads it from inside a signal handler, so reading it
// never allocates or locks.
#pragma once

#include <cstddef>
#include <cstdint>

// The recovery layout written after a crash and loaded at the next start.
constexpr const char* kRecoveryLayoutPath = "./Layout/recovery.qlf";

// Replaces the copy by size bytes of data (a serialised layout); no data or an
// empty image means there is nothing to save. The layout code calls it.
void SetCrashRecoveryImage(const void* data, size_t size);

// Forgets the copy (nothing is saved after a crash).
void ClearCrashRecoveryImage();

// Size in bytes of the copy that a crash would write (0 when none).
size_t CrashRecoveryImageSize();

// The bytes of the copy and their number in *size; none (size 0) when there is
// no copy. Async-signal-safe: one atomic load. The bytes stay valid until the
// next SetCrashRecoveryImage or ClearCrashRecoveryImage.
const uint8_t* CrashRecoveryImageBytes(size_t* size);
