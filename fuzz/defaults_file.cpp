// The defaults file "defaults.mrl" (26 binary slots) on arbitrary bytes, merged
// at start-up as with a silent or an answering board, then validated. Every
// loaded value must end inside its limits; afterwards the file holds all 26
// slots (silent board) or at least slots 0 to 10 with the board's values.
#include <unistd.h>

#include <cmath>
#include <vector>

#include "base/defaults_file.h"
#include "app/machine_startup.h"
#include "base/program_settings.h"
#include "fuzz_support.h"
#include "machine/machine_parameters.h"

namespace {

void CheckLimits() {
    FUZZ_CHECK(xMargin >= -10.0f && xMargin <= 10.0f);
    FUZZ_CHECK(!std::isnan(yMargin));
    FUZZ_CHECK(jumpStitch >= 0.0f && jumpStitch <= 200.0f);
    FUZZ_CHECK(acceleration >= 5.0f && acceleration <= 100.0f);
    FUZZ_CHECK(curvature >= 5.0f && curvature <= 100.0f);
    FUZZ_CHECK(leadLineSpeed >= 10 && leadLineSpeed <= 100);
    FUZZ_CHECK(moveIncrement >= 0.015f && moveIncrement <= 120.0f);
    FUZZ_CHECK(needleUpMethod >= 0 && needleUpMethod <= 12);
    FUZZ_CHECK(needleUpConfirm == 0 || needleUpConfirm == 1);
    FUZZ_CHECK(needleUpPress >= 0.0f && needleUpPress <= 10000.0f);
    FUZZ_CHECK(stitchRegPress >= 0.0f && stitchRegPress <= 10000.0f);
    FUZZ_CHECK(needleUpTime >= 100.0f && needleUpTime <= 10000.0f);
    FUZZ_CHECK(stitchRegTime >= 100.0f && stitchRegTime <= 10000.0f);
    FUZZ_CHECK(stitchButtonsOn == 0 || stitchButtonsOn == 1);
    FUZZ_CHECK(showAdvancedFeatures == 0 || showAdvancedFeatures == 1);
    FUZZ_CHECK(!std::isnan(slow) && !std::isnan(maxSpeed) && !std::isnan(minSpeed));
}

}  // namespace

// The first byte chooses the case: bit 0 the board answered, bit 1 no file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSetUp();
    static const std::string path = ScratchPath("defaults.mrl");
    SetDefaultsFilePath(path.c_str());
    const uint8_t choice = size > 0 ? data[0] : 0;
    if (choice & 2) {
        unlink(path.c_str());
    } else {
        WriteScratch(path, data + (size > 0), size - (size > 0));
    }

    SetStartValues();
    const bool boardAnswered = choice & 1;
    if (boardAnswered) {
        XKp = XKi = YKp = YKi = 7;
        stitchLen = 5, speed = 40, minimumSpeed = 2, stitchRep = 4;
    }
    MergeWithDefaultsFile(boardAnswered);
    DeriveAndValidate();
    CheckLimits();

    std::vector<uint8_t> image;
    FUZZ_CHECK(ReadDefaultsImage(&image) == 1);
    if (!boardAnswered) FUZZ_CHECK(image.size() == static_cast<size_t>(kDefaultsFileBytes));
    if (boardAnswered) {
        FUZZ_CHECK(image.size() >= static_cast<size_t>(4 * kSlotXMargin));
        int value = 0;
        FUZZ_CHECK(ReadDefaultInt(kSlotXKp, &value) == 1 && value == 7);
        FUZZ_CHECK(ReadDefaultInt(kSlotSpeed, &value) == 1 && value == 40);
    }
    return 0;
}
