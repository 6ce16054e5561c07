// The defaults file "defaults.mrl" (26 binary slots) on arbitrary bytes, merged
// at start-up as with a silent or an answering board, then validated. Every
// loaded value must end inside its limits; afterwards the file holds all 26
// slots (silent board) or at least slots 0 to 10 with the board's values.
#include <unistd.h>

#include <cmath>
#include <vector>

#include "app/machine_startup.h"
#include "base/defaults_file.h"
#include "base/program_settings.h"
#include "fuzz_support.h"
#include "machine/machine_parameters.h"

namespace {

void CheckLimits() {
    const MachineParameters& m = Machine();
    const ProgramSettings& p = Settings();
    FUZZ_CHECK(p.xMargin >= -10.0f && p.xMargin <= 10.0f);
    FUZZ_CHECK(!std::isnan(p.yMargin));
    FUZZ_CHECK(m.jumpStitch >= 0.0f && m.jumpStitch <= 200.0f);
    FUZZ_CHECK(m.acceleration >= 5.0f && m.acceleration <= 100.0f);
    FUZZ_CHECK(m.curvature >= 5.0f && m.curvature <= 100.0f);
    FUZZ_CHECK(m.leadLineSpeed >= 10 && m.leadLineSpeed <= 100);
    FUZZ_CHECK(m.moveIncrement >= 0.015f && m.moveIncrement <= 120.0f);
    FUZZ_CHECK(m.needleUpMethod >= 0 && m.needleUpMethod <= 12);
    FUZZ_CHECK(m.needleUpConfirm == 0 || m.needleUpConfirm == 1);
    FUZZ_CHECK(m.needleUpPress >= 0.0f && m.needleUpPress <= 10000.0f);
    FUZZ_CHECK(m.stitchRegPress >= 0.0f && m.stitchRegPress <= 10000.0f);
    FUZZ_CHECK(m.needleUpTime >= 100.0f && m.needleUpTime <= 10000.0f);
    FUZZ_CHECK(m.stitchRegTime >= 100.0f && m.stitchRegTime <= 10000.0f);
    FUZZ_CHECK(p.stitchButtonsOn == 0 || p.stitchButtonsOn == 1);
    FUZZ_CHECK(p.showAdvancedFeatures == 0 || p.showAdvancedFeatures == 1);
    FUZZ_CHECK(!std::isnan(m.slow) && !std::isnan(m.maxSpeed) && !std::isnan(m.minSpeed));
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
        MachineParameters& m = Machine();
        m.XKp = m.XKi = m.YKp = m.YKi = 7;
        m.stitchLen = 5, m.speed = 40, m.minimumSpeed = 2, m.stitchRep = 4;
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
