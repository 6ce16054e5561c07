// The program's command line: the serial-port selector in the first argument,
// and the options that let the program run against another device, below a
// substitute system root, or for one short start in tests.
#pragma once

#include <string>
#include <vector>

struct ProgramOptions {
    std::string portSelector;     // first argument that is not an option; "" when none
    std::string serialPath;       // --serial PATH: explicit serial device; "" for the port table
    std::string rootDir;          // --root DIR: folder below which fixed system paths are mapped
    bool quitAfterStart = false;  // --quit-after-start: end once the first screen is shown
    bool testCrash = false;       // --test-crash: cause a segmentation fault after start-up
    bool crashMessage = false;    // --crash-message: only show the crash message and exit
    bool help = false;            // --help: print the usage text and exit
};

// Result of ParseProgramOptions.
enum ParseResult { kParseOk = 0, kParseError = 1 };

// Reads the program's own options from the argument vector. Toolkit options
// (such as --display) and anything else starting with "--" that is not ours
// are kept in `rest`, in order, after the program name, so the toolkit can
// take them; the first argument that is no option becomes the port selector.
// Returns kParseOk, or kParseError with a one-line reason in `error` (a
// missing option value, an unknown option of ours).
ParseResult ParseProgramOptions(int argc, const char* const* argv, ProgramOptions& options,
                                std::vector<std::string>& rest, std::string& error);

// The usage text printed by --help.
const char* ProgramUsage();
