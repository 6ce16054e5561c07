#include "job_support.h"

#include <cstdio>

#include "app/machine_startup.h"
#include "base/application_state.h"
#include "base/log.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/pattern_box.h"
#include "machine/machine_parameters.h"
#include "machine/serial_link.h"
#include "machine/stitching/quilt_area_check.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/stitch_estimate.h"
#include "machine/stitching/stitch_path.h"
#include "tool_support.h"

bool ParseJobArguments(const Arguments& args, JobArguments* job) {
    *job = JobArguments{};
    for (size_t i = 0; i < args.size(); i++) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--box" && hasValue) {
            long v = 0;
            if (!ParseWholeNumber(args[++i], 0, kPatternBoxSlots - 1, v)) return false;
            job->box = static_cast<int>(v);
        } else if (a == "--serial" && hasValue && !args[i + 1].empty()) {
            job->serial = args[++i];
        } else if (a.rfind("--", 0) == 0) {
            return false;
        } else {
            job->others.push_back(a);
        }
    }
    return true;
}

int LoadJob(const std::string& layout, const JobArguments& job) {
    UseToolInterface();
    SetLogStream(stderr);
    if (!job.serial.empty()) {
        SetSerialDevicePath(job.serial);
        if (OpenPort() < 0) {
            std::fprintf(stderr, "longarm-tool: cannot open the serial line %s\n",
                         job.serial.c_str());
            return 1;
        }
    }
    LoadRunParameters(job.serial.empty() ? 0 : 1);

    InitPatternBox();
    if (LoadLayout(layout.c_str(), 1, 1) != 1) return 1;
    if (!GetPatternBox(job.box)) {
        std::fprintf(stderr, "longarm-tool: %s has no pattern box %d\n", layout.c_str(), job.box);
        return 1;
    }
    SetCurrentPatternBox(job.box);
    if (PackFullPattern() < 0) {
        std::fprintf(stderr, "longarm-tool: the path of box %d cannot be stitched\n", job.box);
        return 1;
    }
    return 0;
}

void PrintJobEstimate() {
    const StitchEstimate e = EstimateStitchPath(CurrentRun().fullPattern, CurrentRunSpeeds());
    std::printf("points=%d\n", e.points);
    std::printf("sections=%d\n", e.sections);
    std::printf("stitches=%d\n", e.stitches);
    std::printf("jumps=%d\n", e.jumps);
    std::printf("thread_cuts=%d\n", e.threadCuts);
    std::printf("lock_stitches=%d\n", e.lockStitches);
    std::printf("stitched_length=%.3f in\n", e.stitchedInches);
    std::printf("jump_length=%.3f in\n", e.jumpInches);
    std::printf("speed=%.0f (from %s)\n", Machine().maxSpeed,
                ParameterSourceName(MachineParameterSource()));
    if (e.seconds < 0)
        std::printf("run_time=unknown (the speed setting is %.0f)\n", Machine().maxSpeed);
    else
        std::printf("run_time=%.0f s (%s)\n", e.seconds, FormatDuration(e.seconds).c_str());
    const PathOverrun overrun =
        extents ? CheckPathInQuiltArea(CurrentRun().fullPattern, *extents) : PathOverrun{};
    if (overrun.Outside())
        std::printf("warning=THE PATTERN LEAVES THE QUILT AREA: %s\n",
                    DescribePathOverrun(overrun, ", ").c_str());
}
