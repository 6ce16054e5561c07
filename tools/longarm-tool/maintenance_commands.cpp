// longarm-tool crc and firmware: a technician prepares an update stick and
// loads firmware into a board from a laptop, with the same code the controller
// uses.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/log.h"
#include "commands.h"
#include "machine/firmware_upload.h"
#include "machine/serial_link.h"
#include "maintenance/checksum_file.h"
#include "tool_support.h"

namespace {

constexpr const char* kCrcUsage =
    "usage: longarm-tool crc FILE [--app N] [--version V] [--kernel RELEASE]\n"
    "  Writes the checksum file beside FILE (its name up to the first \".\" plus\n"
    "  \".crc\") with FILE's CRC-32, the application code N (1 program, 2 motor\n"
    "  firmware; default 2 for .hex/.HEX files, else 1), the version V (default 0)\n"
    "  and the kernel release the program is meant for. The controller installs a\n"
    "  program only when RELEASE matches its own kernel release (or it cannot read\n"
    "  its own).\n";

constexpr const char* kFirmwareUsage =
    "usage: longarm-tool firmware --serial PATH FILE.hex\n"
    "  Loads the firmware FILE.hex into the motor-controller board on the serial\n"
    "  device PATH (the board must be able to start its loader). The checksum file\n"
    "  beside it (see 'longarm-tool crc') must match and name application code 2.\n"
    "  Prints result=N: 0 done, 1 a word outside the memory, 2 an unsupported\n"
    "  record, 3 no reset vector read, 4 a block not acknowledged, 5 no loader,\n"
    "  6 a malformed line or record checksum. Exit status 0 when done, 1 otherwise.\n";

bool EndsWith(const std::string& text, const char* end) {
    const size_t n = std::strlen(end);
    return text.size() >= n && text.compare(text.size() - n, n, end) == 0;
}

bool ParseVersion(const std::string& text, float& version) {
    char* end = nullptr;
    errno = 0;
    const float value = std::strtof(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(value)) return false;
    version = value;
    return true;
}

}  // namespace

int RunCrcCommand(const Arguments& args) {
    if (WantsHelp(args)) {
        std::fputs(kCrcUsage, stdout);
        return 0;
    }
    std::string file, kernel;
    long app = -1;
    float version = 0.0f;
    for (size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--app" && hasValue) {
            if (!ParseWholeNumber(args[++i], 0, 1000000, app)) return ToolUsage(kCrcUsage);
        } else if (args[i] == "--version" && hasValue) {
            if (!ParseVersion(args[++i], version)) return ToolUsage(kCrcUsage);
        } else if (args[i] == "--kernel" && hasValue) {
            kernel = args[++i];
            if (kernel.empty() || kernel.size() > kMaxKernelText ||
                kernel.find_first_of(" \t\r\n") != std::string::npos)
                return ToolUsage(kCrcUsage);
        } else if (file.empty() && args[i].rfind("--", 0) != 0) {
            file = args[i];
        } else {
            return ToolUsage(kCrcUsage);
        }
    }
    if (file.empty()) return ToolUsage(kCrcUsage);
    if (app < 0) app = EndsWith(file, ".hex") || EndsWith(file, ".HEX") ? 2 : 1;
    ChecksumRecord record;
    if (!WriteChecksumFile(file, static_cast<int>(app), version, kernel, &record)) {
        std::fprintf(stderr, "longarm-tool crc: cannot read %s or write its checksum file\n",
                     file.c_str());
        return 1;
    }
    std::printf("%s: %s", ChecksumFilePath(file).c_str(), FormatChecksumText(record).c_str());
    return 0;
}

int RunFirmwareCommand(const Arguments& args) {
    if (WantsHelp(args)) {
        std::fputs(kFirmwareUsage, stdout);
        return 0;
    }
    if (args.size() != 3 || args[0] != "--serial") return ToolUsage(kFirmwareUsage);
    const std::string& file = args[2];
    UseToolInterface();
    SetLogStream(stderr);
    int appCode = -1;
    float version = 0.0f;
    if (!CheckCRC(file.c_str(), &appCode, &version, nullptr)) {
        std::fprintf(stderr, "longarm-tool firmware: %s does not match its checksum file %s\n",
                     file.c_str(), ChecksumFilePath(file).c_str());
        return 1;
    }
    if (appCode != kAppCodeFirmware) {
        std::fprintf(stderr, "longarm-tool firmware: %s is not motor firmware (code %d)\n",
                     file.c_str(), appCode);
        return 1;
    }
    FILE* hex = std::fopen(file.c_str(), "r");
    if (!hex) {
        std::fprintf(stderr, "longarm-tool firmware: cannot open %s\n", file.c_str());
        return 1;
    }
    SetSerialDevicePath(args[1]);
    const int result = OpenPort() < 0 ? kUploadNoLoader : SendHexFile(hex, LoaderTiming{});
    std::fclose(hex);
    ClosePort();
    std::printf("result=%d\n", result);
    return result == kUploadDone ? 0 : 1;
}
