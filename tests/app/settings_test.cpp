#include "app/settings_test.h"

#include <cstring>

#include "base/defaults_file.h"
#include "base/program_settings.h"
#include "machine/machine_parameters.h"

namespace {

// The float slots of the file layout as the slot table gives them (11 to 15, 17
// and 20 to 23): a wrong entry there shows as bytes unlike the program's own.
bool IsFloatSlot(size_t k) {
    return k < static_cast<size_t>(kDefaultSlotCount) && kDefaultSlotInfo[k].isFloat;
}

}  // namespace

std::string Column(const std::vector<double>& values) {
    std::string s;
    for (size_t k = 0; k < values.size(); ++k)
        s += IsFloatSlot(k) ? LEFloat(static_cast<float>(values[k]))
                            : LE32(static_cast<int32_t>(values[k]));
    return s;
}

std::vector<double> Slots(const std::string& image) {
    std::vector<double> values;
    for (size_t k = 0; 4 * k + 4 <= image.size() && k < 26; ++k) {
        uint32_t raw = 0;
        for (int i = 0; i < 4; ++i)
            raw |= static_cast<uint32_t>(static_cast<uint8_t>(image[4 * k + i])) << (8 * i);
        float f;
        std::memcpy(&f, &raw, 4);
        values.push_back(IsFloatSlot(k) ? double(f) : double(static_cast<int32_t>(raw)));
    }
    return values;
}

std::vector<double> MemorySlots() {
    return {double(Machine().stitchRep),
            double(Machine().TOut),
            double(Machine().stitchLen),
            double(Machine().speed),
            double(Machine().XKp),
            double(Machine().XKi),
            double(Machine().YKp),
            double(Machine().YKi),
            double(Machine().XKd),
            double(Machine().YKd),
            double(Machine().Err),
            double(Settings().xMargin),
            double(Settings().yMargin),
            double(Machine().jumpStitch),
            double(Machine().acceleration),
            double(Machine().curvature),
            double(Machine().leadLineSpeed),
            double(Machine().moveIncrement),
            double(Machine().needleUpMethod),
            double(Machine().needleUpConfirm),
            double(Machine().needleUpPress),
            double(Machine().needleUpTime),
            double(Machine().stitchRegPress),
            double(Machine().stitchRegTime),
            double(Settings().stitchButtonsOn),
            double(Settings().showAdvancedFeatures)};
}
