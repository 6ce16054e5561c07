#include "support/garbled_run.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "base/ui_hooks.h"
#include "support/mc1sim_fixture.h"
#include "support/run_program.h"
#include "support/run_record.h"
#include "support/temp_dir.h"

namespace {

struct PathPoint {
    double x, y;
};

// Farthest a stitched move may end from the path, thousandths of an inch (the
// board rounds positions to hundredths of a thousandth).
constexpr double kOnPath = 2.0;

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
    // The board's clock stands still; the host moves it on as its own runs.
    if (SimControl(sim, "clock hold").rfind("ok", 0) != 0) {
        out.why = "the simulator's clock cannot be held";
        return out;
    }
    const ProgramResult host =
        RunProgram({GARBLED_HOST_PATH, sim.device, sim.controlPath, sim.dir.path}, "", run.limitMs);
    if (host.timedOut || host.exitStatus == 4) out.hung = true;
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
    out.safe = true;
    if (out.hung) Unsafe(out, "the run did not end");
    if (!out.hung && (!ended || host.exitStatus != 0))
        Unsafe(out, "the host ended abnormally: status " + std::to_string(host.exitStatus) +
                        " signal " + std::to_string(host.signal) + " " + host.err);
    if (ended && stitchingOn) Unsafe(out, "the host left stitching on");
    // The board starts with its axes held; they must be released when the
    // host took them over (a start refused at once leaves them untouched).
    const bool axesTaken = ReadFileText(sim.logPath).find(" EnableX") != std::string::npos;
    if (axesTaken) WaitForState(sim, "yenabled", "0", 2000);  // the last bytes may be on the line
    const std::string state = SimControl(sim, "state");
    for (const std::string key : {"moving", "stitching", "xenabled", "yenabled"}) {
        const bool axis = key == "xenabled" || key == "yenabled";
        if ((axesTaken || !axis) && StateValue(state, key) != "0")
            Unsafe(out, "board " + key + "=" + StateValue(state, key));
    }
    std::vector<PathPoint> path;
    std::ifstream pathFile(sim.dir.File("path.txt"));
    for (PathPoint p; pathFile >> p.x >> p.y;)
        path.push_back(p);
    for (const RecordedMove& m : StitchedMoves(ReadRunRecord(sim.recordPath))) {
        out.stitched++;
        if (path.empty() || DistanceToPath(path, m.x, m.y) > kOnPath) out.offPath++;
    }
    if (out.offPath > 0) Unsafe(out, std::to_string(out.offPath) + " stitches off the path");
    // The regular end frees the path without a word of warning; a start that
    // was refused has never packed it.
    out.finished = ended && finished == 1 && warnings == 0 && out.stitched > 0;
    if (ended && !out.finished && warnings == 0) Unsafe(out, "stopped without a message");
    if (!out.safe) {
        const std::string log = ReadFileText(sim.dir.File("host.log"));
        out.hostLog = log.substr(log.size() > 4000 ? log.size() - 4000 : 0);
    }
    return out;
}
