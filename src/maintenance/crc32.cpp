#include "maintenance/crc32.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kPolynomial = 0x04C11DB7;

// tables[0] is the classic byte table; tables[k][b] is the value of byte b
// followed by k zero bytes, which lets eight bytes be folded at once.
uint32_t tables[8][256];
bool built = false;

uint32_t LoadLittle32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

uint32_t Reflect(uint32_t value, int bits) {
    uint32_t result = 0;
    for (int i = 1; i <= bits; ++i) {
        if (value & 1) result |= 1u << (bits - i);
        value >>= 1;
    }
    return result;
}

// The reflected table built from the polynomial as written (bit 31 first):
// each entry is the reflection of the entry of the plain table.
void InitializeCRC() {
    if (built) return;
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t value = Reflect(i, 8) << 24;
        for (int bit = 0; bit < 8; ++bit)
            value = (value << 1) ^ ((value & 0x80000000u) ? kPolynomial : 0);
        tables[0][i] = Reflect(value, 32);
    }
    for (int k = 1; k < 8; ++k) {
        for (int i = 0; i < 256; ++i)
            tables[k][i] = (tables[k - 1][i] >> 8) ^ tables[0][tables[k - 1][i] & 0xFF];
    }
    built = true;
}

uint32_t PartialCRC(uint32_t crc, const unsigned char* bytes, size_t length) {
    InitializeCRC();
    for (size_t i = 0; i < length; ++i)
        crc = (crc >> 8) ^ tables[0][(crc ^ bytes[i]) & 0xFF];
    return crc;
}

uint32_t PartialCRC8(uint32_t crc, const unsigned char* bytes, size_t length) {
    InitializeCRC();
    while (length >= 8) {
        const uint32_t low = LoadLittle32(bytes) ^ crc;
        const uint32_t high = LoadLittle32(bytes + 4);
        crc = tables[7][low & 0xFF] ^ tables[6][(low >> 8) & 0xFF] ^ tables[5][(low >> 16) & 0xFF] ^
              tables[4][low >> 24] ^ tables[3][high & 0xFF] ^ tables[2][(high >> 8) & 0xFF] ^
              tables[1][(high >> 16) & 0xFF] ^ tables[0][high >> 24];
        bytes += 8;
        length -= 8;
    }
    return PartialCRC(crc, bytes, length);
}

uint32_t FullCRC(const unsigned char* bytes, size_t length) {
    return ~PartialCRC8(0xFFFFFFFFu, bytes, length);
}

uint32_t FullCRC_Default(const unsigned char* bytes, size_t length) {
    return FullCRC(bytes, length);
}

int FileCRC(const char* path, uint32_t* crc, size_t bufferSize) {
    *crc = 0xFFFFFFFFu;
    if (path == nullptr || bufferSize == 0) return 0;
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    // A small file (a checksum file, a settings file) needs no 1 MiB buffer:
    // the buffer is no larger than the file, plus one byte to see its end.
    struct stat st {};
    if (fstat(fd, &st) == 0 && st.st_size >= 0 && static_cast<uint64_t>(st.st_size) < bufferSize)
        bufferSize = static_cast<size_t>(st.st_size) + 1;
    std::vector<unsigned char> buffer(bufferSize);
    uint32_t running = 0xFFFFFFFFu;
    bool ok = true;
    for (;;) {
        const ssize_t n = read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        running = PartialCRC8(running, buffer.data(), static_cast<size_t>(n));
    }
    close(fd);
    if (!ok) return 0;
    *crc = ~running;
    return 1;
}

int FileCRC_Default(const char* path, uint32_t* crc) {
    return FileCRC(path, crc, kFileCrcChunk);
}
