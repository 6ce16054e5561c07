#include "support/garbled_run.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/application_state.h"
#include "app/defaults_file.h"
#include "app/log.h"
#include "app/timers.h"
#include "app/ui_hooks.h"
#include "layout/layout_tree.h"
#include "machine/machine_parameters.h"
#include "machine/serial_link.h"
#include "machine/stitcher.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/run_flags.h"
#include "machine/stitching/stitch_path.h"
#include "support/mc1sim_fixture.h"
#include "support/run_layout.h"
#include "support/run_record.h"

namespace {

struct PathPoint {
    double x, y;
};

// Farthest a stitched move may end from the path, thousandths of an inch (the
// board rounds positions to hundredths of a thousandth).
constexpr double kOnPath = 2.0;

std::ofstream* messageFile = nullptr;
int stitchingToggle = 1;

int Answer(int kind, int buttons, const char* text) {
    std::string line = text ? text : "";
    std::replace(line.begin(), line.end(), '\n', '|');
    *messageFile << kind << " " << line << "\n" << std::flush;
    return buttons == kButtonsYesNo ? kResponseYes : kResponseOk;
}

int AnswerStart(int kind, const char* text, const char*, int) {
    return Answer(kind, kButtonsOkCancel, text);
}

// The child: one run of a job with a 0.1-inch, a 0.3-inch and a 4.3-inch jump,
// then the path and whether the run reached its end. Never returns.
[[noreturn]] void RunJob(const Mc1Sim& sim) {
    std::ofstream messages(sim.dir.File("messages.txt"));
    messageFile = &messages;
    FILE* log = std::fopen(sim.dir.File("host.log").c_str(), "w");
    SetLogStream(log ? log : stderr);
    Interface state;
    interface = &state;
    SetDefaultsFilePath(sim.dir.File("defaults.mrl").c_str());
    SetFactoryDefaults();
    stitchRep = 4;
    jumpStitch = 1.0f;
    UserInterfaceHooks ui;
    ui.showMessage = Answer;
    ui.showMessageSpecial = AnswerStart;
    SetUserInterfaceHooks(ui);
    RunControlHooks hooks;
    hooks.stitchingActive = [] { return stitchingToggle; };
    hooks.setStitchingActive = [](int active) { stitchingToggle = active; };
    hooks.setPauseReleased = [] { PauseToggled(0); };
    SetRunControlHooks(hooks);

    const int box = MakeRunBox();
    PlacePoints(box, LinePoints(20, 0, 0, 0.1f, 0), 0, 0, {11});
    PlacePoints(box, LinePoints(20, 0, 0, 0.1f, 0), 1.9f, 0.3f);
    PlacePoints(box, LinePoints(30, 0, 0, 0.1f, 0), 0, 2.3f);
    PackFullPattern();
    {
        std::ofstream path(sim.dir.File("path.txt"));
        for (const FullPattern_t* p = interface->fullPattern; p; p = p->next)
            path << p->x << " " << p->y << "\n";
    }
    FreeFullPattern(interface->fullPattern);
    interface->fullPattern = nullptr;

    SetSerialDevicePath(sim.device);
    if (OpenPort() < 0) _exit(3);
    startButtonReleased();
    {
        std::ofstream end(sim.dir.File("end.txt"));
        // The regular end frees the path; every early end keeps it.
        end << (interface->fullPattern == nullptr ? 1 : 0) << " " << robotIsStitching << "\n";
    }
    ClosePort();
    _exit(0);
}

double DistanceToPath(const std::vector<PathPoint>& path, double x, double y) {
    double best = 1e300;
    for (size_t i = 0; i < path.size(); i++) {
        const PathPoint& a = path[i];
        const PathPoint& b = path[std::min(i + 1, path.size() - 1)];
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double length2 = dx * dx + dy * dy;
        const double t =
            length2 > 0 ? std::clamp(((x - a.x) * dx + (y - a.y) * dy) / length2, 0.0, 1.0) : 0;
        best = std::min(best, std::hypot(x - (a.x + t * dx), y - (a.y + t * dy)));
    }
    return best;
}

void Unsafe(GarbledOutcome& out, const std::string& why) {
    out.safe = false;
    if (!out.why.empty()) out.why += "; ";
    out.why += why;
}

}  // namespace

GarbledOutcome RunOnGarbledLine(const GarbledRun& run) {
    GarbledOutcome out;
    Mc1Sim sim({"--time-scale", std::to_string(run.timeScale)});
    if (!sim.running) {
        out.why = "simulator: " + sim.error;
        return out;
    }
    const bool noisy = run.flip > 0 || run.drop > 0;  // else a clean line, for comparison
    char command[128];
    std::snprintf(command, sizeof command, "garble %.6f %.6f %u", run.flip, run.drop, run.seed);
    const std::string reply = noisy ? SimControl(sim, command) : "ok";
    if (reply.rfind("ok", 0) != 0) {
        out.why = "the simulator has no noise on its line: " + reply;
        return out;
    }
    out.started = true;

    const pid_t child = fork();
    if (child == 0) RunJob(sim);
    int status = 0;
    const int64_t deadline = MonotonicMs() + run.limitMs;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (MonotonicMs() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            out.hung = true;
            break;
        }
        SleepMicroseconds(50000);
    }

    if (noisy) {
        const std::string noise = SimControl(sim, "garble");
        out.flipped = std::atol(StateValue(noise, "flipped").c_str());
        out.dropped = std::atol(StateValue(noise, "dropped").c_str());
        SimControl(sim, "garble off");
    }

    std::ifstream messages(sim.dir.File("messages.txt"));
    int warnings = 0;  // errors and warnings: why a run ended early
    for (std::string line; std::getline(messages, line);) {
        const int kind = std::atoi(line.c_str());
        warnings += kind == kMessageError || kind == kMessageWarning;
        out.messages.push_back(line.substr(std::min(line.size(), line.find(' ') + 1)));
    }
    std::ifstream end(sim.dir.File("end.txt"));
    int finished = 0, stitchingOn = 1;
    const bool ended = static_cast<bool>(end >> finished >> stitchingOn);
    out.finished = ended && finished == 1;

    out.safe = true;
    if (out.hung) Unsafe(out, "the run did not end");
    if (!out.hung && !ended) Unsafe(out, "the host ended abnormally");
    if (ended && stitchingOn) Unsafe(out, "the host left stitching on");
    WaitForState(sim, "yenabled", "0", 2000);  // the last commands may still be on the line
    const std::string state = SimControl(sim, "state");
    for (const char* key : {"moving", "stitching", "xenabled", "yenabled"})
        if (StateValue(state, key) != "0")
            Unsafe(out, std::string("board ") + key + "=" + StateValue(state, key));

    std::vector<PathPoint> path;
    std::ifstream pathFile(sim.dir.File("path.txt"));
    for (PathPoint p; pathFile >> p.x >> p.y;)
        path.push_back(p);
    for (const RecordedMove& m : StitchedMoves(ReadRunRecord(sim.recordPath))) {
        out.stitched++;
        if (path.empty() || DistanceToPath(path, m.x, m.y) > kOnPath) out.offPath++;
    }
    if (out.offPath > 0) Unsafe(out, std::to_string(out.offPath) + " stitches off the path");
    if (ended && !out.finished && warnings == 0) Unsafe(out, "stopped without a message");
    return out;
}
