// The defaults file "./defaults.mrl": the machine parameters kept on the
// controller so that they survive when the motor controller cannot be reached.
// 26 slots of 4 bytes, slot k at bytes 4k to 4k + 3, no header: an integer
// slot is a 32-bit signed little-endian integer, a float slot an IEEE 754
// single-precision little-endian number.
//
// Every read opens the file, reads one slot and closes it; there is no cached
// copy. Every change replaces the file whole: the new contents go to a
// temporary file in the same folder, which is flushed to the medium and then
// renamed over the old one, so a power cut leaves either the old or the new
// file, never a torn one.
#pragma once

#include <cstdint>
#include <vector>

constexpr int kDefaultSlotCount = 26;
constexpr int kDefaultsFileBytes = 4 * kDefaultSlotCount;

// The slot of each parameter.
enum DefaultSlot {
    kSlotStitchRep = 0,
    kSlotTOut = 1,
    kSlotStitchLen = 2,
    kSlotSpeed = 3,
    kSlotXKp = 4,
    kSlotXKi = 5,
    kSlotYKp = 6,
    kSlotYKi = 7,
    kSlotXKd = 8,
    kSlotYKd = 9,
    kSlotErr = 10,
    kSlotXMargin = 11,
    kSlotYMargin = 12,
    kSlotJumpStitch = 13,
    kSlotAcceleration = 14,
    kSlotCurvature = 15,
    kSlotLeadLineSpeed = 16,
    kSlotMoveIncrement = 17,
    kSlotNeedleUpMethod = 18,
    kSlotNeedleUpConfirm = 19,
    kSlotNeedleUpPress = 20,
    kSlotNeedleUpTime = 21,
    kSlotStitchRegPress = 22,
    kSlotStitchRegTime = 23,
    kSlotStitchButtonsOn = 24,
    kSlotShowAdvancedFeatures = 25,
};

// Name and kind of each slot, for listings and the service tool.
struct DefaultSlotInfo {
    const char* name;  // the parameter's name, e.g. "needleUpTime"
    bool isFloat;      // float slot, else integer slot
};
extern const DefaultSlotInfo kDefaultSlotInfo[kDefaultSlotCount];

// The slot of a parameter name (exact, case-sensitive); -1 when there is none.
int FindDefaultSlot(const char* name);

// Points the module at another file (tests, tools). Null or "" goes back to
// "./defaults.mrl". The path is copied.
void SetDefaultsFilePath(const char* path);
const char* DefaultsFilePath();

// 1 when the defaults file exists (whatever its size), else 0.
int DefaultsFileExists();

// Reads one slot. Returns 1 when the file holds all four bytes of the slot (at
// least 4 * slot + 4 bytes), 0 when it is absent, too short or unreadable, or
// the slot is not 0 to 25; value is untouched on 0. Called by start-up and the
// setup screens.
int ReadDefaultInt(int slot, int* value);
int ReadDefaultFloat(int slot, float* value);

// Writes one slot, leaving the other slots as they are; a file shorter than the
// slot is first extended with zero bytes, an absent file is created. Returns 1
// when the new file is safely in place, 0 when the slot is not 0 to 25 or the
// file could not be read or replaced (the old file then stays as it was).
// Called by the setup screens and the speed control after each change.
int WriteDefaultInt(int slot, int value);
int WriteDefaultFloat(int slot, float value);

// Kept for the setup screens' "send defaults" action: does nothing, returns 1.
int SendDefaults();

// Whole-file access for the start-up merge and the factory reset, which change
// many slots at once and must not leave a half-written file behind.
// Reads the current contents (at most 104 bytes; bytes beyond the last slot are
// not part of the format and are dropped). Returns 1 when read, 0 when the file
// is absent or unreadable (image emptied).
int ReadDefaultsImage(std::vector<uint8_t>* image);
// Store one slot in an image, extending it with zero bytes when it is shorter.
// Slots outside 0 to 25 are ignored.
void PutSlotInt(std::vector<uint8_t>* image, int slot, int32_t value);
void PutSlotFloat(std::vector<uint8_t>* image, int slot, float value);
// Replaces the file with the image (at most 104 bytes are written) by the
// temporary-file-and-rename method. Returns 1 on success, 0 on failure (the
// old file stays, the reason is logged).
int ReplaceDefaultsFile(const std::vector<uint8_t>& image);
