// The defaults file's image and the parameters in memory, one value per slot.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "base/defaults_file.h"
#include "base/program_settings.h"
#include "machine/machine_parameters.h"
#include "support/pty_line.h"  // LE32, LEFloat: the bytes of a slot

// The file image of slot values (integer or float as the slot table says).
inline std::string Column(const std::vector<double>& values) {
    std::string s;
    for (size_t k = 0; k < values.size(); ++k)
        s += kDefaultSlotInfo[k].isFloat ? LEFloat(static_cast<float>(values[k]))
                                         : LE32(static_cast<int32_t>(values[k]));
    return s;
}

// The slot values of a file image (its whole slots only).
inline std::vector<double> Slots(const std::string& image) {
    std::vector<double> values;
    for (size_t k = 0; 4 * k + 4 <= image.size() && k < kDefaultSlotCount; ++k) {
        int32_t raw;
        float f;
        std::memcpy(&raw, image.data() + 4 * k, 4);
        std::memcpy(&f, &raw, 4);
        values.push_back(kDefaultSlotInfo[k].isFloat ? double(f) : double(raw));
    }
    return values;
}

// The parameters in memory, slot by slot.
inline std::vector<double> MemorySlots() {
    const MachineParameters& m = Machine();
    const ProgramSettings& s = Settings();
    // clang-format off
    return {double(m.stitchRep), double(m.TOut), double(m.stitchLen), double(m.speed),
            double(m.XKp), double(m.XKi), double(m.YKp), double(m.YKi), double(m.XKd),
            double(m.YKd), double(m.Err), s.xMargin, s.yMargin, m.jumpStitch, m.acceleration,
            m.curvature, double(m.leadLineSpeed), m.moveIncrement, double(m.needleUpMethod),
            double(m.needleUpConfirm), m.needleUpPress, m.needleUpTime, m.stitchRegPress,
            m.stitchRegTime, double(s.stitchButtonsOn), double(s.showAdvancedFeatures)};
    // clang-format on
}
