#include "sim_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

const char kHelp[] = R"(usage: mc1sim --link PATH [options]

Stands in for the MC1 motor-controller board and the stitcher behind it.
Creates a pseudo-terminal, makes PATH a symbolic link to its device, prints
"ready PATH" and serves until SIGTERM, SIGINT or the control command quit;
then it removes the link and the control socket.

options:
  --link PATH        symbolic link to the simulated serial device (required)
  --control PATH     control socket (default: PATH of --link plus ".ctl")
  --time-scale N     run motion N times faster than real time (default 1)
  --line-rate        every byte in either direction takes 10 bits at 57600 baud
  --record FILE      one CSV line per executed move: t_ms,x,y,feed,stitching
                     (t_ms milliseconds since start on the board's clock, x
                     and y where the head arrived in thousandths of an inch,
                     feed as sent / 1000)
  --log FILE         every received command and every reply, decoded, one line each
  --machine N        stitcher method 0..12 (default 0)
  --firmware V       motor firmware version reported (default 1.30)
  --firmware-out FILE
                     the board's memory image as Intel HEX, written when the
                     loader is reset (0x08) and when the simulator ends (see
                     "firmware loader" below for the layout)
  --picture FILE     a PNG picture of the head's path, written when the simulator
                     ends (and by the control command picture): see "picture"
  --picture-size W,H the picture's size in pixels, 16 to 4096 (default 640,480)
  --picture-area W,H the quilt area shown, in inches from the home position
  --help             this text

motion model:
  The queue holds 99 waiting moves; the move being executed has left the queue.
  Each move runs along a straight line at a constant speed of
      max(feed, minimumSpeed * 10 / 6) / 100 * speed / 10   inches per second
  (feed as sent / 1000 on its 0..100 scale, speed and minimumSpeed the board's
  settings, so feed 100 at speed 40 moves 4 inches per second). A disabled axis
  is not driven: it stays where it is (or where it is pushed) during moves.
  The head follows that line through two servo axes held against friction.
  With an integral gain (XKi, YKi above 0, as by default) an axis follows
  exactly. With integral gain 0 only the proportional gain holds it: the axis
  lags the line by up to 1500 / Kp thousandths of an inch and comes to rest
  that far short (Kp 30: 0.05 inch; the limp gain 5: 0.3 inch; Kp 0: the axis
  does not follow). The control command travel makes an axis cover only a
  fraction of every move; the position the board reports is where the head is.
  Buffer status: 0xFD when no move is waiting or running, otherwise the free
  places 0..99 (99: the last move is running). Halt freezes the head mid-move
  and keeps the queue; stop (0x13) drops the running move and halts; 0x2D
  drops the running move and empties the queue. --time-scale speeds motion
  only; the stitcher keeps the board's clock (real time unless held): from a
  needle-up press the sensor reads 0 while the button is held and until 300 ms
  after it is let go (10 s after the press when it never is); then 1. A method-0 needle-up (0x31) reads 0
  for 300 ms and answers then. Stitching leaves the needle down (sensor 0).
  A frame whose bytes do not all arrive within 500 ms (board time) of its
  first byte is dropped; unknown codes are logged and ignored.

firmware loader:
  The commands 0xFF 0xFF 0xFF 0x3B restart the board into its loader (the move
  queue is lost); from then on every byte belongs to the loader until 0x08.
  Addresses A are 3 bytes, low byte first, in program-counter units (2 per
  24-bit instruction, 2 per EEPROM or configuration word).
    01 x x x          identify: 96 bytes, the loader's name padded with 0xFF
    02 A              read: 96 bytes, the 32 instructions from A, each upper
                      byte first
    03 A + 96 bytes   write the program row at A (a multiple of 64, below
                      0x18000): 32 instructions, each lowest byte first
    04 A              read: 32 bytes, the 16 EEPROM words from A (0x7FF000 to
                      0x7FFFFE), each high byte first
    05 A + 32 bytes   write the EEPROM row at A (a multiple of 32 from
                      0x7FF000): 16 words, each low byte first
    07 F L H          configuration word 0 (address 0xF80000): F not 0 leaves
                      it as it is, otherwise it becomes H:L. Words 1 to 6
                      follow as F L H without the 07; a refused entry is
                      expected again (word 0 with its 07)
    08                reset: leave the loader
  Every write is answered 2 ms later with 0x01, or 0x00 when refused (a bad
  address, or a failed write, which leaves the row or word erased). The board
  starts with a factory image: instructions 0 and 1 jump to the loader at
  0x17C00, the first two EEPROM rows hold calibration data, the configuration
  words are set. --firmware-out writes the image in the HEX layout a compiler
  writes for it: byte address 2 x A, each instruction as 4 bytes (low, middle,
  upper, 0), each EEPROM or configuration word as 4 bytes (low, high, 0, 0),
  records of only blank memory left out.

picture:
  The head's path as the moves were executed: moves that ended with stitching
  on as thread (2 px, #203080), the others dashed (1 px, #A0A0A0, 4 px on and
  4 px off), over the quilt area outlined 1 px #808080 on white. The quilt area
  is the --picture-area rectangle from the home position, else the rectangle
  from the home position to the head's position when SetExtents (0x2E) was
  last received, else the rectangle holding the home position and the path.
  With margin m = 10 px and the area w x h inches, the scale is
  s = min((W - 2m) / w, (H - 2m) / h) pixels per inch and a point (x, y)
  inches from the area's top-left corner lands on pixel (m + x s, m + y s),
  the geometry of the host's stitch-out preview.

control commands (one line each on the control socket; every command gets one
reply line, "ok ..." or "error <why>"):
  state                 ok x= y= queue= moving= halted= stitching= xenabled=
                        yenabled= needle= machine= executed= refused= (and more)
  params                ok with every board-held parameter
  push X Y              move the head by hand by X, Y thousandths on the disabled
                        axes; enabled axes hold. Reply: ok moved=x|y|xy|none x= y=
  travel x|y FRACTION   the axis covers only FRACTION (0..1) of every move from
                        now on (a worn belt, a weak motor); 1 is a sound axis
  silence on|off        the board reads and ignores every byte, answers nothing
  refuse N              refuse (0x0C) the next N move frames
  error WORD            status answers 0xFE + WORD, 0x34 answers WORD
  error unreadable      status answers 0xFE without a word, 0x34 answers nothing
  error clear           no board error
  busy N                the next N status polls answer 0xFF
  stray-zero            the next status reply is preceded by a 0 byte
  stall on|off          the head stops moving; the queue does not drain
  clock hold            the board's clock stands still: the head, the queue, the
                        needle and the loader's writes wait while every command
                        is still answered at once, so status polls find nothing
                        changed (a host's stall watchdog on a fake clock meets a
                        stalled board without real waiting)
  clock step MS         move the board's clock on by MS milliseconds at once (as
                        if that much real time had passed; motion by MS times
                        --time-scale), held or running
  clock run             the clock runs with real time again from where it stood
  clock                 ok held=0|1 t=MS (the board's milliseconds since start)
  garble FLIP DROP [SEED]
                        noise on the line to the host: every reply byte has one
                        bit flipped with chance FLIP and is lost with chance
                        DROP (0..1 each), from a generator started at SEED
                        (default 1): the same seed and traffic, the same damage
  garble off            a clean line again
  garble                ok flip= drop= seed= flipped= dropped= (bytes so far)
  stitcher-status B     method-0 stitcher status byte (1 ready, 0x21 handle bars)
  stitcher-link sound|noisy|cut
                        the line from the stitcher to the board: noisy puts a
                        break, passed on as a 0 byte, before every byte of the
                        stitcher's answers (0x3E, 0x3D); cut loses the answers
  needle-fail on|off    needle-up fails: 0x31 answers 0xFB, the needle never rises
  robot on|off          method 1 handle bars in robot mode (default on): off lets
                        the needle-up button work without the command button
  machine N             stitcher method 0..12 (stitching off, buttons released)
  buttons               the stitcher button presses and releases (0x48, 0x49,
                        0x4A) in the order received, the latest 64:
                        ok count=N events=T:CODE:STATE,... (T the board's
                        milliseconds since start, CODE in hex, STATE as sent;
                        the log has them too)
  buttons clear         forget them
  loader                ok active= hung= entries= writes= refused=
  flash-fail N          the next N loader writes fail: answered 0x00, the row
                        (or configuration word) left erased
  lose-ack N            the answers to the next N loader writes are lost on the
                        line (the writes are done)
  loader-hang N|off     the loader stops answering after N more commands (0: at
                        once, also when entered later); off: it answers again
  firmware-out [FILE]   write the memory image now (to FILE, else --firmware-out)
  picture [FILE]        write the picture now (to FILE, else --picture)
  quit                  answer ok and end the simulator
  help                  list the commands
)";

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

// "W,H": two numbers above low and at most high.
bool ParsePair(const char* text, double low, double high, double& w, double& h) {
    const char* comma = std::strchr(text, ',');
    if (!comma) return false;
    std::string first(text, comma);
    return ParseDouble(first.c_str(), w) && ParseDouble(comma + 1, h) && w > low && h > low &&
           w <= high && h <= high;
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
        } else if (std::strcmp(arg, "--firmware-out") == 0) {
            if (!needValue(value)) return false;
            options.firmwareOutPath = value;
        } else if (std::strcmp(arg, "--picture") == 0) {
            if (!needValue(value)) return false;
            options.picturePath = value;
        } else if (std::strcmp(arg, "--picture-size") == 0) {
            double w = 0, h = 0;
            if (!needValue(value)) return false;
            if (!ParsePair(value, 15, 4096, w, h) || w != std::floor(w) || h != std::floor(h)) {
                error = "--picture-size needs W,H in whole pixels from 16 to 4096";
                return false;
            }
            options.pictureWidth = static_cast<int>(w);
            options.pictureHeight = static_cast<int>(h);
        } else if (std::strcmp(arg, "--picture-area") == 0) {
            if (!needValue(value)) return false;
            if (!ParsePair(value, 0, 10000, options.pictureAreaWidth, options.pictureAreaHeight)) {
                error = "--picture-area needs W,H in inches above 0 and at most 10000";
                return false;
            }
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
