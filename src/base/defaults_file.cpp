#include "base/defaults_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "base/log.h"
#include "base/safe_write.h"

namespace {

constexpr const char* kDefaultPath = "./defaults.mrl";
std::string filePath = kDefaultPath;

bool ValidSlot(int slot) {
    return slot >= 0 && slot < kDefaultSlotCount;
}

uint32_t FloatBits(float value) {
    uint32_t bits;
    static_assert(sizeof bits == sizeof value);
    memcpy(&bits, &value, sizeof bits);
    return bits;
}

void PutBits(std::vector<uint8_t>* image, int slot, uint32_t bits) {
    if (!ValidSlot(slot)) return;
    size_t offset = 4 * static_cast<size_t>(slot);
    if (image->size() < offset + 4) image->resize(offset + 4, 0);
    for (int i = 0; i < 4; ++i)
        (*image)[offset + i] = static_cast<uint8_t>(bits >> (8 * i));
}

// Reads the four bytes of a slot as a little-endian word.
bool ReadBits(int slot, uint32_t* bits) {
    if (!ValidSlot(slot)) return false;
    int fd = open(filePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    uint8_t bytes[4];
    ssize_t got;
    do {
        got = pread(fd, bytes, sizeof bytes, 4 * static_cast<off_t>(slot));
    } while (got < 0 && errno == EINTR);
    close(fd);
    if (got != static_cast<ssize_t>(sizeof bytes)) return false;
    *bits = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
            static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return true;
}

// Loads the image for a one-slot change: an absent file is an empty image, a
// file that exists but cannot be read stops the change (it must not be lost).
bool LoadForUpdate(std::vector<uint8_t>* image) {
    if (ReadDefaultsImage(image)) return true;
    if (access(filePath.c_str(), F_OK) != 0 && errno == ENOENT) return true;
    Log("ERROR: could not read %s: %s\n", filePath.c_str(), strerror(errno));
    return false;
}

}  // namespace

const DefaultSlotInfo kDefaultSlotInfo[kDefaultSlotCount] = {
    {"stitchRep", false},
    {"TOut", false},
    {"stitchLen", false},
    {"speed", false},
    {"XKp", false},
    {"XKi", false},
    {"YKp", false},
    {"YKi", false},
    {"XKd", false},
    {"YKd", false},
    {"Err", false},
    {"xMargin", true},
    {"yMargin", true},
    {"jumpStitch", true},
    {"acceleration", true},
    {"curvature", true},
    {"leadLineSpeed", false},
    {"moveIncrement", true},
    {"needleUpMethod", false},
    {"needleUpConfirm", false},
    {"needleUpPress", true},
    {"needleUpTime", true},
    {"stitchRegPress", true},
    {"stitchRegTime", true},
    {"stitchButtonsOn", false},
    {"showAdvancedFeatures", false},
};

int FindDefaultSlot(const char* name) {
    if (name == nullptr) return -1;
    for (int slot = 0; slot < kDefaultSlotCount; ++slot) {
        if (strcmp(kDefaultSlotInfo[slot].name, name) == 0) return slot;
    }
    return -1;
}

void SetDefaultsFilePath(const char* path) {
    filePath = (path == nullptr || path[0] == '\0') ? kDefaultPath : path;
}

const char* DefaultsFilePath() {
    return filePath.c_str();
}

int DefaultsFileExists() {
    return access(filePath.c_str(), F_OK) == 0 ? 1 : 0;
}

int ReadDefaultInt(int slot, int* value) {
    uint32_t bits;
    if (value == nullptr || !ReadBits(slot, &bits)) return 0;
    *value = static_cast<int32_t>(bits);
    return 1;
}

int ReadDefaultFloat(int slot, float* value) {
    uint32_t bits;
    if (value == nullptr || !ReadBits(slot, &bits)) return 0;
    memcpy(value, &bits, sizeof *value);
    return 1;
}

int WriteDefaultInt(int slot, int value) {
    std::vector<uint8_t> image;
    if (!ValidSlot(slot) || !LoadForUpdate(&image)) return 0;
    PutSlotInt(&image, slot, value);
    return ReplaceDefaultsFile(image);
}

int WriteDefaultFloat(int slot, float value) {
    std::vector<uint8_t> image;
    if (!ValidSlot(slot) || !LoadForUpdate(&image)) return 0;
    PutSlotFloat(&image, slot, value);
    return ReplaceDefaultsFile(image);
}

int SendDefaults() {
    return 1;
}

int ReadDefaultsImage(std::vector<uint8_t>* image) {
    image->clear();
    int fd = open(filePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    uint8_t bytes[kDefaultsFileBytes];
    size_t total = 0;
    bool failed = false;
    while (total < sizeof bytes) {
        ssize_t got = read(fd, bytes + total, sizeof bytes - total);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) failed = true;
        if (got <= 0) break;
        total += static_cast<size_t>(got);
    }
    int savedErrno = errno;
    close(fd);
    if (failed) {
        errno = savedErrno;
        return 0;
    }
    image->assign(bytes, bytes + total);
    return 1;
}

void PutSlotInt(std::vector<uint8_t>* image, int slot, int32_t value) {
    PutBits(image, slot, static_cast<uint32_t>(value));
}

void PutSlotFloat(std::vector<uint8_t>* image, int slot, float value) {
    PutBits(image, slot, FloatBits(value));
}

int ReplaceDefaultsFile(const std::vector<uint8_t>& image) {
    const size_t size = std::min(image.size(), static_cast<size_t>(kDefaultsFileBytes));
    const std::string_view bytes(reinterpret_cast<const char*>(image.data()), size);
    if (SafeWriteFile(filePath, bytes)) return 1;
    Log("ERROR: could not write %s\n", filePath.c_str());
    return 0;
}
