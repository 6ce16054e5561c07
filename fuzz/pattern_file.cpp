// The pattern file reader (".qcc", text) on arbitrary bytes. A pattern it
// accepts must be consistent (counts match the arrays, every point finite and
// inside the bounds, moved to the origin) and must come back the same through
// the writer and the reader again.
#include <cmath>
#include <memory>

#include "fuzz_support.h"
#include "pattern/pattern.h"

namespace {

void CheckConsistent(const Pattern& p) {
    FUZZ_CHECK(p.pointCount > 0);
    FUZZ_CHECK(p.x.size() == static_cast<size_t>(p.pointCount));
    FUZZ_CHECK(p.y.size() == static_cast<size_t>(p.pointCount));
    FUZZ_CHECK(p.commandType.size() == static_cast<size_t>(p.commandCount));
    FUZZ_CHECK(p.commandPoint.size() == static_cast<size_t>(p.commandCount));
    FUZZ_CHECK(p.nameLines.size() == static_cast<size_t>(p.nameCount));
    FUZZ_CHECK(p.minX == 0 && p.minY == 0);
    FUZZ_CHECK(std::isfinite(p.width) && std::isfinite(p.height));
    for (int i = 0; i < p.pointCount; i++) {
        FUZZ_CHECK(std::isfinite(p.x[i]) && std::isfinite(p.y[i]));
        FUZZ_CHECK(p.x[i] >= 0 && p.x[i] <= p.width && p.y[i] >= 0 && p.y[i] <= p.height);
    }
    for (int c = 0; c < p.commandCount; c++) {
        const int type = static_cast<int>(p.commandType[c]);
        FUZZ_CHECK(type >= 0 && type <= 3);
        FUZZ_CHECK(p.commandPoint[c] >= 1 && p.commandPoint[c] <= p.pointCount + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSetUp();
    static const std::string input = ScratchPath("input.qcc");
    static const std::string output = ScratchPath("output.qcc");
    WriteScratch(input, data, size);

    auto pattern = newPattern(input.c_str(), 0);
    if (!pattern) return 0;
    CheckConsistent(*pattern);

    if (savePattern(pattern.get(), output.c_str()) != 1) {
        // Only a file too short to be read back is refused.
        FUZZ_CHECK(pattern->pointCount == 1 && pattern->commandCount == 0);
        return 0;
    }
    auto again = newPattern(output.c_str(), 0);
    FUZZ_CHECK(again != nullptr);
    CheckConsistent(*again);
    FUZZ_CHECK(again->pointCount == pattern->pointCount);
    FUZZ_CHECK(again->commandType == pattern->commandType);
    FUZZ_CHECK(again->commandPoint == pattern->commandPoint);
    FUZZ_CHECK(again->nameLines == pattern->nameLines);
    // Three decimals are written; the reloaded pattern is moved to the origin
    // again, by at most the rounding of its smallest coordinate.
    for (int i = 0; i < pattern->pointCount; i++) {
        FUZZ_CHECK(std::fabs(again->x[i] - pattern->x[i]) <= 0.0011f + 1e-6f * pattern->width);
        FUZZ_CHECK(std::fabs(again->y[i] - pattern->y[i]) <= 0.0011f + 1e-6f * pattern->height);
    }
    return 0;
}
