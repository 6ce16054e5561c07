#include "app/command_line.h"

#include <cstring>

namespace {

// Options of ours that take a value, and where the value goes.
std::string* ValueTarget(const std::string& name, ProgramOptions& options) {
    if (name == "--serial") return &options.serialPath;
    if (name == "--root") return &options.rootDir;
    return nullptr;
}

bool* FlagTarget(const std::string& name, ProgramOptions& options) {
    if (name == "--quit-after-start") return &options.quitAfterStart;
    if (name == "--test-crash") return &options.testCrash;
    if (name == "--crash-message") return &options.crashMessage;
    if (name == "--help" || name == "-h") return &options.help;
    return nullptr;
}

// Toolkit options that take the next argument as their value.
bool ToolkitOptionTakesValue(const std::string& name) {
    static const char* const kNames[] = {"--display",      "--screen",     "--class",
                                         "--name",         "--gtk-module", "--gdk-debug",
                                         "--gdk-no-debug", "--gtk-debug",  "--gtk-no-debug",
                                         "--gxid-host",    "--gxid-port"};
    for (const char* known : kNames)
        if (name == known) return true;
    return false;
}

}  // namespace

ParseResult ParseProgramOptions(int argc, const char* const* argv, ProgramOptions& options,
                                std::vector<std::string>& rest, std::string& error) {
    options = ProgramOptions{};
    rest.clear();
    error.clear();
    rest.emplace_back(argc > 0 && argv[0] ? argv[0] : "longarm");
    bool havePort = false;
    for (int i = 1; i < argc; i++) {
        if (!argv[i]) continue;
        std::string arg = argv[i];
        std::string name = arg;
        std::string inlineValue;
        bool hasInlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            size_t equals = arg.find('=');
            if (equals != std::string::npos) {
                name = arg.substr(0, equals);
                inlineValue = arg.substr(equals + 1);
                hasInlineValue = true;
            }
        }
        if (std::string* target = ValueTarget(name, options)) {
            if (hasInlineValue) {
                *target = inlineValue;
            } else if (i + 1 < argc && argv[i + 1]) {
                *target = argv[++i];
            } else {
                error = name + " needs a value";
                return kParseError;
            }
            if (target->empty()) {
                error = name + " needs a value";
                return kParseError;
            }
            continue;
        }
        if (bool* flag = FlagTarget(name, options)) {
            if (hasInlineValue) {
                error = name + " takes no value";
                return kParseError;
            }
            *flag = true;
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            // Not ours: the toolkit's (--display, --sync, ...), passed on
            // with its value.
            rest.push_back(arg);
            if (!hasInlineValue && ToolkitOptionTakesValue(name) && i + 1 < argc && argv[i + 1])
                rest.emplace_back(argv[++i]);
            continue;
        }
        if (!havePort) {
            options.portSelector = arg;
            havePort = true;
        } else {
            rest.push_back(arg);
        }
    }
    return kParseOk;
}

const char* ProgramUsage() {
    return "usage: longarm [PORT] [--serial PATH] [--root DIR] [--quit-after-start]\n"
           "               [--test-crash] [GTK options]\n"
           "\n"
           "  PORT                first character selects the serial port of the motor\n"
           "                      controller: 1 (the default), 2, anything else the USB adapter\n"
           "  --serial PATH       use this serial device instead (for example the simulated\n"
           "                      board's pseudo-terminal)\n"
           "  --root DIR          map the fixed system locations (/media/usb/, /media/mmc0/,\n"
           "                      /dev/video0, /tmp/undo, /tmp/setPoint, the touch-screen\n"
           "                      calibration) below DIR\n"
           "  --quit-after-start  end the program (status 0) as soon as the first screen is\n"
           "                      shown; for tests and screenshots\n"
           "  --test-crash        cause a segmentation fault once the first screen is shown,\n"
           "                      to try the crash message and the recovery layout\n"
           "  --help              print this text\n"
           "\n"
           "The program runs from its program folder (the working directory), which holds\n"
           "screen.conf, gtkrc, gtkrc_5, images/, patterns/, thumbnails/ and Layout/.\n"
           "It exits with status 0 after a crash or a restart request; the controller's\n"
           "start-up environment starts it again.\n";
}
