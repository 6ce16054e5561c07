// longarm-tool board: runs one operation of the MC1 command set through the
// same code the controller program uses and prints its result code and values,
// so a service technician can check a board from a laptop.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/log.h"
#include "commands.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/mc1_motion.h"
#include "machine/serial_link.h"
#include "machine/stitcher.h"
#include "machine/stitching/motor_diagnostics.h"
#include "tool_support.h"

namespace {

const char kUsage[] =
    "usage: longarm-tool board (--serial PATH | --port 0|1|2) [OPTIONS] COMMAND [ARGS]\n"
    "\n"
    "Runs one operation of the MC1 command set and prints result=<code>, then one\n"
    "name=value line per value read (only when the operation succeeded). Numbers are\n"
    "decimal. Diagnostic log lines go to standard error. Exit status 0 when the\n"
    "operation ran, whatever its result code; 2 for a usage error.\n"
    "\n"
    "The line is opened and pending input discarded; unlike the controller program's\n"
    "start-up, no all-stop is sent, so queries never stop a running board. Use 'stop'\n"
    "to stop it.\n"
    "\n"
    "commands:\n"
    "  constants              the eight board constants (XKp XKi YKp YKi YKd Err TOut XKd)\n"
    "  stitch-settings        stitchLen, speed, minimumSpeed, stitchRep\n"
    "  slow                   the slow-down setting\n"
    "  position               head position x, y in thousandths of an inch\n"
    "  move X Y FEED          one move frame; X, Y in thousandths of an inch\n"
    "  status                 queue status byte and error word\n"
    "  errors                 the board's error word\n"
    "  stop                   all-stop: stop, clear the queue, resume\n"
    "  halt | resume | home | clear-queue | enable-x | disable-x | enable-y | disable-y\n"
    "  set NAME VALUE         send one parameter: XKp XKi XKd YKp YKi YKd Err TOut\n"
    "                         stitchLen stitchRep speed minimumSpeed slow\n"
    "  stitch-on | stitch-off stitching on / off (always sent)\n"
    "  needle-up              raise the needle (with the needle check)\n"
    "  stitcher               the stitcher check before a run (status=)\n"
    "  version                the board's firmware version\n"
    "  direction              the motor direction byte (200 = reverse)\n"
    "  reverse                reverse the motor direction and read it again\n"
    "  test-x | test-y        the motor test of one axis (moves the head about 4 inches\n"
    "                         in x and 3.8 inches toward the back; the head position\n"
    "                         becomes the board's home)\n"
    "  test-all               both motor tests, then the stitcher link\n"
    "  port-d                 presses and releases the stitcher's three buttons\n"
    "\n"
    "The four tests print, instead of result= lines, exactly the text the setup\n"
    "screen's Test page shows, as it is written (a test that starts its text afresh\n"
    "goes on below). They first read the board's speed and constants, which every\n"
    "test sends back when it ends; a board that does not answer them ends the tool\n"
    "with status 1 before anything moves.\n"
    "\n"
    "options:\n"
    "  --serial PATH          the serial device (or the simulated board's link)\n"
    "  --port N               port of the controller board: 0 s3c2410_serial1,\n"
    "                         1 ttyUSB0, 2 s3c2410_serial2\n"
    "  --method N             machine type 0..12 for the stitcher commands (default 0)\n"
    "  --press MS             button press length for needle and stitch buttons (50)\n"
    "  --wait MS              wait after a press / needle check time (1000)\n"
    "  --confirm 0|1          confirm the needle with the sensor (1)\n";

struct BoardOptions {
    std::string serial;
    std::string port;
    int method = 0;
    float pressMs = 50.0f;
    float waitMs = 1000.0f;
    int confirm = 1;
    std::vector<std::string> words;  // the command and its arguments
};

int UsageError(const std::string& why) {
    std::fprintf(stderr, "longarm-tool board: %s\n\n%s", why.c_str(), kUsage);
    return 2;
}

bool ParseFloat(const std::string& text, float* value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(parsed) || std::fabs(parsed) > 1e30)
        return false;
    *value = static_cast<float>(parsed);
    return true;
}

// Splits options from the command words; returns an empty string or the error.
std::string ParseOptions(const Arguments& args, BoardOptions* options) {
    for (size_t i = 0; i < args.size(); i++) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            options->words.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) return "option " + a + " needs a value";
        const std::string& v = args[++i];
        long number = 0;
        if (a == "--serial") {
            options->serial = v;
        } else if (a == "--port") {
            if (!ParseWholeNumber(v, 0, 2, number)) return "--port takes 0, 1 or 2";
            options->port = v;
        } else if (a == "--method") {
            if (!ParseWholeNumber(v, 0, kMachineTypeCount - 1, number))
                return "--method takes 0..12";
            options->method = static_cast<int>(number);
        } else if (a == "--press") {
            if (!ParseWholeNumber(v, 0, 10000, number)) return "--press takes 0..10000 ms";
            options->pressMs = static_cast<float>(number);
        } else if (a == "--wait") {
            if (!ParseWholeNumber(v, 0, 10000, number)) return "--wait takes 0..10000 ms";
            options->waitMs = static_cast<float>(number);
        } else if (a == "--confirm") {
            if (!ParseWholeNumber(v, 0, 1, number)) return "--confirm takes 0 or 1";
            options->confirm = static_cast<int>(number);
        } else {
            return "unknown option " + a;
        }
    }
    if (options->serial.empty() && options->port.empty()) return "--serial PATH is required";
    if (options->words.empty()) return "no command given";
    return "";
}

// Result lines collected while log lines go to standard error.
struct Output {
    std::vector<std::string> lines;
    void Add(const char* name, long value) {
        lines.push_back(std::string(name) + "=" + std::to_string(value));
    }
    void AddFloat(const char* name, float value) {
        char text[64];
        std::snprintf(text, sizeof text, "%s=%.6g", name, static_cast<double>(value));
        lines.push_back(text);
    }
};

struct Setter {
    const char* name;
    int (*send)(int32_t value);
};

const Setter kSetters[] = {
    {"XKp", SetXKp},
    {"XKi", SetXKi},
    {"XKd", SetXKd},
    {"YKp", SetYKp},
    {"YKi", SetYKi},
    {"YKd", SetYKd},
    {"Err", SetMaxErr},
    {"TOut", SetTOut},
    {"stitchLen", SetStitches},
    {"stitchRep", SetLockStitch},
    {"speed", SetSpeed},
    {"minimumSpeed", SetMinimumSpeed},
};

struct SimpleCommand {
    const char* name;
    int (*send)();
};

const SimpleCommand kSimpleCommands[] = {
    {"halt", Halt},        {"resume", Resume},
    {"home", SetHome},     {"clear-queue", ClearMCBuffer},
    {"enable-x", EnableX}, {"disable-x", DisableX},
    {"enable-y", EnableY}, {"disable-y", DisableY},
    {"stop", AllStop},
};

// Checks the argument count of a command; returns the usage error or "".
std::string CheckArity(const std::vector<std::string>& w) {
    const std::string& c = w[0];
    size_t wanted = 1;
    if (c == "move") wanted = 4;
    if (c == "set") wanted = 3;
    if (w.size() != wanted) return c + " takes " + std::to_string(wanted - 1) + " argument(s)";
    float number = 0;
    if (c == "move") {
        for (int i = 1; i <= 3; i++)
            if (!ParseFloat(w[i], &number)) return "move takes three numbers: X Y FEED";
    }
    if (c == "set" && w[1] == "slow") {
        if (!ParseFloat(w[2], &number)) return "slow takes a number";
    } else if (c == "set") {
        bool known = false;
        for (const Setter& s : kSetters)
            known = known || w[1] == s.name;
        if (!known) return "unknown parameter " + w[1];
        long value = 0;
        if (!ParseWholeNumber(w[2], INT32_MIN, INT32_MAX, value))
            return w[1] + " takes a whole number";
    }
    return "";
}

int RunSet(const std::vector<std::string>& w, Output* out, std::string* error) {
    if (w[1] == "slow") {
        float value = 0;
        if (!ParseFloat(w[2], &value)) {
            *error = "slow takes a number";
            return -1;
        }
        return SetSlow(value);
    }
    for (const Setter& s : kSetters) {
        if (w[1] != s.name) continue;
        long value = 0;
        if (!ParseWholeNumber(w[2], INT32_MIN, INT32_MAX, value)) {
            *error = std::string(s.name) + " takes a whole number";
            return -1;
        }
        return s.send(static_cast<int32_t>(value));
    }
    (void)out;
    *error = "unknown parameter " + w[1];
    return -1;
}

// Runs the operation; returns its result code, or sets *error for a usage
// error found in its arguments.
int RunOperation(const std::vector<std::string>& w, Output* out, std::string* error) {
    const std::string& c = w[0];
    for (const SimpleCommand& s : kSimpleCommands) {
        if (c == s.name) return s.send();
    }
    if (c == "constants") {
        int32_t v[kConstantCount] = {};
        const int r = GetConstants(v);
        if (r == 0) {
            const char* names[kConstantCount] = {"XKp", "XKi", "YKp",  "YKi",
                                                 "YKd", "Err", "TOut", "XKd"};
            for (int i = 0; i < kConstantCount; i++)
                out->Add(names[i], v[i]);
        }
        return r;
    }
    if (c == "stitch-settings") {
        const int r = GetStitchSettingsForSetup();
        if (r == 0) {
            out->Add("stitchLen", Machine().stitchLen);
            out->Add("speed", Machine().speed);
            out->Add("minimumSpeed", Machine().minimumSpeed);
            out->Add("stitchRep", Machine().stitchRep);
        }
        return r;
    }
    if (c == "slow") {
        const int r = GetSlowSetting();
        if (r == 0) out->AddFloat("slow", Machine().slow);
        return r;
    }
    if (c == "position") {
        int32_t x = 0, y = 0;
        const int r = GetXY(&x, &y);
        if (r == 0) {
            out->Add("x", x);
            out->Add("y", y);
        }
        return r;
    }
    if (c == "move") {
        float x = 0, y = 0, feed = 0;
        if (!ParseFloat(w[1], &x) || !ParseFloat(w[2], &y) || !ParseFloat(w[3], &feed)) {
            *error = "move takes three numbers: X Y FEED";
            return -1;
        }
        return SendMove(x, y, feed);
    }
    if (c == "status") {
        unsigned char status = 0;
        int32_t word = 0;
        const int r = CheckBuffer(&status, &word);
        if (r == 0 || r == 4) {
            out->Add("status", status);
            out->Add("error", word);
        }
        return r;
    }
    if (c == "errors") {
        int32_t word = 0;
        const int r = GetErrors(&word);
        if (r == 0) out->Add("error", word);
        return r;
    }
    if (c == "set") return RunSet(w, out, error);
    if (c == "stitch-on") {
        robotIsStitching = 0;  // a fresh process does not know; always send
        return StitchOn();
    }
    if (c == "stitch-off") {
        robotIsStitching = 1;
        return StitchOff();
    }
    if (c == "needle-up") return NeedleUp();
    if (c == "stitcher") {
        unsigned char status = 0;
        const int r = GetStitcher(&status);
        if (r == 0) out->Add("status", status);
        return r;
    }
    if (c == "version") {
        float version = 0;
        const int r = GetMotorVersion(&version);
        if (r == 0) out->AddFloat("version", version);
        return r;
    }
    if (c == "direction" || c == "reverse") {
        unsigned char direction = 0;
        const int r =
            c == "direction" ? GetMotorDirection(&direction) : ReverseMotorDirection(&direction);
        if (r == 0) out->Add("direction", direction);
        return r;
    }
    *error = "unknown command " + c;
    return -1;
}

// The diagnostics' text goes to standard output as the page would show it.
void PrintText(void*, const char* text) {
    std::fputs(text, stdout);
    std::fflush(stdout);
}

bool IsDiagnostic(const std::string& c) {
    return c == "test-x" || c == "test-y" || c == "test-all" || c == "port-d";
}

// Runs one diagnostic; returns the tool's exit status.
int RunDiagnostic(const std::string& c) {
    int32_t constants[kConstantCount] = {};
    if (GetStitchSettingsForSetup() != 0 || GetConstants(constants) != 0) {
        std::fprintf(stderr, "longarm-tool board: the board does not answer; nothing was tested\n");
        return 1;
    }
    // What the tests send back when they end: the board's own values.
    ApplyConstants(constants);
    ComputeDerivedSpeeds();
    DiagnosticsReport report;
    report.setText = PrintText;
    report.appendText = PrintText;
    if (c == "test-x") TestXMotor(report);
    if (c == "test-y") TestYMotor(report);
    if (c == "test-all") TestAllMotors(report);
    if (c == "port-d") TestStitcherButtons(report);
    return 0;
}

bool KnownCommand(const std::string& c) {
    if (IsDiagnostic(c)) return true;
    static const char* const kNames[] = {"constants", "stitch-settings", "slow",      "position",
                                         "move",      "status",          "errors",    "set",
                                         "stitch-on", "stitch-off",      "needle-up", "stitcher",
                                         "version",   "direction",       "reverse"};
    for (const char* n : kNames)
        if (c == n) return true;
    for (const SimpleCommand& s : kSimpleCommands)
        if (c == s.name) return true;
    return false;
}

}  // namespace

int RunBoardCommand(const Arguments& args) {
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    BoardOptions options;
    const std::string optionError = ParseOptions(args, &options);
    if (!optionError.empty()) return UsageError(optionError);
    if (!KnownCommand(options.words[0])) return UsageError("unknown command " + options.words[0]);
    const std::string arityError = CheckArity(options.words);
    if (!arityError.empty()) return UsageError(arityError);

    Machine().needleUpMethod = options.method;
    Machine().needleUpConfirm = options.confirm;
    Machine().needleUpPress = Machine().stitchRegPress = options.pressMs;
    Machine().needleUpTime = Machine().stitchRegTime = options.waitMs;

    // Log lines of the operation go to standard error; standard output carries
    // only the result lines.
    SetLogStream(stderr);

    if (!options.serial.empty())
        SetSerialDevicePath(options.serial);
    else
        SelectSerialPort(options.port.c_str());
    OpenPort();
    ClearPort();
    if (IsDiagnostic(options.words[0])) {
        const int status = RunDiagnostic(options.words[0]);
        ClosePort();
        SetLogStream(stdout);
        return status;
    }
    Output out;
    std::string error;
    const int result = RunOperation(options.words, &out, &error);
    ClosePort();

    SetLogStream(stdout);
    if (!error.empty()) return UsageError(error);
    std::printf("result=%d\n", result);
    for (const std::string& line : out.lines)
        std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    return 0;
}
