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
    {kSlotStitchRep, &stitchRep, nullptr, 4, 2, 4},
    {kSlotTOut, &TOut, nullptr, 100, 5, 100},
    {kSlotStitchLen, &stitchLen, nullptr, 5, 10, 5},
    {kSlotSpeed, &speed, nullptr, 40, 50, 40},
    {kSlotXKp, &XKp, nullptr, 30, 30, 30},
    {kSlotXKi, &XKi, nullptr, 8, 0, 8},
    {kSlotYKp, &YKp, nullptr, 30, 25, 30},
    {kSlotYKi, &YKi, nullptr, 8, 0, 8},
    {kSlotXKd, &XKd, nullptr, 40, 300, 40},
    {kSlotYKd, &YKd, nullptr, 40, 6, 40},
    {kSlotErr, &Err, nullptr, 100, 6, 100},
    {kSlotXMargin, nullptr, &xMargin, 0.0, 0.0, 0.0},
    {kSlotYMargin, nullptr, &yMargin, 0.0, 0.0, 0.0},
    {kSlotJumpStitch, nullptr, &jumpStitch, 0.0, 0.0, 0.0},
    {kSlotAcceleration, nullptr, &acceleration, 40.0, 40.0, 40.0},
    {kSlotCurvature, nullptr, &curvature, 40.0, 40.0, 40.0},
    {kSlotLeadLineSpeed, &leadLineSpeed, nullptr, 60, 80, 60},
    {kSlotMoveIncrement, nullptr, &moveIncrement, 0.1, 0.0625, 0.1},
    {kSlotNeedleUpMethod, &needleUpMethod, nullptr, 0, 0, 0},
    {kSlotNeedleUpConfirm, &needleUpConfirm, nullptr, 1, 1, 1},
    {kSlotNeedleUpPress, nullptr, &needleUpPress, 50.0, 50.0, 0.0},
    {kSlotNeedleUpTime, nullptr, &needleUpTime, 1000.0, 1000.0, 0.0},
    {kSlotStitchRegPress, nullptr, &stitchRegPress, 50.0, 50.0, 0.0},
    {kSlotStitchRegTime, nullptr, &stitchRegTime, 1000.0, 1000.0, 0.0},
    {kSlotStitchButtonsOn, &stitchButtonsOn, nullptr, 0, 0, 0},
    {kSlotShowAdvancedFeatures, &showAdvancedFeatures, nullptr, 0, 0, 0},
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
    minimumSpeed = 2;
    slow = 5.0f;
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
    XKp = XKi = XKd = YKp = YKi = YKd = 0;
    TOut = Err = speed = stitchLen = 0;
    xMargin = yMargin = jumpStitch = 0.0f;
    acceleration = curvature = 40.0f;
    leadLineSpeed = 60;
    moveIncrement = 0.1f;
    needleUpMethod = 0;
    needleUpConfirm = 1;
    needleUpPress = needleUpTime = stitchRegPress = stitchRegTime = 0.0f;
    stitchButtonsOn = showAdvancedFeatures = 0;
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
        minimumSpeed = 2;
        parameterSource = kParametersFromFile;
    } else {
        SetFirstStartValues();
        parameterSource = kParametersFirstStart;
    }
    DeriveAndValidate();
    return parameterSource;
}

void DeriveAndValidate() {
    ComputeDerivedSpeeds();

    // Limits, each bound inclusive. A not-a-number passes every comparison
    // and is replaced at the end.
    xMargin = Clamp(xMargin, -10.0f, 10.0f);  // yMargin has no limit
    jumpStitch = Clamp(jumpStitch, 0.0f, 200.0f);
    acceleration = Clamp(acceleration, 5.0f, 100.0f);
    curvature = Clamp(curvature, 5.0f, 100.0f);
    if (leadLineSpeed <= 9) leadLineSpeed = 10;
    if (leadLineSpeed > 100) leadLineSpeed = 100;
    moveIncrement = Clamp(moveIncrement, 0.015f, 120.0f);
    if (needleUpMethod < 0 || needleUpMethod > 12) needleUpMethod = 0;
    if (needleUpConfirm < 0 || needleUpConfirm > 1) needleUpConfirm = 1;
    if (needleUpPress < 0.0f || needleUpPress > 10000.0f) needleUpPress = 0.0f;
    if (stitchRegPress < 0.0f || stitchRegPress > 10000.0f) stitchRegPress = 0.0f;
    if (needleUpTime > 10000.0f || needleUpTime < 100.0f) needleUpTime = 100.0f;
    if (stitchRegTime > 10000.0f || stitchRegTime < 100.0f) stitchRegTime = 100.0f;
    if (stitchButtonsOn < 0 || stitchButtonsOn > 1) stitchButtonsOn = 0;
    if (showAdvancedFeatures < 0 || showAdvancedFeatures > 1) showAdvancedFeatures = 0;

    ReplaceNotANumber(&slow, 5.0f);
    ReplaceNotANumber(&xMargin, 0.0f);
    ReplaceNotANumber(&yMargin, 0.0f);
    ReplaceNotANumber(&jumpStitch, 0.0f);
    ReplaceNotANumber(&acceleration, 40.0f);
    ReplaceNotANumber(&curvature, 40.0f);
    ReplaceNotANumber(&moveIncrement, 0.0625f);
    ReplaceNotANumber(&needleUpPress, 10.0f);
    ReplaceNotANumber(&needleUpTime, 1000.0f);
    ReplaceNotANumber(&stitchRegPress, 10.0f);
    ReplaceNotANumber(&stitchRegTime, 1000.0f);
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
    parameterSource = kParametersFactory;
    SetFactoryDefaults();  // board parameters, minimumSpeed 2, slow 5.0, derived speeds
    std::vector<uint8_t> image;
    for (const SlotEntry& entry : kSlots) {
        SetParameter(entry, entry.factory);
        PutValue(&image, entry, entry.factory);
    }
    minimumSpeed = 2;
    slow = 5.0f;
    ComputeDerivedSpeeds();

    SetXKp(XKp);
    SetYKp(YKp);
    SetXKi(XKi);
    SetYKi(YKi);
    SetXKd(XKd);
    SetYKd(YKd);
    SetSpeed(speed);
    SetMinimumSpeed(minimumSpeed);
    SetTOut(TOut);
    SetMaxErr(Err);
    SetStitches(stitchLen);
    SetLockStitch(stitchRep);
    SetSlow(slow);

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
