#include "control_commands.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "axis_drive.h"
#include "firmware_loader.h"
#include "head_picture.h"
#include "motion_queue.h"
#include "stitcher_model.h"

namespace {

using Words = std::vector<std::string>;

Words SplitWords(const std::string& line) {
    std::istringstream in(line);
    Words words;
    std::string w;
    while (in >> w)
        words.push_back(w);
    return words;
}

bool ParseLong(const std::string& text, long low, long high, long& value) {
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != '\0' || v < low || v > high) return false;
    value = v;
    return true;
}

bool ParseNumber(const std::string& text, double& value) {
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(v)) return false;
    value = v;
    return true;
}

// "on"/"off" argument into flag; false when it is neither.
bool ParseSwitch(const Words& w, bool& flag) {
    if (w.size() != 2) return false;
    if (w[1] == "on")
        flag = true;
    else if (w[1] == "off")
        flag = false;
    else
        return false;
    return true;
}

// A command that sets a counter from "NAME N".
std::string CountCommand(const Words& w, int& counter) {
    long n = 0;
    if (w.size() != 2 || !ParseLong(w[1], 0, 1000000, n)) return "error usage: " + w[0] + " N";
    counter = static_cast<int>(n);
    return "ok " + w[0] + " " + std::to_string(n);
}

// A command that sets a flag from "NAME on|off".
std::string SwitchCommand(const Words& w, bool& flag) {
    if (!ParseSwitch(w, flag)) return "error usage: " + w[0] + " on|off";
    return "ok " + w[0] + " " + w[1];
}

std::string StateLine(Board& b, int64_t nowUs) {
    const StitcherState& s = b.stitcher;
    bool moving = b.running.active && !b.halted && !b.faults.stall;
    std::ostringstream out;
    out << "ok x=" << FormatTrimmed(b.x, 2) << " y=" << FormatTrimmed(b.y, 2)
        << " queue=" << b.queue.size() << " moving=" << moving << " halted=" << b.halted
        << " stitching=" << s.stitching << " xenabled=" << b.xEnabled << " yenabled=" << b.yEnabled
        << " needle=" << NeedleSensor(s, nowUs) << " machine=" << s.machine
        << " executed=" << b.executed << " refused=" << b.refused << " accepted=" << b.accepted
        << " running=" << b.running.active << " status=" << static_cast<int>(MotionStatus(b))
        << " reversed=" << b.reversed << " extents=" << b.extentsSet << " starts=" << b.runStarts
        << " ends=" << b.runEnds << " unknown=" << b.unknownBytes << " silent=" << b.faults.silent
        << " stall=" << b.faults.stall << " loader=" << b.loader.active;
    return out.str();
}

std::string ParamsLine(const Board& b) {
    const BoardParameters& p = b.params;
    std::ostringstream out;
    out << "ok XKp=" << p.XKp << " XKi=" << p.XKi << " XKd=" << p.XKd << " YKp=" << p.YKp
        << " YKi=" << p.YKi << " YKd=" << p.YKd << " Err=" << p.Err << " TOut=" << p.TOut
        << " stitchLen=" << p.stitchLen << " speed=" << p.speed
        << " minimumSpeed=" << p.minimumSpeed << " stitchRep=" << p.stitchRep
        << " slow=" << FormatTrimmed(p.slow, 3);
    return out.str();
}

std::string ErrorCommand(Board& board, const Words& w) {
    FaultState& f = board.faults;
    if (w.size() != 2) return "error usage: error WORD|clear|unreadable";
    if (w[1] == "clear") {
        f.errorActive = false;
        f.errorUnreadable = false;
        f.errorWord = 0;
        return "ok error cleared";
    }
    if (w[1] == "unreadable") {
        f.errorActive = true;
        f.errorUnreadable = true;
        return "ok error unreadable";
    }
    long word = 0;
    if (!ParseLong(w[1], INT32_MIN, INT32_MAX, word)) return "error bad error word";
    f.errorActive = true;
    f.errorUnreadable = false;
    f.errorWord = static_cast<int32_t>(word);
    return "ok error " + std::to_string(word);
}

std::string PushCommand(Board& board, const Words& w) {
    double dx = 0, dy = 0;
    if (w.size() != 3 || !ParseNumber(w[1], dx) || !ParseNumber(w[2], dy) || std::fabs(dx) > 1e7 ||
        std::fabs(dy) > 1e7)
        return "error usage: push X Y (thousandths of an inch)";
    int moved = PushHead(board, dx, dy);
    static const char* names[] = {"none", "x", "y", "xy"};
    return std::string("ok moved=") + names[moved] + " x=" + FormatTrimmed(board.x, 2) +
           " y=" + FormatTrimmed(board.y, 2);
}

std::string TravelCommand(Board& board, const Words& w) {
    double fraction = 0;
    if (w.size() != 3 || (w[1] != "x" && w[1] != "y") || !ParseNumber(w[2], fraction) ||
        fraction < 0 || fraction > 1)
        return "error usage: travel x|y FRACTION (0..1)";
    (w[1] == "x" ? board.axisX : board.axisY).travel = fraction;
    return "ok travel " + w[1] + " " + FormatTrimmed(fraction, 4);
}

std::string StitcherLinkCommand(Board& board, const Words& w) {
    static const char* names[] = {"sound", "noisy", "cut"};
    for (int link = 0; link < 3; ++link) {
        if (w.size() == 2 && w[1] == names[link]) {
            board.stitcher.link = link;
            return std::string("ok stitcher-link ") + names[link];
        }
    }
    return "error usage: stitcher-link sound|noisy|cut";
}

// "ok count=N events=T:CODE:STATE,..." with T in board milliseconds.
std::string ButtonsCommand(Board& board, const Words& w) {
    if (w.size() == 2 && w[1] == "clear") {
        board.buttonEvents.clear();
        board.buttonEventCount = 0;
        return "ok buttons cleared";
    }
    if (w.size() != 1) return "error usage: buttons [clear]";
    std::string events;
    char text[48];
    for (const ButtonEvent& e : board.buttonEvents) {
        std::snprintf(text, sizeof text, "%s%.1f:%02X:%d", events.empty() ? "" : ",",
                      static_cast<double>(e.boardUs) / 1000.0, e.code, e.state);
        events += text;
    }
    return "ok count=" + std::to_string(board.buttonEventCount) + " events=" + events;
}

// "clock hold|run|step MS", or "clock": ok held= t= (board milliseconds since start).
std::string ClockCommand(Board& board, const Words& w, int64_t nowUs) {
    long ms = 0;
    if (w.size() == 2 && w[1] == "hold") {
        HoldClock(board, nowUs);
    } else if (w.size() == 2 && w[1] == "run") {
        RunClock(board, nowUs);
    } else if (w.size() == 3 && w[1] == "step" && ParseLong(w[2], 0, 86400000, ms)) {
        StepClock(board, static_cast<int64_t>(ms) * 1000);
        AdvanceMotion(board, BoardNowUs(board, nowUs));
    } else if (w.size() != 1) {
        return "error usage: clock [hold|run|step MS]";
    }
    double t = static_cast<double>(BoardNowUs(board, nowUs) - board.startUs) / 1000.0;
    return "ok held=" + std::to_string(board.clock.held) + " t=" + FormatTrimmed(t, 3);
}

// "garble FLIP DROP [SEED]", "garble off", or "garble" for the counts.
std::string GarbleCommand(Board& board, const Words& w) {
    LineNoise& noise = board.faults.noise;
    double flip = 0, drop = 0;
    long seed = 1;
    if (w.size() == 2 && w[1] == "off") {
        StartNoise(noise, 0, 0, 0);
        return "ok garble off";
    }
    if (w.size() == 1) {
        return "ok flip=" + FormatTrimmed(noise.flipRate, 6) +
               " drop=" + FormatTrimmed(noise.dropRate, 6) + " seed=" + std::to_string(noise.seed) +
               " flipped=" + std::to_string(noise.flipped) +
               " dropped=" + std::to_string(noise.dropped);
    }
    if ((w.size() != 3 && w.size() != 4) || !ParseNumber(w[1], flip) || !ParseNumber(w[2], drop) ||
        flip < 0 || flip > 1 || drop < 0 || drop > 1 ||
        (w.size() == 4 && !ParseLong(w[3], 0, 2147483647L, seed)))
        return "error usage: garble FLIP DROP [SEED] (rates 0..1) | garble off";
    StartNoise(noise, flip, drop, static_cast<uint64_t>(seed));
    return "ok garble flip=" + FormatTrimmed(flip, 6) + " drop=" + FormatTrimmed(drop, 6) +
           " seed=" + std::to_string(seed);
}

std::string LoaderHangCommand(Board& board, const Words& w) {
    LoaderState& l = board.loader;
    long n = 0;
    if (w.size() == 2 && w[1] == "off") {
        l.hangAfter = -1;
        l.hung = false;
        return "ok loader-hang off";
    }
    if (w.size() != 2 || !ParseLong(w[1], 0, 1000000, n)) return "error usage: loader-hang N|off";
    l.hung = n == 0;
    l.hangAfter = n == 0 ? -1 : static_cast<int>(n);
    return "ok loader-hang " + std::to_string(n);
}

std::string LoaderLine(const Board& board) {
    const LoaderState& l = board.loader;
    return "ok active=" + std::to_string(l.active) + " hung=" + std::to_string(l.hung) +
           " entries=" + std::to_string(l.entries) + " writes=" + std::to_string(l.writes) +
           " refused=" + std::to_string(l.refused);
}

std::string FirmwareOutCommand(Board& board, const Words& w) {
    if (w.size() > 2) return "error usage: firmware-out [FILE]";
    std::string path = w.size() == 2 ? w[1] : board.firmwareOutPath;
    if (path.empty()) return "error no FILE given and no --firmware-out";
    std::string error;
    if (!SaveFirmwareImage(board, path, error)) return "error " + error;
    return "ok firmware-out " + path;
}

std::string PictureCommand(Board& board, const Words& w) {
    if (w.size() > 2) return "error usage: picture [FILE]";
    std::string path = w.size() == 2 ? w[1] : board.picturePath;
    if (path.empty()) return "error no FILE given and no --picture";
    std::string error;
    if (!SaveHeadPicture(board, path, error)) return "error " + error;
    QuiltArea a = PictureArea(board);
    return "ok picture " + path + " area=" + FormatTrimmed(a.x, 3) + "," + FormatTrimmed(a.y, 3) +
           "," + FormatTrimmed(a.width, 3) + "," + FormatTrimmed(a.height, 3) +
           " moves=" + std::to_string(board.track.segments.size());
}

std::string MachineCommand(Board& board, const Words& w) {
    long n = 0;
    if (w.size() != 2 || !ParseLong(w[1], 0, 12, n)) return "error usage: machine N (0..12)";
    SetMachine(board.stitcher, static_cast<int>(n));
    return "ok machine " + std::to_string(n);
}

std::string StitcherStatusCommand(Board& board, const Words& w) {
    long n = 0;
    if (w.size() != 2 || !ParseLong(w[1], 0, 255, n))
        return "error usage: stitcher-status B (0..255)";
    board.stitcher.status = static_cast<uint8_t>(n);
    return "ok stitcher-status " + std::to_string(n);
}

const char kCommandList[] =
    "ok commands: state params push travel silence refuse error busy stray-zero stall "
    "stitcher-status stitcher-link needle-fail robot machine buttons garble clock loader "
    "flash-fail "
    "lose-ack "
    "loader-hang firmware-out picture quit help";

}  // namespace

std::string ExecuteControl(Board& board, const std::string& line, int64_t nowUs) {
    Words w = SplitWords(line);
    if (w.empty()) return "error empty command";
    const std::string& c = w[0];
    FaultState& f = board.faults;
    bool alone = w.size() == 1;
    if (c == "state" && alone) return StateLine(board, BoardNowUs(board, nowUs));
    if (c == "clock") return ClockCommand(board, w, nowUs);
    if (c == "params" && alone) return ParamsLine(board);
    if (c == "help" && alone) return kCommandList;
    if (c == "push") return PushCommand(board, w);
    if (c == "travel") return TravelCommand(board, w);
    if (c == "error") return ErrorCommand(board, w);
    if (c == "silence") return SwitchCommand(w, f.silent);
    if (c == "stall") return SwitchCommand(w, f.stall);
    if (c == "needle-fail") return SwitchCommand(w, board.stitcher.needleFail);
    if (c == "robot") return SwitchCommand(w, board.stitcher.robotMode);
    if (c == "refuse") return CountCommand(w, f.refuseMoves);
    if (c == "busy") return CountCommand(w, f.busyPolls);
    if (c == "stitcher-status") return StitcherStatusCommand(board, w);
    if (c == "stitcher-link") return StitcherLinkCommand(board, w);
    if (c == "machine") return MachineCommand(board, w);
    if (c == "buttons") return ButtonsCommand(board, w);
    if (c == "garble") return GarbleCommand(board, w);
    if (c == "loader" && alone) return LoaderLine(board);
    if (c == "flash-fail") return CountCommand(w, board.loader.flashFailures);
    if (c == "lose-ack") return CountCommand(w, board.loader.lostAcks);
    if (c == "loader-hang") return LoaderHangCommand(board, w);
    if (c == "firmware-out") return FirmwareOutCommand(board, w);
    if (c == "picture") return PictureCommand(board, w);
    if (c == "stray-zero" && alone) {
        f.strayZero = true;
        return "ok stray-zero";
    }
    if (c == "quit" && alone) {
        board.quitRequested = true;
        return "ok bye";
    }
    return "error unknown command: " + line.substr(0, 64);
}
