#include "app/machine_startup.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "base/defaults_file.h"
#include "base/log.h"
#include "base/program_settings.h"
#include "base/ui_hooks.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/serial_link.h"
#include "machine/stitching/run_flags.h"

namespace {

// One slot of the defaults file with the parameter it holds and its three
// values: at the very first start, written when the slot cannot be read while
// the board is silent, and after a factory reset.
struct SlotEntry {
    int slot;
    int32_t* integer;  // exactly one of integer and real is set
    float* real;
    double firstStart;
    double unreadable;
    double factory;
};

const SlotEntry kSlots[kDefaultSlotCount] = {
    {kSlotStitchRep, &Machine().stitchRep, nullptr, 4, 2, 4},
    {kSlotTOut, &Machine().TOut, nullptr, 100, 5, 100},
    {kSlotStitchLen, &Machine().stitchLen, nullptr, 5, 10, 5},
    {kSlotSpeed, &Machine().speed, nullptr, 40, 50, 40},
    {kSlotXKp, &Machine().XKp, nullptr, 30, 30, 30},
    {kSlotXKi, &Machine().XKi, nullptr, 8, 0, 8},
    {kSlotYKp, &Machine().YKp, nullptr, 30, 25, 30},
    {kSlotYKi, &Machine().YKi, nullptr, 8, 0, 8},
    {kSlotXKd, &Machine().XKd, nullptr, 40, 300, 40},
    {kSlotYKd, &Machine().YKd, nullptr, 40, 6, 40},
    {kSlotErr, &Machine().Err, nullptr, 100, 6, 100},
    {kSlotXMargin, nullptr, &Settings().xMargin, 0.0, 0.0, 0.0},
    {kSlotYMargin, nullptr, &Settings().yMargin, 0.0, 0.0, 0.0},
    {kSlotJumpStitch, nullptr, &Machine().jumpStitch, 0.0, 0.0, 0.0},
    {kSlotAcceleration, nullptr, &Machine().acceleration, 40.0, 40.0, 40.0},
    {kSlotCurvature, nullptr, &Machine().curvature, 40.0, 40.0, 40.0},
    {kSlotLeadLineSpeed, &Machine().leadLineSpeed, nullptr, 60, 80, 60},
    {kSlotMoveIncrement, nullptr, &Machine().moveIncrement, 0.1, 0.0625, 0.1},
    {kSlotNeedleUpMethod, &Machine().needleUpMethod, nullptr, 0, 0, 0},
    {kSlotNeedleUpConfirm, &Machine().needleUpConfirm, nullptr, 1, 1, 1},
    {kSlotNeedleUpPress, nullptr, &Machine().needleUpPress, 50.0, 50.0, 0.0},
    {kSlotNeedleUpTime, nullptr, &Machine().needleUpTime, 1000.0, 1000.0, 0.0},
    {kSlotStitchRegPress, nullptr, &Machine().stitchRegPress, 50.0, 50.0, 0.0},
    {kSlotStitchRegTime, nullptr, &Machine().stitchRegTime, 1000.0, 1000.0, 0.0},
    {kSlotStitchButtonsOn, &Settings().stitchButtonsOn, nullptr, 0, 0, 0},
    {kSlotShowAdvancedFeatures, &Settings().showAdvancedFeatures, nullptr, 0, 0, 0},
};

// The slots that exist only in the file (not held by MC1).
constexpr int kFirstProgramSlot = kSlotXMargin;

void SetParameter(const SlotEntry& entry, double value) {
    if (entry.integer != nullptr) {
        *entry.integer = static_cast<int32_t>(value);
    } else {
        *entry.real = static_cast<float>(value);
    }
}

void PutValue(std::vector<uint8_t>* image, const SlotEntry& entry, double value) {
    if (entry.integer != nullptr) {
        PutSlotInt(image, entry.slot, static_cast<int32_t>(value));
    } else {
        PutSlotFloat(image, entry.slot, static_cast<float>(value));
    }
}

void PutCurrent(std::vector<uint8_t>* image, const SlotEntry& entry) {
    if (entry.integer != nullptr) {
        PutSlotInt(image, entry.slot, *entry.integer);
    } else {
        PutSlotFloat(image, entry.slot, *entry.real);
    }
}

// Reads one slot of the file into its parameter; false leaves the parameter.
bool LoadSlot(const SlotEntry& entry) {
    return entry.integer != nullptr ? ReadDefaultInt(entry.slot, entry.integer) == 1
                                    : ReadDefaultFloat(entry.slot, entry.real) == 1;
}

// MC1 answered: the program-only slots come from the file when it exists, and
// the board's values go into slots 0 to 10 so the file follows the board.
void MergeBoardAnswer() {
    std::vector<uint8_t> image;
    if (DefaultsFileExists()) {
        for (int k = kFirstProgramSlot; k < kDefaultSlotCount; ++k)
            LoadSlot(kSlots[k]);
        ReadDefaultsImage(&image);
    }
    for (int k = 0; k < kFirstProgramSlot; ++k)
        PutCurrent(&image, kSlots[k]);
    ReplaceDefaultsFile(image);
}

ParameterSource parameterSource = kParametersFactory;

// The first-start values of every slot (and of the two board values that have
// no slot) in memory only.
void SetFirstStartValues() {
    for (const SlotEntry& entry : kSlots)
        SetParameter(entry, entry.firstStart);
    Machine().minimumSpeed = 2;
    Machine().slow = 5.0f;
}

// MC1 silent and no file: the first-start values everywhere, saved whole.
void CreateDefaults() {
    LogLine("Communications With MC1 Failed. Default File Not Present. Setting Defaults...");
    SetFirstStartValues();
    std::vector<uint8_t> image;
    for (const SlotEntry& entry : kSlots)
        PutValue(&image, entry, entry.firstStart);
    ReplaceDefaultsFile(image);
}

// MC1 silent and a file: every slot read in order; a slot that cannot be read
// keeps its start value in memory and gets the fallback value in the file, so
// a short file is completed (in one replacement of the whole file).
void LoadFromFile() {
    LogLine("Communications With MC1 Failed. Retrieve From File...");
    std::vector<uint8_t> image;
    bool readable = ReadDefaultsImage(&image) == 1;
    bool completed = false;
    for (const SlotEntry& entry : kSlots) {
        if (LoadSlot(entry)) continue;
        PutValue(&image, entry, entry.unreadable);
        completed = true;
    }
    if (completed && readable) ReplaceDefaultsFile(image);
}

float Clamp(float value, float low, float high) {
    if (value < low) return low;
    if (value > high) return high;
    return value;
}

void ReplaceNotANumber(float* value, float replacement) {
    if (std::isnan(*value)) *value = replacement;
}

}  // namespace

int SaveParameterSlots(std::initializer_list<int> slots) {
    std::vector<uint8_t> image;
    if (!ReadDefaultsImage(&image) && DefaultsFileExists()) {
        Log("ERROR: could not read %s; the setting is not saved\n", DefaultsFilePath());
        return 0;
    }
    for (size_t k = image.size() / 4; k < static_cast<size_t>(kDefaultSlotCount); ++k)
        PutCurrent(&image, kSlots[k]);
    for (int slot : slots)
        if (slot >= 0 && slot < kDefaultSlotCount) PutCurrent(&image, kSlots[slot]);
    return ReplaceDefaultsFile(image);
}

void SetStartValues() {
    ResetProgramSettings();
    MachineParameters& m = Machine();
    m.XKp = m.XKi = m.XKd = m.YKp = m.YKi = m.YKd = 0;
    m.TOut = m.Err = m.speed = m.stitchLen = 0;
    m.jumpStitch = 0.0f;
    m.acceleration = m.curvature = 40.0f;
    m.leadLineSpeed = 60;
    m.moveIncrement = 0.1f;
    m.needleUpMethod = 0;
    m.needleUpConfirm = 1;
    m.needleUpPress = m.needleUpTime = m.stitchRegPress = m.stitchRegTime = 0.0f;
}

int MergeWithDefaultsFile(int boardAnswered) {
    if (boardAnswered) {
        MergeBoardAnswer();
        parameterSource = kParametersFromBoard;
        return kMergeFromBoard;
    }
    if (!DefaultsFileExists()) {
        CreateDefaults();
        parameterSource = kParametersFirstStart;
        return kMergeDefaultsCreated;
    }
    LoadFromFile();
    parameterSource = kParametersFromFile;
    return kMergeFromFile;
}

ParameterSource MachineParameterSource() {
    return parameterSource;
}

const char* ParameterSourceName(ParameterSource source) {
    switch (source) {
        case kParametersFromBoard:
            return "the board";
        case kParametersFromFile:
            return "the defaults file";
        case kParametersFirstStart:
            return "the first-start values";
        case kParametersFactory:
            break;
    }
    return "the factory values";
}

ParameterSource LoadRunParameters(int askBoard) {
    SetStartValues();
    int32_t constants[kConstantCount] = {};
    const bool answered = askBoard && GetConstants(constants) == 0;
    const bool file = DefaultsFileExists() == 1;
    if (answered) {
        ApplyConstants(constants);
        GetStitchSettingsAtStartUp();
        // The program-only slots: from the file, or their first-start values.
        for (int k = kFirstProgramSlot; k < kDefaultSlotCount; ++k)
            if (!file || !LoadSlot(kSlots[k])) SetParameter(kSlots[k], kSlots[k].firstStart);
        parameterSource = kParametersFromBoard;
    } else if (file) {
        // As the start-up merge reads the file: a slot it cannot read keeps
        // its start value.
        for (const SlotEntry& entry : kSlots)
            LoadSlot(entry);
        Machine().minimumSpeed = 2;
        parameterSource = kParametersFromFile;
    } else {
        SetFirstStartValues();
        parameterSource = kParametersFirstStart;
    }
    DeriveAndValidate();
    return parameterSource;
}

void DeriveAndValidate() {
    MachineParameters& m = Machine();
    ComputeDerivedSpeeds();

    // Limits, each bound inclusive. A not-a-number passes every comparison
    // and is replaced at the end.
    Settings().xMargin = Clamp(Settings().xMargin, -10.0f, 10.0f);  // yMargin has no limit
    m.jumpStitch = Clamp(m.jumpStitch, 0.0f, 200.0f);
    m.acceleration = Clamp(m.acceleration, 5.0f, 100.0f);
    m.curvature = Clamp(m.curvature, 5.0f, 100.0f);
    if (m.leadLineSpeed <= 9) m.leadLineSpeed = 10;
    if (m.leadLineSpeed > 100) m.leadLineSpeed = 100;
    m.moveIncrement = Clamp(m.moveIncrement, 0.015f, 120.0f);
    if (m.needleUpMethod < 0 || m.needleUpMethod > 12) m.needleUpMethod = 0;
    if (m.needleUpConfirm < 0 || m.needleUpConfirm > 1) m.needleUpConfirm = 1;
    if (m.needleUpPress < 0.0f || m.needleUpPress > 10000.0f) m.needleUpPress = 0.0f;
    if (m.stitchRegPress < 0.0f || m.stitchRegPress > 10000.0f) m.stitchRegPress = 0.0f;
    if (m.needleUpTime > 10000.0f || m.needleUpTime < 100.0f) m.needleUpTime = 100.0f;
    if (m.stitchRegTime > 10000.0f || m.stitchRegTime < 100.0f) m.stitchRegTime = 100.0f;
    if (Settings().stitchButtonsOn < 0 || Settings().stitchButtonsOn > 1)
        Settings().stitchButtonsOn = 0;
    if (Settings().showAdvancedFeatures < 0 || Settings().showAdvancedFeatures > 1)
        Settings().showAdvancedFeatures = 0;

    ReplaceNotANumber(&m.slow, 5.0f);
    ReplaceNotANumber(&Settings().xMargin, 0.0f);
    ReplaceNotANumber(&Settings().yMargin, 0.0f);
    ReplaceNotANumber(&m.jumpStitch, 0.0f);
    ReplaceNotANumber(&m.acceleration, 40.0f);
    ReplaceNotANumber(&m.curvature, 40.0f);
    ReplaceNotANumber(&m.moveIncrement, 0.0625f);
    ReplaceNotANumber(&m.needleUpPress, 10.0f);
    ReplaceNotANumber(&m.needleUpTime, 1000.0f);
    ReplaceNotANumber(&m.stitchRegPress, 10.0f);
    ReplaceNotANumber(&m.stitchRegTime, 1000.0f);
}

int InitThreads() {
    OpenPort();
    ClearPort();
    AllStop();
    fpTemp = nullptr;
    return 0;
}

int RunStartupMerge() {
    SetStartValues();
    int32_t constants[kConstantCount] = {};
    bool answered = GetConstants(constants) == 0;
    if (answered) {
        ApplyConstants(constants);
        GetStitchSettingsAtStartUp();  // stores 5, 40, 2, 4 when the bytes come too late
    }
    int path = MergeWithDefaultsFile(answered ? 1 : 0);
    DeriveAndValidate();
    return path;
}

int ResetToFactoryDefaults() {
    MachineParameters& m = Machine();
    parameterSource = kParametersFactory;
    SetFactoryDefaults();  // board parameters, minimumSpeed 2, slow 5.0, derived speeds
    std::vector<uint8_t> image;
    for (const SlotEntry& entry : kSlots) {
        SetParameter(entry, entry.factory);
        PutValue(&image, entry, entry.factory);
    }
    m.minimumSpeed = 2;
    m.slow = 5.0f;
    ComputeDerivedSpeeds();

    SetXKp(m.XKp);
    SetYKp(m.YKp);
    SetXKi(m.XKi);
    SetYKi(m.YKi);
    SetXKd(m.XKd);
    SetYKd(m.YKd);
    SetSpeed(m.speed);
    SetMinimumSpeed(m.minimumSpeed);
    SetTOut(m.TOut);
    SetMaxErr(m.Err);
    SetStitches(m.stitchLen);
    SetLockStitch(m.stitchRep);
    SetSlow(m.slow);

    // The whole file is replaced at once: a power cut leaves the old or the
    // factory file, never an empty one.
    return ReplaceDefaultsFile(image);
}

int AskAndResetToFactoryDefaults(void (*showReset)()) {
    if (ShowMessage(kMessageWarning, kButtonsOkCancel, kFactoryResetQuestion) != kResponseOk) {
        return 0;
    }
    const bool saved = ResetToFactoryDefaults() == 1;
    if (showReset) showReset();
    if (!saved) ShowMessage(kMessageError, kButtonsOk, kFactoryResetNotSaved);
    ShowMessage(kMessageInfo, kButtonsOk, kFactoryResetDone);
    return 1;
}
