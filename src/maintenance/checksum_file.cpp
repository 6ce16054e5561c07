#include "maintenance/checksum_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "base/log.h"
#include "base/safe_write.h"
#include "maintenance/crc32.h"

namespace {

constexpr size_t kMaxChecksumFileBytes = 1024;

bool ParseCrcField(const std::string& word, uint32_t& crc) {
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(word.c_str(), &end, 10);
    if (errno != 0 || end == word.c_str() || *end != '\0') return false;
    if (value < -2147483648LL || value > 4294967295LL) return false;
    crc = static_cast<uint32_t>(value);  // negative values wrap to the same 32 bits
    return true;
}

bool ParseIntField(const std::string& word, int& result) {
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(word.c_str(), &end, 10);
    if (errno != 0 || end == word.c_str() || *end != '\0' || value < -1000000 || value > 1000000)
        return false;
    result = static_cast<int>(value);
    return true;
}

bool ParseVersionField(const std::string& word, float& version) {
    errno = 0;
    char* end = nullptr;
    const float value = std::strtof(word.c_str(), &end);
    if (errno != 0 || end == word.c_str() || *end != '\0' || !std::isfinite(value)) return false;
    version = value;
    return true;
}

}  // namespace

std::string ChecksumFilePath(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.find('.', nameStart);
    return (dot == std::string::npos ? path : path.substr(0, dot)) + ".crc";
}

int ParseChecksumText(const std::string& text, ChecksumRecord& record) {
    std::istringstream in(text);
    std::string crcWord, appWord, versionWord, kernelWord;
    if (!(in >> crcWord >> appWord >> versionWord)) return 0;
    in >> kernelWord;
    ChecksumRecord parsed;
    if (!ParseCrcField(crcWord, parsed.crc) || !ParseIntField(appWord, parsed.appCode) ||
        !ParseVersionField(versionWord, parsed.version) || kernelWord.size() > kMaxKernelText)
        return 0;
    parsed.kernel = kernelWord;
    record = parsed;
    return 1;
}

std::string FormatChecksumText(const ChecksumRecord& record) {
    char line[64];
    std::snprintf(line, sizeof line, "%d %d %.3f", static_cast<int32_t>(record.crc), record.appCode,
                  static_cast<double>(record.version));
    std::string text = line;
    if (!record.kernel.empty()) text += " " + record.kernel;
    return text + "\n";
}

int ReadChecksumFile(const std::string& checksumPath, ChecksumRecord& record) {
    FILE* file = std::fopen(checksumPath.c_str(), "r");
    if (!file) return 0;
    char buffer[kMaxChecksumFileBytes + 1];
    const size_t n = std::fread(buffer, 1, kMaxChecksumFileBytes, file);
    std::fclose(file);
    return ParseChecksumText(std::string(buffer, n), record);
}

int WriteChecksumFile(const std::string& path, int appCode, float version,
                      const std::string& kernel, ChecksumRecord* written) {
    ChecksumRecord record;
    if (!FileCRC_Default(path.c_str(), &record.crc)) return 0;
    record.appCode = appCode;
    record.version = version;
    record.kernel = kernel;
    if (!SafeWriteFile(ChecksumFilePath(path), FormatChecksumText(record))) return 0;
    if (written) *written = record;
    return 1;
}

int CheckCRC(const char* path, int* appCode, float* version, std::string* kernel) {
    if (path == nullptr) return 0;
    uint32_t computed = 0;
    if (!FileCRC_Default(path, &computed)) return 0;
    ChecksumRecord stored;
    if (!ReadChecksumFile(ChecksumFilePath(path), stored)) return 0;
    if (stored.crc != computed) {
        Log("0x%8.8X != 0x%8.8X CRC FAILED!\n", stored.crc, computed);
        return 0;
    }
    Log("0x%8.8X == 0x%8.8X CRC PASSED!\n", stored.crc, computed);
    Log("AppCode = %d Version = %0.2f", stored.appCode, static_cast<double>(stored.version));
    if (kernel) Log(" Kernel = %s", stored.kernel.c_str());
    Log("\n");
    if (appCode) *appCode = stored.appCode;
    if (version) *version = stored.version;
    if (kernel) *kernel = stored.kernel;
    return 1;
}
