#include "app/setup_values.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include <glib.h>

#include "app/machine_startup.h"
#include "base/defaults_file.h"
#include "base/kernel_version.h"
#include "base/log.h"
#include "base/program_settings.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/serial_link.h"
#include "maintenance/program_update.h"

namespace {

constexpr int kNoSlot = -1;

// A program parameter edited in an entry: where it lives, its limits, its
// slot and how it is shown.
struct EntryField {
    char code;
    float* real;       // exactly one of real and integer is set
    int32_t* integer;  // (truncated on entry)
    double low, high;
    int slot;
    const char* format;
};

const EntryField kEntryFields[] = {
    {kFieldXMargin, &Settings().xMargin, nullptr, -10, 10, kSlotXMargin, "%0.3f"},
    // Start-up limits the jump to 0-200 too; the entry keeps the two in step.
    {kFieldJumpStitch, &Machine().jumpStitch, nullptr, 0, 200, kSlotJumpStitch, "%0.3f"},
    {kFieldAcceleration, &Machine().acceleration, nullptr, 5, 100, kSlotAcceleration, "%0.0f"},
    {kFieldCurvature, &Machine().curvature, nullptr, 5, 100, kSlotCurvature, "%0.0f"},
    {kFieldLeadLine, nullptr, &Machine().leadLineSpeed, 10, 100, kSlotLeadLineSpeed, "%0.0f"},
    {kFieldIncrement, &Machine().moveIncrement, nullptr, 0.015, 120, kSlotMoveIncrement, "%0.3f"},
    {kFieldNeedleUpPress, &Machine().needleUpPress, nullptr, 3, 1000, kSlotNeedleUpPress, "%0.0f"},
    {kFieldNeedleUpTime, &Machine().needleUpTime, nullptr, 0, 10000, kSlotNeedleUpTime, "%0.0f"},
    {kFieldStitchRegPress, &Machine().stitchRegPress, nullptr, 3, 1000, kSlotStitchRegPress,
     "%0.0f"},
    {kFieldStitchRegTime, &Machine().stitchRegTime, nullptr, 0, 10000, kSlotStitchRegTime, "%0.0f"},
};

// The board's constants in entry-code order '0'-'7'.
struct ConstantField {
    int32_t* global;
    int (*send)(int32_t value);
    int replyIndex;  // index in the constants reply
    int slot;
};

const ConstantField kConstantFields[8] = {
    {&Machine().XKp, SetXKp, kConstXKp, kSlotXKp},
    {&Machine().YKp, SetYKp, kConstYKp, kSlotYKp},
    {&Machine().TOut, SetTOut, kConstTOut, kSlotTOut},
    {&Machine().Err, SetMaxErr, kConstErr, kSlotErr},
    {&Machine().XKi, SetXKi, kConstXKi, kSlotXKi},
    {&Machine().YKi, SetYKi, kConstYKi, kSlotYKi},
    {&Machine().XKd, SetXKd, kConstXKd, kSlotXKd},
    {&Machine().YKd, SetYKd, kConstYKd, kSlotYKd},
};

const EntryField* FindEntry(char code) {
    for (const EntryField& field : kEntryFields)
        if (field.code == code) return &field;
    return nullptr;
}

const ConstantField* FindConstant(char code) {
    return (code >= '0' && code <= '7') ? &kConstantFields[code - '0'] : nullptr;
}

// Formats one number the same way whatever the locale ("." as the point).
std::string Format(const char* format, double value) {
    char text[G_ASCII_DTOSTR_BUF_SIZE];
    g_ascii_formatd(text, sizeof text, format, value);
    return text;
}

// The four stitch settings the board reports, read without touching the
// parameters (the setup query stores its fallback values on silence).
bool ReadStitchSettings(int32_t out[4]) {
    const int32_t saved[4] = {Machine().stitchLen, Machine().speed, Machine().minimumSpeed,
                              Machine().stitchRep};
    const bool read = GetStitchSettingsForSetup() == 0;
    if (read) {
        out[0] = Machine().stitchLen, out[1] = Machine().speed, out[2] = Machine().minimumSpeed,
        out[3] = Machine().stitchRep;
    }
    Machine().stitchLen = saved[0], Machine().speed = saved[1], Machine().minimumSpeed = saved[2],
    Machine().stitchRep = saved[3];
    return read;
}

bool ReadSlow(float* out) {
    const float saved = Machine().slow;
    const bool read = GetSlowSetting() == 0;
    if (read) *out = Machine().slow;
    Machine().slow = saved;
    return read;
}

// A slider of one of the four stitch settings: the parameter, its setter,
// its place in the stitch-settings reply and its slot.
struct SliderField {
    char code;
    int32_t* global;
    int (*send)(int32_t value);
    int replyIndex;
    int slot;
};

const SliderField kSliderFields[] = {
    {kFieldLength, &Machine().stitchLen, SetStitches, 0, kSlotStitchLen},
    {kFieldMaxSpeed, &Machine().speed, SetSpeed, 1, kSlotSpeed},
    {kFieldMinSpeed, &Machine().minimumSpeed, SetMinimumSpeed, 2, kNoSlot},
    {kFieldLock, &Machine().stitchRep, SetLockStitch, 3, kSlotStitchRep},
};

int ApplyStitchSetting(const SliderField& field, int32_t value, double* shown) {
    const int32_t former = *field.global;
    field.send(value);
    int32_t board[4];
    int result = kValueStored;
    if (!ReadStitchSettings(board)) {
        value = former;
        result = kValueBoardSilent;
    } else if (board[field.replyIndex] != value) {
        value = board[field.replyIndex];
        result = kValueBoardOther;
    }
    *field.global = value;
    ComputeDerivedSpeeds();
    if (field.slot != kNoSlot) SaveParameterSlots({field.slot});
    *shown = value;
    return result;
}

int ApplySlow(float value, double* shown) {
    const float former = Machine().slow;
    SetSlow(value);
    float board = 0;
    int result = kValueStored;
    if (!ReadSlow(&board)) {
        value = former;
        result = kValueBoardSilent;
    } else if (board != value) {
        value = board;
        result = kValueBoardOther;
    }
    Machine().slow = value;
    *shown = value;
    return result;
}

int ApplyConstant(const ConstantField& field, int32_t value, double former, std::string* shown) {
    field.send(value);
    int32_t board[kConstantCount] = {};
    int result = kValueStored;
    if (GetConstants(board) != 0) {
        *shown = std::to_string(static_cast<int32_t>(former));
        return kValueBoardSilent;
    }
    if (board[field.replyIndex] != value) {
        value = board[field.replyIndex];
        result = kValueBoardOther;
    }
    *field.global = value;
    SaveParameterSlots({field.slot});
    *shown = std::to_string(value);
    return result;
}

// Stitcher timings of a machine type: needleUpConfirm, both presses,
// needleUpTime, stitchRegTime, and the line logged.
struct MachinePreset {
    int confirm;
    float press, upTime, regTime;
    const char* line;
};

const MachinePreset kCorvaneOld = {1, 0, 0, 0,
                                   "Machine Selected: Corvane Old Style with Needle Up"};
const MachinePreset kCorvaneTwin = {1, 50, 1000, 10,
                                    "Machine Selected: Corvane Twin with Needle Up"};
const MachinePreset kGeneral = {0, 50, 1000, 10, "Machine Selected: General"};
const MachinePreset kCorvane18 = {0, 100, 100, 100, "Machine Selected: Corvane 18"};
constexpr int kCustomType = 11;

const MachinePreset& PresetOf(int index) {
    if (index == 0) return kCorvaneOld;
    if (index == 1) return kCorvaneTwin;
    if (index == 12) return kCorvane18;
    return kGeneral;
}

}  // namespace

int RoundSpeed(double value) {
    return static_cast<int>(value / 10 + 0.5) * 10;
}

int ApplySliderValue(char code, double value, double* shown) {
    if (code == kFieldNeedle) return ApplySlow(static_cast<float>(value), shown);
    for (const SliderField& field : kSliderFields) {
        if (field.code != code) continue;
        const int32_t sent =
            code == kFieldMaxSpeed ? RoundSpeed(value) : static_cast<int32_t>(std::lround(value));
        return ApplyStitchSetting(field, sent, shown);
    }
    return kValueUnknownField;
}

double SliderValue(char code) {
    if (code == kFieldNeedle) return Machine().slow;
    for (const SliderField& field : kSliderFields)
        if (field.code == code) return *field.global;
    return 0;
}

bool EntryLimits(char code, double* low, double* high) {
    const EntryField* field = FindEntry(code);
    if (!field) return false;
    *low = field->low;
    *high = field->high;
    return true;
}

std::string FormatEntryValue(char code, double value) {
    const EntryField* field = FindEntry(code);
    return field ? Format(field->format, value) : std::to_string(static_cast<int32_t>(value));
}

int ApplyEntryValue(char code, double value, double former, std::string* shown) {
    if (const ConstantField* constant = FindConstant(code))
        return ApplyConstant(*constant, static_cast<int32_t>(value), former, shown);
    const EntryField* field = FindEntry(code);
    if (!field) return kValueUnknownField;
    if (!(value >= field->low)) value = field->low;  // also a value that is not a number
    if (value > field->high) value = field->high;
    if (field->integer) {
        *field->integer = static_cast<int32_t>(value);
        *shown = Format(field->format, *field->integer);
    } else {
        *field->real = static_cast<float>(value);
        *shown = Format(field->format, *field->real);
    }
    SaveParameterSlots({field->slot});
    return kValueStored;
}

double EntryValue(char code) {
    const EntryField* field = FindEntry(code);
    if (!field) return 0;
    double value = field->integer ? *field->integer : *field->real;
    if (code == kFieldJumpStitch) value = std::fmin(std::fmax(value, 0.0), 200.0);
    return value;
}

int ApplyMachineType(int index) {
    if (index < 0 || index >= kMachineTypeCount) return kValueUnknownField;
    Machine().needleUpMethod = index;
    if (index == kCustomType) {
        LogLine("Machine Selected: Custom");
    } else {
        const MachinePreset& preset = PresetOf(index);
        Machine().needleUpConfirm = preset.confirm;
        Machine().needleUpPress = Machine().stitchRegPress = preset.press;
        Machine().needleUpTime = preset.upTime;
        Machine().stitchRegTime = preset.regTime;
        LogLine(preset.line);
    }
    SaveParameterSlots({kSlotNeedleUpMethod, kSlotNeedleUpConfirm, kSlotNeedleUpPress,
                        kSlotNeedleUpTime, kSlotStitchRegPress, kSlotStitchRegTime});
    return kValueStored;
}

void SetNeedleUpConfirmSetting(int on) {
    Machine().needleUpConfirm = on ? 1 : 0;
    SaveParameterSlots({kSlotNeedleUpConfirm});
}

void SetStitchButtonsSetting(int on) {
    Settings().stitchButtonsOn = on ? 1 : 0;
    SaveParameterSlots({kSlotStitchButtonsOn});
}

void SetAdvancedFeaturesSetting(int on) {
    Settings().showAdvancedFeatures = Settings().stitchButtonsOn = on ? 1 : 0;
    SaveParameterSlots({kSlotShowAdvancedFeatures, kSlotStitchButtonsOn});
}

std::string OperatingSystemName(const std::string& release, const std::string& tag) {
    std::string name = release;
    if (release == "2.6.18.2") name = "Keswin";
    if (release == "2.6.29.6") name = "Dunlow";
    return name + "-" + tag;
}

std::string FirmwareVersionText(float version, int from) {
    std::string text = Format("%f", version);
    const size_t zero = text.find('0', static_cast<size_t>(from));
    if (zero != std::string::npos) text.resize(zero);
    return text;
}

std::string SystemInfoText(const char* kernelFile) {
    std::string release, tag;
    const std::string os = GetKernelFrom(kernelFile, &release, &tag) == 0
                               ? OperatingSystemName(release, tag)
                               : "######";
    float motor = 0;
    std::string mc = "N.C.";
    if (GetMotorVersion(&motor) == 0)
        mc = FirmwareVersionText(motor, 4);
    else
        ClearPort();
    std::string sc;
    if (CurrentStitcherMethod() == 0) {
        float stitcher = 0;
        sc = GetStitcherVersion(&stitcher) == 0 ? FirmwareVersionText(stitcher, 3) : "N.C.";
    } else {
        sc = machineTypeNames[CurrentStitcherMethod()];
    }
    return std::string("Software Version: ") + kSoftwareVersion + "\nOS: " + os +
           "\nMC Firmware: " + mc + "\nSC Firmware: " + sc;
}
