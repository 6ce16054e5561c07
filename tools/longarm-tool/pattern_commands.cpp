// Pattern sub-commands of longarm-tool: a quilter inspects pattern files, makes
// their thumbnails and turns, stretches, mirrors or reverses them on a laptop,
// with the same code the controller uses.
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands.h"
#include "pattern/pattern.h"
#include "pattern/pattern_image.h"
#include "pattern/pattern_thumbnail.h"
#include "pattern/pattern_transform.h"
#include "tool_support.h"

namespace {

constexpr const char* kInfoUsage = "usage: longarm-tool info FILE.qcc\n";
constexpr const char* kThumbnailUsage =
    "usage: longarm-tool thumbnail FILE.qcc OUT.png [WIDTH HEIGHT]\n"
    "  WIDTH and HEIGHT in pixels, 1 to 4096 (default 140 x 80)\n";
constexpr const char* kTransformUsage =
    "usage: longarm-tool transform FILE.qcc OUT.qcc OPERATION...\n"
    "operations, applied in the order given:\n"
    "  --rotate DEG       turn clockwise by DEG degrees (negative: counter-clockwise)\n"
    "  --stretch-x F      multiply the width by F (0.01 to 100)\n"
    "  --stretch-y F      multiply the height by F (0.01 to 100)\n"
    "  --mirror-x         reflect left to right\n"
    "  --mirror-y         reflect back to front\n"
    "  --reverse          stitch the path in the opposite direction\n";

// A whole decimal number, finite; false for text that is not one.
bool ParseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return end && *end == '\0' && errno == 0 && std::isfinite(value);
}

bool ParseSize(const std::string& text, int& value) {
    double v = 0;
    if (!ParseNumber(text, v) || v != std::floor(v) || v < 1 || v > 4096) return false;
    value = static_cast<int>(v);
    return true;
}

std::unique_ptr<Pattern> LoadOrComplain(const char* command, const std::string& path) {
    std::unique_ptr<Pattern> pattern = newPattern(path.c_str(), 0);
    if (!pattern)
        std::fprintf(stderr, "longarm-tool %s: could not read pattern file %s\n", command,
                     path.c_str());
    return pattern;
}

int CountCommands(const Pattern& pattern, PatternCommandType type) {
    int n = 0;
    for (PatternCommandType t : pattern.commandType)
        if (t == type) n++;
    return n;
}

bool WithinLimits(const Pattern& pattern) {
    for (int i = 0; i < pattern.pointCount; i++)
        if (!(std::fabs(pattern.x[i]) < kMaxPatternCoordinate) ||
            !(std::fabs(pattern.y[i]) < kMaxPatternCoordinate))
            return false;
    return true;
}

}  // namespace

int RunInfoCommand(const Arguments& args) {
    if (WantsHelp(args)) {
        std::fputs(kInfoUsage, stdout);
        return 0;
    }
    if (args.size() != 1) return ToolUsage(kInfoUsage);
    std::unique_ptr<Pattern> pattern = LoadOrComplain("info", args[0]);
    if (!pattern) return 1;
    std::printf("name: %s\n", pattern->name.c_str());
    std::printf("name lines: %d\n", pattern->nameCount);
    for (const std::string& line : pattern->nameLines)
        std::printf("  %s\n", line.c_str());
    std::printf("points: %d\n", pattern->pointCount);
    std::printf("commands: %d (stops %d, marks %d, entity starts %d, entity ends %d)\n",
                pattern->commandCount, CountCommands(*pattern, PatternCommandType::Stop),
                CountCommands(*pattern, PatternCommandType::FMark),
                CountCommands(*pattern, PatternCommandType::EntityStart),
                CountCommands(*pattern, PatternCommandType::EntityEnd));
    std::printf("width: %.3f in\n", pattern->width);
    std::printf("height: %.3f in\n", pattern->height);
    return 0;
}

int RunThumbnailCommand(const Arguments& args) {
    if (WantsHelp(args)) {
        std::fputs(kThumbnailUsage, stdout);
        return 0;
    }
    if (args.size() != 2 && args.size() != 4) return ToolUsage(kThumbnailUsage);
    int width = 140, height = 80;
    if (args.size() == 4 && (!ParseSize(args[2], width) || !ParseSize(args[3], height)))
        return ToolUsage(kThumbnailUsage);
    std::unique_ptr<Pattern> pattern = LoadOrComplain("thumbnail", args[0]);
    if (!pattern) return 1;
    GdkPixbuf* image = RenderPatternThumbnail(pattern.get(), width, height);
    if (!image) {
        std::fprintf(stderr, "longarm-tool thumbnail: could not create the image\n");
        return 1;
    }
    int ok = SavePixbufAsPng(image, args[1]);
    g_object_unref(image);
    if (!ok) {
        std::fprintf(stderr, "longarm-tool thumbnail: could not write %s\n", args[1].c_str());
        return 1;
    }
    std::printf("wrote %s (%d x %d pixels)\n", args[1].c_str(), width, height);
    return 0;
}

int RunTransformCommand(const Arguments& args) {
    if (WantsHelp(args)) {
        std::fputs(kTransformUsage, stdout);
        return 0;
    }
    if (args.size() < 2) return ToolUsage(kTransformUsage);

    // Check every operation before touching any file.
    struct Operation {
        std::string name;
        double value = 0;
    };
    std::vector<Operation> operations;
    for (size_t i = 2; i < args.size(); i++) {
        const std::string& a = args[i];
        if (a == "--mirror-x" || a == "--mirror-y" || a == "--reverse") {
            operations.push_back({a});
        } else if (a == "--rotate" || a == "--stretch-x" || a == "--stretch-y") {
            double v = 0;
            if (i + 1 >= args.size() || !ParseNumber(args[i + 1], v)) {
                std::fprintf(stderr, "longarm-tool transform: %s needs a number\n", a.c_str());
                return ToolUsage(kTransformUsage);
            }
            if (a != "--rotate" && (v < 0.01 || v > 100)) {
                std::fprintf(stderr, "longarm-tool transform: %s must be 0.01 to 100\n", a.c_str());
                return ToolUsage(kTransformUsage);
            }
            if (a == "--rotate" && std::fabs(v) > 360) {
                std::fprintf(stderr, "longarm-tool transform: --rotate must be -360 to 360\n");
                return ToolUsage(kTransformUsage);
            }
            operations.push_back({a, v});
            i++;
        } else {
            std::fprintf(stderr, "longarm-tool transform: unknown operation \"%s\"\n", a.c_str());
            return ToolUsage(kTransformUsage);
        }
    }

    std::unique_ptr<Pattern> pattern = LoadOrComplain("transform", args[0]);
    if (!pattern) return 1;
    for (const Operation& op : operations) {
        if (op.name == "--rotate")
            RotatePattern(pattern.get(), static_cast<float>(op.value));
        else if (op.name == "--stretch-x")
            stretchPattern(pattern.get(), 'x', static_cast<float>(op.value), nullptr);
        else if (op.name == "--stretch-y")
            stretchPattern(pattern.get(), 'y', static_cast<float>(op.value), nullptr);
        else if (op.name == "--mirror-x")
            mirrorPattern(pattern.get(), 1, 0);
        else if (op.name == "--mirror-y")
            mirrorPattern(pattern.get(), 0, 1);
        else if (op.name == "--reverse")
            ReversePatternPath(pattern.get());
    }
    if (!WithinLimits(*pattern)) {
        std::fprintf(stderr, "longarm-tool transform: the result is larger than %.0f inches\n",
                     kMaxPatternCoordinate);
        return 1;
    }
    // The writer adds the extension to a name without it; say where it went.
    std::string target = args[1];
    if (target.find(".qcc") == std::string::npos) target += ".qcc";
    if (!savePattern(pattern.get(), target.c_str())) {
        std::fprintf(stderr, "longarm-tool transform: could not write %s\n", target.c_str());
        return 1;
    }
    std::printf("wrote %s (%d points, %.3f x %.3f in)\n", target.c_str(), pattern->pointCount,
                pattern->width, pattern->height);
    return 0;
}
