// Stitching sub-commands of longarm-tool: the stitch path a run would send for
// a box of a layout (`pack`), and the figures a quilter plans a job with
// (`estimate`). Both compute with the machine parameters the controller would
// use without a board: the defaults file of the working directory, the
// first-start values where there is none, and the minimum speed 2.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/application_state.h"
#include "app/defaults_file.h"
#include "app/log.h"
#include "app/machine_startup.h"
#include "app/ui_hooks.h"
#include "commands.h"
#include "layout/layout_file.h"
#include "layout/pattern_box.h"
#include "machine/machine_parameters.h"
#include "machine/stitching/quilt_area_check.h"
#include "machine/stitching/stitch_path.h"
#include "tool_support.h"

namespace {

constexpr const char* kPackUsage =
    "usage: longarm-tool pack FILE.qlf [--box N]\n"
    "  writes the stitch path of pattern box N (default 0) as CSV, one line per\n"
    "  point: x,y,feed,halt,inserted (x, y in thousandths of an inch)\n";
constexpr const char* kEstimateUsage =
    "usage: longarm-tool estimate FILE.qlf [--box N]\n"
    "  points, stitched sections, jumps, thread cuts, stitched length and an\n"
    "  estimate of the run time of pattern box N (default 0). The time assumes\n"
    "  the head moves at feed / 100 x speed / 10 inches per second (feed at\n"
    "  least minSpeed), jumps and lead lines at the lead-line speed, and adds\n"
    "  nothing for lock stitches, thread cuts or the quilter's own pauses. A path\n"
    "  that leaves the quilt area, which the controller refuses to stitch, adds a\n"
    "  line warning=THE PATTERN LEAVES THE QUILT AREA: ... saying how far beyond\n"
    "  which edges.\n";

// Jumps at least this long (inches) are tied off and on with lock stitches.
constexpr float kLockedJumpInches = 0.125f;

bool ParseBox(const Arguments& args, std::string* file, int* box) {
    *box = 0;
    file->clear();
    for (size_t i = 0; i < args.size(); i++) {
        if (args[i] == "--box" && i + 1 < args.size()) {
            long v = 0;
            if (!ParseWholeNumber(args[i + 1], 0, kPatternBoxSlots - 1, v)) return false;
            *box = static_cast<int>(v);
            i++;
        } else if (file->empty() && args[i].rfind("--", 0) != 0) {
            *file = args[i];
        } else {
            return false;
        }
    }
    return !file->empty();
}

// Loads the layout and packs the path of one box. Log lines go to standard
// error; returns the exit status (0 when a path was packed).
int PackBox(const std::string& file, int box) {
    UseToolInterface();
    SetLogStream(stderr);

    // The parameters of a start without a board.
    SetStartValues();
    if (DefaultsFileExists()) MergeWithDefaultsFile(0);
    minimumSpeed = 2;
    DeriveAndValidate();

    InitPatternBox();
    if (LoadLayout(file.c_str(), 1, 1) != 1) return 1;
    if (!GetPatternBox(box)) {
        std::fprintf(stderr, "longarm-tool: %s has no pattern box %d\n", file.c_str(), box);
        return 1;
    }
    interface->currentPatternBox = box;
    PackFullPattern();
    SetLogStream(stdout);
    return 0;
}

float DistanceInches(const FullPattern_t* a, const FullPattern_t* b) {
    return std::hypot(b->x - a->x, b->y - a->y) / kPathUnitsPerInch;
}

}  // namespace

int RunPackCommand(const Arguments& args) {
    std::string file;
    int box = 0;
    if (!ParseBox(args, &file, &box)) return ToolUsage(kPackUsage);
    int status = PackBox(file, box);
    if (status != 0) return status;
    for (const FullPattern_t* p = interface->fullPattern; p; p = p->next)
        std::printf("%.3f,%.3f,%.3f,%d,%d\n", p->x, p->y, p->feed, p->halt, p->inserted);
    return 0;
}

int RunEstimateCommand(const Arguments& args) {
    std::string file;
    int box = 0;
    if (!ParseBox(args, &file, &box)) return ToolUsage(kEstimateUsage);
    int status = PackBox(file, box);
    if (status != 0) return status;

    int points = 0, sections = 0, jumps = 0, cuts = 0;
    double stitched = 0, jumped = 0, seconds = 0;
    const double leadSpeed = leadLineSpeed / 10.0;  // inches per second at feed 100
    for (const FullPattern_t* p = interface->fullPattern; p; p = p->next) {
        points++;
        if (!p->next) break;
        const double d = DistanceInches(p, p->next);
        if (p->halt) {
            jumped += d;
            seconds += leadSpeed > 0 ? d / leadSpeed : 0;
            if (d >= kLockedJumpInches) jumps++;
            if (d >= kLockedJumpInches && d > jumpStitch) cuts++;
        } else {
            stitched += d;
            double feed = std::max(p->next->feed, minSpeed);
            double inchesPerSecond = feed / 100.0 * speed / 10.0;
            if (inchesPerSecond > 0) seconds += d / inchesPerSecond;
        }
    }
    if (points > 0) {
        sections = 1;
        for (const FullPattern_t* p = interface->fullPattern; p && p->next; p = p->next)
            if (p->halt) sections++;
    }
    std::printf("points=%d\n", points);
    std::printf("sections=%d\n", sections);
    std::printf("jumps=%d\n", jumps);
    std::printf("thread_cuts=%d\n", cuts);
    std::printf("stitched_length=%.3f in\n", stitched);
    std::printf("jump_length=%.3f in\n", jumped);
    std::printf("run_time=%.0f s (%d min %02d s)\n", seconds, static_cast<int>(seconds) / 60,
                static_cast<int>(seconds) % 60);
    const PathOverrun overrun =
        extents ? CheckPathInQuiltArea(interface->fullPattern, *extents) : PathOverrun{};
    if (overrun.Outside())
        std::printf("warning=THE PATTERN LEAVES THE QUILT AREA: %s\n",
                    DescribePathOverrun(overrun, ", ").c_str());
    return 0;
}
