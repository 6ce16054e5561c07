// The machine at start-up and at a factory reset: the serial line opened and
// the board stopped, the merge of what the board MC1 reports with the defaults
// file "./defaults.mrl", the limits applied to values loaded from the file,
// and the factory reset that sets, sends and saves the factory values.
#pragma once

#include <initializer_list>

// Start-up entry of the serial line: opens it, discards pending input, sends
// the all-stop command and sets the streaming cursor fpTemp to none. Returns 0
// (stored by start-up in `threaded`). A line that cannot be opened is reported
// by OpenPort; every later board operation then answers "not open".
int InitThreads();

// Which way the start-up merge went.
enum StartupMergePath {
    kMergeFromBoard = 0,        // MC1 answered; slots 0 to 10 of the file now follow it
    kMergeDefaultsCreated = 1,  // MC1 silent, no file: first-start values, file written
    kMergeFromFile = 2,         // MC1 silent: parameters read from the file
};

// The start-up merge, run once by start-up after the serial line is opened and
// its banner "done.\nGet Constants From MC1..." printed: sets the start values,
// asks MC1 for its constants and stitch settings and then, by the path taken, takes them and
// the program-only slots of the file, or falls back to the file, or creates
// the file with the first-start values; derives maxSpeed and minSpeed and
// applies the limits. Returns the path taken.
int RunStartupMerge();

// Where the machine parameters in use came from. The start-up merge and the
// loads below set it; the factory reset sets kParametersFactory, which is also
// what a program that never loaded them runs with (the compiled-in values).
enum ParameterSource {
    kParametersFromBoard = 0,
    kParametersFromFile = 1,
    kParametersFirstStart = 2,
    kParametersFactory = 3,
};
ParameterSource MachineParameterSource();

// The words for a source: "the board", "the defaults file", "the first-start
// values", "the factory values".
const char* ParameterSourceName(ParameterSource source);

// Loads the parameters a run would use, as the start-up merge does but without
// writing the defaults file: with askBoard the board's constants and stitch
// settings when it answers, else (or when it is silent) the defaults file when
// it exists, else the first-start values; the program-only slots come from the
// file when it exists. Then derives and validates. Returns the source. Used by
// longarm-tool, which plans and runs jobs without the controller program.
ParameterSource LoadRunParameters(int askBoard);

// The steps of the merge, for tests and tools that bring their own board
// answer. SetStartValues sets the start values of the merge.
void SetStartValues();
// Takes the file into account after the board was asked: boardAnswered 1 when
// the constants (and stitch settings) were stored in the parameters. Returns
// the path taken. Writes the file as the path requires.
int MergeWithDefaultsFile(int boardAnswered);
// Derives maxSpeed and minSpeed, then clamps the loaded values into their
// ranges and replaces a float that is not a number by its replacement value.
// Nothing is written back to the file.
void DeriveAndValidate();

// Stores the current values of the given slots' parameters in the defaults
// file, in one replacement of the whole file. Slots that the file does not
// reach yet (a file written by start-up holds only the board's slots 0 to 10)
// get the current values of their parameters too, never zeros. Returns 1 when
// saved; 0 when the file exists but cannot be read, or cannot be replaced
// (the old file stays). The setup screens call it after every change.
int SaveParameterSlots(std::initializer_list<int> slots);

// Texts of the factory reset.
constexpr const char* kFactoryResetQuestion =
    "THIS WILL RESET ALL PARAMETERS TO THE FACTORY DEFAULT SETTINGS.\n\n DO YOU WANT TO "
    "CONTINUE?\n";
constexpr const char* kFactoryResetDone =
    "ALL PARAMETERS HAVE BEEN RESTORED TO THE FACTORY DEFAULT SETTINGS\n";
constexpr const char* kFactoryResetNotSaved =
    "COULD NOT SAVE THE FACTORY DEFAULT SETTINGS.\nTHEY ARE LOST AT THE NEXT START.";

// Sets every parameter to its factory value (minimumSpeed 2, slow 5.0), derives
// the speeds, sends the board-held values to MC1 (SetXKp, SetYKp, SetXKi,
// SetYKi, SetXKd, SetYKd, SetSpeed, SetMinimumSpeed, SetTOut, SetMaxErr,
// SetStitches, SetLockStitch, SetSlow; nothing is sent while the line is
// closed) and replaces the defaults file whole with the factory column.
// Returns 1 when the file was saved, 0 when it could not be written.
int ResetToFactoryDefaults();

// The factory-reset action: asks kFactoryResetQuestion (warning, OK/Cancel);
// on OK resets as above, calls showReset (when given: the setup screen makes
// its toolbar, menus and pages follow the factory values) and shows
// kFactoryResetDone (information), preceded by the error kFactoryResetNotSaved
// when the file could not be written. Returns 1 when reset, 0 when the quilter
// cancelled. The setup screen's "Factory Defaults" calls it.
int AskAndResetToFactoryDefaults(void (*showReset)() = nullptr);
