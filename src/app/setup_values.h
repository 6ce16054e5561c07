// The values of the setup screens: how a released slider, a number typed into
// an entry, a machine type or a switch becomes a machine parameter, a command
// to the board MC1 and a slot of the defaults file, and the text the page then
// shows. The pages call these; nothing here needs a display.
//
// A value held by the board is read back after it is sent, so that the page,
// the parameter and the defaults file show what the board really holds: the
// board's own value when it kept another one, the former value when it did
// not answer.
#pragma once

#include <cstdint>
#include <string>

// Field codes of the sliders (Parameters page).
constexpr char kFieldLength = '8';    // stitchLen, 5-20
constexpr char kFieldMaxSpeed = '9';  // speed, 10-100 in steps of 10
constexpr char kFieldMinSpeed = 'a';  // minimumSpeed, 1-10
constexpr char kFieldLock = 'b';      // stitchRep, 0-10
constexpr char kFieldNeedle = 'c';    // slow, 1-10

// Field codes of the entries. '0'-'7' are the board's constants XKp, YKp,
// TOut, Err, XKi, YKi, XKd, YKd; the letters are kept by this program.
constexpr char kFieldXMargin = 'd';
constexpr char kFieldJumpStitch = 'f';
constexpr char kFieldAcceleration = 'g';
constexpr char kFieldCurvature = 'h';
constexpr char kFieldLeadLine = 'i';
constexpr char kFieldIncrement = 'j';
constexpr char kFieldNeedleUpPress = 'k';
constexpr char kFieldNeedleUpTime = 'l';
constexpr char kFieldStitchRegPress = 'm';
constexpr char kFieldStitchRegTime = 'n';

// Results of applying a value.
enum SetupValueResult {
    kValueStored = 0,       // taken (and for the board's values: the board reports it)
    kValueBoardOther = 1,   // the board reports another value, which is kept and shown
    kValueBoardSilent = 2,  // the board did not answer: the former value is kept and shown
    kValueUnknownField = 3,
};

// Text of the warning shown when the board did not answer a change.
constexpr const char* kBoardSilentText =
    "THE MOTOR CONTROLLER DID NOT ANSWER.\nTHE SETTING WAS NOT CHANGED.";

// "Max Speed" snaps to the nearest 10: (value / 10 + 0.5) truncated, times 10.
int RoundSpeed(double value);

// Applies a released slider: sets the parameter (speed rounded; maxSpeed and
// minSpeed derived), sends its setter, reads the board's setting back and
// stores its defaults slot (stitchLen 2, speed 3, stitchRep 0; minimumSpeed
// and slow have none). *shown receives the value the slider must show: the
// value the board holds. Returns a SetupValueResult.
int ApplySliderValue(char code, double value, double* shown);

// The value a slider shows for its parameter now.
double SliderValue(char code);

// Limits of an entry; false when the field has none (the board's constants).
bool EntryLimits(char code, double* low, double* high);

// The entry's text for a value ("%d", "%0.3f" or "%0.0f" by field).
std::string FormatEntryValue(char code, double value);

// Applies a number entered for an entry field. Program values are limited,
// stored in their parameter and defaults slot. The board's constants
// ('0'-'7', truncated) are sent, read back and, when the board reports them,
// kept in their parameter and slot; `former` is what the entry showed, kept
// when the board is silent. *shown receives the entry's new text.
int ApplyEntryValue(char code, double value, double former, std::string* shown);

// The value an entry of a program parameter shows now (jumpStitch limited to
// 0-200); 0 for the board's constants, which the page reads from the board.
double EntryValue(char code);

// Presets of a machine type (index of the machine-type list, 0-12): sets
// needleUpMethod and, by type, needleUpConfirm and the four stitcher timings
// (Custom keeps them), stores slots 18 to 23 and logs the "Machine Selected:"
// line. Returns kValueStored, or kValueUnknownField for an index outside 0-12.
int ApplyMachineType(int index);

// The switches of the Advanced and Configuration pages: each sets its
// parameter and stores its slot (19, 24; the advanced switch sets
// showAdvancedFeatures and stitchButtonsOn alike and stores 25 and 24).
void SetNeedleUpConfirmSetting(int on);
void SetStitchButtonsSetting(int on);
void SetAdvancedFeaturesSetting(int on);

// "System Info": the operating-system name of a kernel release and its build
// tag ("Keswin" for 2.6.18.2, "Dunlow" for 2.6.29.6, else the release; then
// "-" and the tag), and a firmware version printed with "%f" and cut at the
// first "0" found from character index `from` on.
std::string OperatingSystemName(const std::string& release, const std::string& tag);
std::string FirmwareVersionText(float version, int from);

// The lines of the "System Info" window. kernelFile is "/proc/version" on
// the controller; the versions are read from the board (and, on machine type
// 0, from the stitcher), "N.C." when they do not answer.
std::string SystemInfoText(const char* kernelFile = "/proc/version");
