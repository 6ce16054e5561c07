// Stitching sub-commands of longarm-tool: the stitch path a run would send for
// a box of a layout (`pack`), the figures a quilter plans a job with
// (`estimate`) and a picture of the path (`preview`). They compute with the
// machine parameters a run would use: the board's with --serial, otherwise the
// defaults file of the working directory, otherwise the first-start values.
#include <cstdio>
#include <string>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include "base/application_state.h"
#include "base/log.h"
#include "commands.h"
#include "job_support.h"
#include "layout/pattern_box.h"
#include "machine/machine_parameters.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/stitch_path.h"
#include "machine/stitching/stitch_preview.h"
#include "pattern/pattern_thumbnail.h"
#include "tool_support.h"

namespace {

constexpr const char* kPackUsage =
    "usage: longarm-tool pack FILE.qlf [--box N] [--serial PATH]\n"
    "  writes the stitch path of pattern box N (default 0) as CSV, one line per\n"
    "  point: x,y,feed,halt,inserted (x, y in thousandths of an inch)\n";
constexpr const char* kEstimateUsage =
    "usage: longarm-tool estimate FILE.qlf [--box N] [--serial PATH]\n"
    "  points, stitched sections, stitches (moves the stitcher sews), jumps, thread\n"
    "  cuts, lock stitches, stitched length and the run time of pattern box N\n"
    "  (default 0) at the speed settings the run would use: the board's with\n"
    "  --serial (when it answers), else those of ./defaults.mrl, else the\n"
    "  first-start values; the speed line says which. The board moves each move at\n"
    "  max(feed, minSpeed) / 100 x speed / 10 inches per second, jumps and lead\n"
    "  lines at the lead-line speed; the time counts the lock-stitch moves but\n"
    "  nothing for needle-ups, thread cuts or the quilter's own pauses. A path\n"
    "  that leaves the quilt area, which the controller refuses to stitch, adds a\n"
    "  line warning=THE PATTERN LEAVES THE QUILT AREA: ... saying how far beyond\n"
    "  which edges.\n";
constexpr const char* kPreviewUsage =
    "usage: longarm-tool preview FILE.qlf OUT.png [--box N] [--serial PATH] [W H]\n"
    "  draws the stitch path of pattern box N (default 0) as the run sends it, on\n"
    "  the quilt area scaled to W x H pixels (1 to 4096, default 640 x 480): sewn\n"
    "  moves as thread, jumps dashed, thread cuts as crosses, lock stitches as\n"
    "  orange dots, the start as a green ring with an arrow, and any part outside\n"
    "  the quilt area in red; then prints the figures of estimate for the same\n"
    "  path\n";

}  // namespace

int RunPackCommand(const Arguments& args) {
    JobArguments job;
    if (!ParseJobArguments(args, &job) || job.others.size() != 1) return ToolUsage(kPackUsage);
    const int status = LoadJob(job.others[0], job);
    if (status != 0) return status;
    for (const FullPattern_t* p = CurrentRun().fullPattern; p; p = p->next())
        std::printf("%.3f,%.3f,%.3f,%d,%d\n", p->x, p->y, p->feed, p->halt, p->inserted);
    return 0;
}

int RunEstimateCommand(const Arguments& args) {
    JobArguments job;
    if (!ParseJobArguments(args, &job) || job.others.size() != 1) return ToolUsage(kEstimateUsage);
    const int status = LoadJob(job.others[0], job);
    if (status != 0) return status;
    PrintJobEstimate();
    return 0;
}

int RunPreviewCommand(const Arguments& args) {
    JobArguments job;
    if (!ParseJobArguments(args, &job) || (job.others.size() != 2 && job.others.size() != 4))
        return ToolUsage(kPreviewUsage);
    long width = kPreviewDefaultWidth, height = kPreviewDefaultHeight;
    if (job.others.size() == 4 && (!ParseWholeNumber(job.others[2], 1, 4096, width) ||
                                   !ParseWholeNumber(job.others[3], 1, 4096, height)))
        return ToolUsage(kPreviewUsage);
    const int status = LoadJob(job.others[0], job);
    if (status != 0) return status;
    GdkPixbuf* image =
        RenderStitchPreview(CurrentRun().fullPattern, extents.get(), Machine().jumpStitch,
                            static_cast<int>(width), static_cast<int>(height));
    const int saved = SavePixbufAsPng(image, job.others[1]);
    if (image) g_object_unref(image);
    if (!saved) {
        std::fprintf(stderr, "longarm-tool: could not write %s\n", job.others[1].c_str());
        return 1;
    }
    PrintJobEstimate();
    return 0;
}
