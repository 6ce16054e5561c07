// The "defaults" sub-command of longarm-tool: a service technician lists or
// changes the machine parameters saved in a controller's defaults file
// ("defaults.mrl", copied from the controller or on the USB drive), with the
// same reader and safe writer the controller uses.
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/defaults_file.h"
#include "commands.h"

namespace {

constexpr const char* kUsage =
    "usage: longarm-tool defaults FILE [NAME=VALUE...]\n"
    "  without assignments: list the 26 slots of the defaults file\n"
    "  with assignments: change those slots (the file is created when absent)\n"
    "names: stitchRep TOut stitchLen speed XKp XKi YKp YKi XKd YKd Err xMargin\n"
    "  yMargin jumpStitch acceleration curvature leadLineSpeed moveIncrement\n"
    "  needleUpMethod needleUpConfirm needleUpPress needleUpTime stitchRegPress\n"
    "  stitchRegTime stitchButtonsOn showAdvancedFeatures\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// Prints every slot: number, name and value, "-" when the file ends before it.
int ListSlots(const char* path) {
    if (!DefaultsFileExists()) {
        std::fprintf(stderr, "longarm-tool: %s does not exist\n", path);
        return 1;
    }
    for (int slot = 0; slot < kDefaultSlotCount; ++slot) {
        const DefaultSlotInfo& info = kDefaultSlotInfo[slot];
        std::printf("%2d %-21s ", slot, info.name);
        if (info.isFloat) {
            float value = 0;
            if (ReadDefaultFloat(slot, &value)) {
                std::printf("%g\n", static_cast<double>(value));
            } else {
                std::printf("-\n");
            }
        } else {
            int value = 0;
            if (ReadDefaultInt(slot, &value)) {
                std::printf("%d\n", value);
            } else {
                std::printf("-\n");
            }
        }
    }
    return 0;
}

// Parses "NAME=VALUE" into the image; false with a message for bad input.
bool ApplyAssignment(const std::string& text, std::vector<uint8_t>* image) {
    size_t equals = text.find('=');
    std::string name = text.substr(0, equals);
    int slot = FindDefaultSlot(name.c_str());
    if (equals == std::string::npos || slot < 0) {
        std::fprintf(stderr, "longarm-tool: \"%s\" is not NAME=VALUE with a known name\n",
                     text.c_str());
        return false;
    }
    std::string value = text.substr(equals + 1);
    char* end = nullptr;
    errno = 0;
    if (kDefaultSlotInfo[slot].isFloat) {
        float f = std::strtof(value.c_str(), &end);
        if (value.empty() || *end != '\0' || errno != 0 || !std::isfinite(f)) {
            std::fprintf(stderr, "longarm-tool: %s needs a number\n", name.c_str());
            return false;
        }
        PutSlotFloat(image, slot, f);
    } else {
        long n = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || errno != 0 || n < INT32_MIN || n > INT32_MAX) {
            std::fprintf(stderr, "longarm-tool: %s needs a whole number\n", name.c_str());
            return false;
        }
        PutSlotInt(image, slot, static_cast<int32_t>(n));
    }
    return true;
}

}  // namespace

int RunDefaultsCommand(const Arguments& args) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") return Usage();
    SetDefaultsFilePath(args[0].c_str());
    if (args.size() == 1) return ListSlots(args[0].c_str());

    std::vector<uint8_t> image;
    if (!ReadDefaultsImage(&image) && DefaultsFileExists()) {
        std::fprintf(stderr, "longarm-tool: could not read %s: %s\n", args[0].c_str(),
                     std::strerror(errno));
        return 1;
    }
    for (size_t i = 1; i < args.size(); ++i) {
        if (!ApplyAssignment(args[i], &image)) return 2;
    }
    if (!ReplaceDefaultsFile(image)) {
        std::fprintf(stderr, "longarm-tool: could not write %s\n", args[0].c_str());
        return 1;
    }
    return 0;
}
