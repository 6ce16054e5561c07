// The layout file (".qlf"): the quilt area, every loaded pattern, the pattern
// boxes, the placements and the arrays as tagged binary sections, each ending
// in the byte 16. Integers are int32 and floats IEEE single precision, both
// little-endian. One writer and one reader serve the layouts saved by name in
// "./Layout/", the undo step, the set-point and the crash recovery file.
#pragma once

#include <cstdint>
#include <string>

// Section tags and the end byte.
constexpr uint8_t kTagExtents = 1;
constexpr uint8_t kTagPattern = 2;
constexpr uint8_t kTagSkipped = 3;  // accepted and skipped by the reader
constexpr uint8_t kTagPatternBox = 4;
constexpr uint8_t kTagPlacement = 5;
constexpr uint8_t kTagArray = 6;
constexpr uint8_t kSectionEnd = 16;

// Names this long or longer are refused by SaveLayout.
constexpr size_t kMaxLayoutNameLength = 124;
// Files larger than this are not read (a layout of 50 patterns of 100,000
// points each takes about 40 MB).
constexpr long kMaxLayoutFileBytes = 256L * 1024 * 1024;
// A load must finish within this many milliseconds.
constexpr int64_t kLayoutLoadTimeLimitMs = 5000;

// The path of the layout last loaded or saved, without ".qlf" (for example
// "./Layout/mylayout1"); empty when the layout in memory has no file. Save
// Layout writes to it; a new layout, an undo and the set-point drop it.
const std::string& CurrentLayoutName();
// Sets the path of the current layout; an empty name drops it.
void SetCurrentLayoutName(std::string name);

// The name with every character that may not appear in a layout name removed.
std::string FilterLayoutName(const std::string& name);

// The bytes of a layout file for the layout in memory. Placements are written
// with the pattern and array numbers that the reader will give those tables
// (their order in the file), so a layout whose tables have gaps loads back with
// every placement on its own pattern and array.
std::string SerializeLayout();

// The file SaveLayout writes for a name: name as given (fullPath 1) or
// "./Layout/" plus the filtered name, with ".qlf" appended.
std::string LayoutSavePath(const char* name, int fullPath);

// Saves the layout. The path is name as given (fullPath 1) or "./Layout/" plus
// the filtered name, with ".qlf" appended. A name of 124 characters or more is
// refused with a message; with askOverwrite an existing file is replaced only
// after the quilter confirms. The old file stays whole until the new one is
// complete. Returns 1 when written, 0 otherwise.
int SaveLayout(const char* name, int askOverwrite, int fullPath);

// Loads a layout file. With discard the file is read into empty tables and
// replaces the present layout only when the whole file was read; a failed read
// keeps the present layout ("ERROR READING LAYOUT FILE." shown). Without
// discard the file is read on top of the present layout (no caller does so)
// and a failed read leaves what was read. quiet skips the erase question. The
// recovery file is loaded without questions and leaves the current layout name alone;
// other files open the waiting window (the caller closes it) and, once read,
// set the current layout name. Returns 1 when the whole file was read, 0 when it could
// not be opened ("COULD NOT OPEN LAYOUT FILE." shown), the quilter cancelled,
// a read came up short or the load took longer than 5 seconds.
int LoadLayout(const char* path, int discard, int quiet);

// Frees the extents, every pattern, box, placement and array, leaving empty tables.
void FreeLayout();

// Writes the undo step before an edit ("/tmp/undo.qlf"), enabling Undo, and drops
// the current layout name. Returns SaveLayout's result.
int CreateUndoFile();

// Brings back the undo step when there is one (then the file is removed and
// Undo disabled); drops the current layout name and asks the view to fit the table.
// Returns 1 when a layout was restored.
int RestoreUndoFile();

// Writes the set-point ("/tmp/setPoint.qlf"); on success drops the current layout name
// and enables Restore Setpoint. Returns SaveLayout's result.
int CreateSetpoint();

// Loads the set-point with discard (the erase question is asked) when it exists;
// drops the current layout name and asks the view to fit the table. Returns LoadLayout's
// result, or 0 when there is no set-point.
int RestoreSetpoint();

// Serialises the layout into the image that the crash handler writes. The
// user interface calls it after each quilter's action (ui/recovery_refresh.h)
// and after the recovery layout is loaded at start-up.
void UpdateCrashRecoveryImage();

// Called when the undo step or the set-point appears or goes away, so the menus
// can follow (installed by the user interface; may be left empty).
extern void (*undoAvailabilityChanged)(int available);
extern void (*setpointAvailabilityChanged)(int available);
