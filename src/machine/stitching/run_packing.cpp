// The run's stitch path: packed for the run under the progress window,
// checked against the quilt area, and freed with the run marker.
#include "machine/stitching/run_support.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "base/application_state.h"
#include "base/defaults_file.h"
#include "base/log.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/board_errors.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "machine/mc1_motion.h"
#include "machine/serial_link.h"
#include "machine/stitcher.h"
#include "machine/stitching/point_streaming.h"
#include "machine/stitching/quilt_area_check.h"
#include "machine/stitching/run_flags.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/run_support.h"
#include "machine/stitching/stitch_estimate.h"
#include "machine/stitching/stitch_path.h"

using namespace run;

int PackRunPath() {
    statWindow = CreateStatusWindow("CREATING PATTERN OUTPUT FILE");
    const int packed = PackFullPattern();
    CloseStatusWindow(statWindow);
    statWindow = nullptr;
    fpTemp = nullptr;
    if (packed < 0) {
        ShowMessage(kMessageError, kButtonsOk, "THE PATTERN HAS POINTS THAT CANNOT BE STITCHED");
        return -1;
    }

    int count = 0;
    for (FullPattern_t* p = CurrentRun().fullPattern; p; p = p->next()) {
        count++;
        if (!std::isfinite(p->feed) || p->feed < 0) p->feed = Machine().minSpeed;
    }
    const PathOverrun overrun =
        extents ? CheckPathInQuiltArea(CurrentRun().fullPattern, *extents) : PathOverrun{};
    if (overrun.Outside()) {
        const std::string where = DescribePathOverrun(overrun, "\n");
        Log("The path leaves the quilt area: %s\n", where.c_str());
        FreeFullPattern(CurrentRun().fullPattern);
        CurrentRun().fullPattern = nullptr;
        ShowMessage(
            kMessageError, kButtonsOk,
            ("THE PATTERN LEAVES THE QUILT AREA:\n" + where + "\n\nMOVE THE PATTERN AND TRY AGAIN.")
                .c_str());
        return -1;
    }
    return count;
}

void FreeRunPath() {
    FreeFullPattern(CurrentRun().fullPattern);
    CurrentRun().fullPattern = nullptr;
    fpTemp = nullptr;
    ClearRunMarker();
}

void ClearRunMarker() {
    CurrentRun().marker = RunMarker{};
}
