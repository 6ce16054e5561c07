#include "sim_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

const char kHelp[] =
    "usage: mc1sim --link PATH [options]\n"
    "\n"
    "Stands in for the MC1 motor-controller board and the stitcher behind it.\n"
    "Creates a pseudo-terminal, makes PATH a symbolic link to its device, prints\n"
    "\"ready PATH\" and serves until SIGTERM, SIGINT or the control command quit;\n"
    "then it removes the link and the control socket.\n"
    "\n"
    "options:\n"
    "  --link PATH        symbolic link to the simulated serial device (required)\n"
    "  --control PATH     control socket (default: PATH of --link plus \".ctl\")\n"
    "  --time-scale N     run motion N times faster than real time (default 1)\n"
    "  --line-rate        every byte in either direction takes 10 bits at 57600 baud\n"
    "  --record FILE      one CSV line per executed move: t_ms,x,y,feed,stitching\n"
    "                     (t_ms real milliseconds since start, x and y where the head\n"
    "                     arrived in thousandths of an inch, feed as sent / 1000)\n"
    "  --log FILE         every received command and every reply, decoded, one line each\n"
    "  --machine N        stitcher method 0..12 (default 0)\n"
    "  --firmware V       motor firmware version reported (default 1.30)\n"
    "  --help             this text\n"
    "\n"
    "motion model:\n"
    "  The queue holds 99 waiting moves; the move being executed has left the queue.\n"
    "  Each move runs along a straight line at a constant speed of\n"
    "      max(feed, minimumSpeed * 10 / 6) / 100 * speed / 10   inches per second\n"
    "  (feed as sent / 1000 on its 0..100 scale, speed and minimumSpeed the board's\n"
    "  settings, so feed 100 at speed 40 moves 4 inches per second). A disabled axis\n"
    "  is not driven: it stays where it is (or where it is pushed) during moves.\n"
    "  Buffer status: 0xFD when no move is waiting or running, otherwise the free\n"
    "  places 0..99 (99: the last move is running). Halt freezes the head mid-move\n"
    "  and keeps the queue; stop (0x13) drops the running move and halts; 0x2D\n"
    "  drops the running move and empties the queue. --time-scale speeds motion\n"
    "  only; stitcher timings stay real: from a needle-up press the sensor reads 0\n"
    "  while the button is held and until 300 ms after it is let go (10 s after\n"
    "  the press when it never is); then 1. A method-0 needle-up (0x31) reads 0\n"
    "  for 300 ms and answers then. Stitching leaves the needle down (sensor 0).\n"
    "  A frame whose bytes do not all arrive within 500 ms of its first byte is\n"
    "  dropped; unknown codes are logged and ignored.\n"
    "\n"
    "control commands (one line each on the control socket; every command gets one\n"
    "reply line, \"ok ...\" or \"error <why>\"):\n"
    "  state                 ok x= y= queue= moving= halted= stitching= xenabled=\n"
    "                        yenabled= needle= machine= executed= refused= (and more)\n"
    "  params                ok with every board-held parameter\n"
    "  push X Y              move the head by hand by X, Y thousandths on the disabled\n"
    "                        axes; enabled axes hold. Reply: ok moved=x|y|xy|none x= y=\n"
    "  silence on|off        the board reads and ignores every byte, answers nothing\n"
    "  refuse N              refuse (0x0C) the next N move frames\n"
    "  error WORD            status answers 0xFE + WORD, 0x34 answers WORD\n"
    "  error unreadable      status answers 0xFE without a word, 0x34 answers nothing\n"
    "  error clear           no board error\n"
    "  busy N                the next N status polls answer 0xFF\n"
    "  stray-zero            the next status reply is preceded by a 0 byte\n"
    "  stall on|off          the head stops moving; the queue does not drain\n"
    "  stitcher-status B     method-0 stitcher status byte (1 ready, 0x21 handle bars)\n"
    "  needle-fail on|off    needle-up fails: 0x31 answers 0xFB, the needle never rises\n"
    "  robot on|off          method 1 handle bars in robot mode (default on): off lets\n"
    "                        the needle-up button work without the command button\n"
    "  machine N             stitcher method 0..12 (stitching off, buttons released)\n"
    "  quit                  answer ok and end the simulator\n"
    "  help                  list the commands\n";

bool ParseInt(const char* text, long low, long high, long& value) {
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
    value = v;
    return true;
}

bool ParseDouble(const char* text, double& value) {
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !std::isfinite(v)) return false;
    value = v;
    return true;
}

}  // namespace

const char* SimHelpText() {
    return kHelp;
}

bool ParseSimOptions(int argc, char** argv, SimOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        auto needValue = [&](const char*& value) {
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            value = argv[++i];
            return true;
        };
        const char* value = nullptr;
        if (std::strcmp(arg, "--help") == 0) {
            options.help = true;
        } else if (std::strcmp(arg, "--line-rate") == 0) {
            options.lineRate = true;
        } else if (std::strcmp(arg, "--link") == 0) {
            if (!needValue(value)) return false;
            options.linkPath = value;
        } else if (std::strcmp(arg, "--control") == 0) {
            if (!needValue(value)) return false;
            options.controlPath = value;
        } else if (std::strcmp(arg, "--record") == 0) {
            if (!needValue(value)) return false;
            options.recordPath = value;
        } else if (std::strcmp(arg, "--log") == 0) {
            if (!needValue(value)) return false;
            options.logPath = value;
        } else if (std::strcmp(arg, "--time-scale") == 0) {
            double scale = 0;
            if (!needValue(value)) return false;
            if (!ParseDouble(value, scale) || scale <= 0 || scale > 1e6) {
                error = "--time-scale needs a number above 0 and at most 1000000";
                return false;
            }
            options.timeScale = scale;
        } else if (std::strcmp(arg, "--machine") == 0) {
            long machine = 0;
            if (!needValue(value)) return false;
            if (!ParseInt(value, 0, 12, machine)) {
                error = "--machine needs a whole number from 0 to 12";
                return false;
            }
            options.machine = static_cast<int>(machine);
        } else if (std::strcmp(arg, "--firmware") == 0) {
            double version = 0;
            if (!needValue(value)) return false;
            if (!ParseDouble(value, version) || version < 0 || version > 1000) {
                error = "--firmware needs a version number such as 1.30";
                return false;
            }
            options.firmware = static_cast<float>(version);
        } else {
            error = std::string("unknown option ") + arg;
            return false;
        }
    }
    if (options.help) return true;
    if (options.linkPath.empty()) {
        error = "--link PATH is required";
        return false;
    }
    if (options.controlPath.empty()) options.controlPath = options.linkPath + ".ctl";
    return true;
}
