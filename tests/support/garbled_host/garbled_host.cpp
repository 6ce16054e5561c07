// The host's side of a run on a garbled serial line (see support/garbled_run.h):
//
//   garbled_host DEVICE CONTROL FOLDER
//
// runs a job of three sections against the simulated board on DEVICE, every
// question answered OK, and writes into FOLDER "path.txt" (the packed path,
// thousandths of an inch), "messages.txt" (kind and text per message),
// "end.txt" (1 when the run reached its end, then whether stitching was left
// on) and "host.log". Its simulated clock moves the board's held clock on
// over CONTROL, so no time-out is waited out in real time.
//
// Exit status: 0 the run ended (either way), 2 bad arguments, 3 the line did
// not open, 4 still running after kLongestRunMs of board time (hung).
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "base/defaults_file.h"
#include "base/log.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "machine/machine_parameters.h"
#include "machine/serial_link.h"
#include "machine/stitcher.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/stitch_path.h"
#include "support/run_layout.h"
#include "support/simulated_clock/simulated_clock.h"

namespace {

constexpr int kGraceMs = 20;
constexpr int64_t kLongestRunMs = 2LL * 3600 * 1000;

std::string controlPath;
int64_t startUs = SimulatedClockUs();
int64_t boardOwedUs = 0;  // host time the board has not been moved on by yet
long steps = 0, graces = 0;

int64_t RealMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// One control command, its reply line ("" when a byte of it took over 5 s).
std::string Control(const std::string& command) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return "";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string reply;
    const std::string text = command + "\n";
    if (controlPath.size() < sizeof address.sun_path) {
        std::memcpy(address.sun_path, controlPath.c_str(), controlPath.size() + 1);
        const timeval limit{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()))
            for (char c = 0; read(fd, &c, 1) == 1 && c != '\n';)
                reply.push_back(c);
    }
    close(fd);
    return reply;
}

// Moves the board on with the host's clock, in whole milliseconds.
void MoveBoard(int64_t microseconds) {
    boardOwedUs += microseconds;
    if (SimulatedClockUs() - startUs > kLongestRunMs * 1000) _exit(4);
    if (boardOwedUs >= 1000) {
        const int64_t ms = boardOwedUs / 1000;
        Control("clock step " + std::to_string(ms));
        steps++;
        boardOwedUs -= ms * 1000;
    }
}

// A reply is on the line within a few milliseconds: when nothing came in
// kGraceMs, one control command makes sure the simulator has handled what the
// host wrote (it does the line's bytes first), and a second look decides.
bool Readable(int fd, int milliseconds) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, std::min(milliseconds, kGraceMs)) > 0;
}

void WaitReadable(int fd, int milliseconds) {
    if (Readable(fd, milliseconds) || (Control("clock"), Readable(fd, milliseconds))) {
        SleepMicroseconds(1000);
    } else {
        graces++;
        SleepMicroseconds(static_cast<int64_t>(milliseconds) * 1000);
    }
}

std::ofstream* messageFile = nullptr;
int stitchingToggle = 1;

int Answer(int kind, int buttons, const char* text) {
    std::string line = text ? text : "";
    std::replace(line.begin(), line.end(), '\n', '|');
    *messageFile << kind << " " << line << "\n" << std::flush;
    return buttons == kButtonsYesNo ? kResponseYes : kResponseOk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const std::string device = argv[1];
    controlPath = argv[2];
    OnSimulatedClockMoved(MoveBoard);
    const std::string folder = std::string(argv[3]) + "/";
    std::ofstream messages(folder + "messages.txt");
    messageFile = &messages;
    FILE* log = std::fopen((folder + "host.log").c_str(), "w");
    SetLogStream(log ? log : stderr);
    SetDefaultsFilePath((folder + "defaults.mrl").c_str());
    SetFactoryDefaults();
    Machine().stitchRep = 4;
    Machine().jumpStitch = 1.0f;
    UserInterfaceHooks ui;
    ui.showMessage = Answer;
    ui.showMessageSpecial = [](int kind, const char* text, const char*, int) {
        return Answer(kind, kButtonsOkCancel, text);
    };
    SetUserInterfaceHooks(ui);
    RunControlHooks hooks;
    hooks.stitchingActive = [] { return stitchingToggle; };
    hooks.setStitchingActive = [](int active) { stitchingToggle = active; };
    hooks.setPauseReleased = [] { PauseToggled(0); };
    SetRunControlHooks(hooks);
    SerialLineCalls line;
    line.waitReadable = WaitReadable;
    SetSerialLineCalls(line);
    // A 0.1-inch, a 0.3-inch and a 4.3-inch jump between the sections, and a
    // Stop command in the first.
    const int box = MakeRunBox();
    PlacePoints(box, LinePoints(20, 0, 0, 0.1f, 0), 0, 0, {11});
    PlacePoints(box, LinePoints(20, 0, 0, 0.1f, 0), 1.9f, 0.3f);
    PlacePoints(box, LinePoints(30, 0, 0, 0.1f, 0), 0, 2.3f);
    PackFullPattern();
    {
        std::ofstream path(folder + "path.txt");
        for (const FullPattern_t* p = CurrentRun().fullPattern; p; p = p->next())
            path << p->x << " " << p->y << "\n";
    }
    FreeFullPattern(CurrentRun().fullPattern);
    CurrentRun().fullPattern = nullptr;
    SetSerialDevicePath(device);
    if (OpenPort() < 0) return 3;
    const int64_t realStart = RealMs();
    startButtonReleased();
    {
        std::ofstream end(folder + "end.txt");
        // The regular end frees the path; every early end keeps it.
        end << (CurrentRun().fullPattern == nullptr ? 1 : 0) << " " << robotIsStitching << "\n";
    }
    ClosePort();
    // The program's record outlives the program; this one ends with main.
    ClearRunMarker();
    FreeFullPattern(CurrentRun().fullPattern);
    CurrentRun().fullPattern = nullptr;
    std::fprintf(stderr, "board steps %ld, waits that saw nothing %ld, %lld ms of host time\n",
                 steps, graces, static_cast<long long>((SimulatedClockUs() - startUs) / 1000));
    std::fprintf(stderr, "real %lld ms\n", static_cast<long long>(RealMs() - realStart));
    return 0;
}
