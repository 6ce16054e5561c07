// Command-line options of the simulated MC1 board and the help text that
// documents every option, the motion model and the control commands.
#pragma once

#include <string>

struct SimOptions {
    std::string linkPath;         // symbolic link made to the pseudo-terminal's slave device
    std::string controlPath;      // Unix-domain control socket (default: linkPath + ".ctl")
    std::string recordPath;       // CSV of executed moves, empty for none
    std::string logPath;          // decoded command/reply log, empty for none
    std::string firmwareOutPath;  // memory image written at the loader's reset and the end
    std::string picturePath;      // picture of the head's path written at the end
    int pictureWidth = 640, pictureHeight = 480;         // pixels
    double pictureAreaWidth = 0, pictureAreaHeight = 0;  // inches; 0: not given
    double timeScale = 1.0;  // motion runs this many times faster than real time
    bool lineRate = false;   // pace every byte as 10 bits at 57600 baud
    int machine = 0;         // stitcher method 0..12
    float firmware = 1.30f;  // answer to the motor firmware version request
    bool help = false;       // --help given: print the help text and exit
};

// Parses argv into options. Returns true on success; on failure returns false
// and stores a one-line reason in error. Called by main.
bool ParseSimOptions(int argc, char** argv, SimOptions& options, std::string& error);

// The full help text (options, motion model, control commands). Called by main
// for --help and after a usage error.
const char* SimHelpText();
