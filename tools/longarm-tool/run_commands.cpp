// Quilting without the controller's screen: `run` quilts a box of a layout on
// a board through the same run control the Start button drives, and `compose`
// makes a layout of pattern files placed side by side (the newcomer's first run
// of scripts/run quilts one).
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include "base/application_state.h"
#include "base/log.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "commands.h"
#include "job_support.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/serial_link.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/run_flags.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/stitch_estimate.h"
#include "pattern/pattern.h"
#include "tool_support.h"

namespace {

constexpr const char* kRunUsage =
    "usage: longarm-tool run FILE.qlf --serial PATH [--box N]\n"
    "  quilts pattern box N (default 0) on the board at PATH the way the\n"
    "  controller does when Start is pressed with Stitching on: stitcher check,\n"
    "  lead line, bobbin thread, lock stitches, the streaming of the path, thread\n"
    "  cuts. Every message the controller would show is printed on standard error\n"
    "  and answered with OK (Yes), as by a quilter who confirms each step. Prints\n"
    "  the estimate first, progress=SHARE% left=TIME lines as the board takes the\n"
    "  path, then quilted=yes|no and the time the run took. SIGINT or SIGTERM\n"
    "  stops the run as the Stop button does. Exit status 0 when the path was\n"
    "  quilted to its end, 1 otherwise.\n";
constexpr const char* kComposeUsage =
    "usage: longarm-tool compose OUT.qlf PATTERN.qcc...\n"
    "  writes a layout with the patterns left to right, 2 inches apart, in one\n"
    "  pattern box with a margin of 1 inch, on a quilt area that holds the box\n"
    "  with a margin of 1 inch\n";

constexpr float kComposeGap = 2.0f;     // inches between two patterns
constexpr float kComposeMargin = 1.0f;  // inches around the patterns and the box
constexpr int kProgressStep = 10;       // per cent between two progress lines

RunProgress lastProgress;
int lastPrintedShare = -kProgressStep;
int progressReports = 0;

int AnswerMessage(int, int buttons, const char* text) {
    std::fprintf(stderr, "longarm-tool: %s\n", text);
    return buttons == kButtonsYesNo ? kResponseYes : kResponseOk;
}

int AnswerSpecial(int, const char* text, const char*, int) {
    std::fprintf(stderr, "longarm-tool: %s\n", text);
    return kResponseOk;
}

void PrintProgress(const RunProgress& progress) {
    lastProgress = progress;
    progressReports++;
    const int share = static_cast<int>(progress.shareDone * 100);
    if (share < lastPrintedShare + kProgressStep && share < 100) return;
    lastPrintedShare = share;
    std::printf("progress=%d%% left=%s\n", share, FormatDuration(progress.secondsLeft).c_str());
    std::fflush(stdout);
}

void OnStopSignal(int) {
    allStop = 1;
}

// A rectangle of corners walked as the quilter draws a box.
void SetRectangle(PatternBox* box, float x, float y, float w, float h) {
    SetPatternBoxCorners(box, {{x, y}, {x, y + h}, {x + w, y + h}, {x + w, y}});
    SetPatternBoxOrigin(box);
}

}  // namespace

int RunRunCommand(const Arguments& args) {
    JobArguments job;
    if (!ParseJobArguments(args, &job) || job.others.size() != 1 || job.serial.empty())
        return ToolUsage(kRunUsage);
    const int status = LoadJob(job.others[0], job);
    if (status != 0) return status;
    PrintJobEstimate();
    std::fflush(stdout);

    UserInterfaceHooks ui;
    ui.showMessage = AnswerMessage;
    ui.showMessageSpecial = AnswerSpecial;
    SetUserInterfaceHooks(ui);
    RunControlHooks run;
    run.showProgress = PrintProgress;
    SetRunControlHooks(run);
    stitching = 1;  // the Stitching toggle on
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);

    const int64_t started = MonotonicMs();
    startButtonReleased();
    const double took = (MonotonicMs() - started) / 1000.0;
    // The run frees its path at the regular end of the path, and only there.
    const bool quilted =
        progressReports > 0 && lastProgress.shareDone == 1 && !CurrentRun().fullPattern;
    std::printf("quilted=%s\n", quilted ? "yes" : "no");
    std::printf("took=%.1f s (%s)\n", took, FormatDuration(took).c_str());
    ClosePort();
    return quilted ? 0 : 1;
}

int RunComposeCommand(const Arguments& args) {
    if (args.size() < 2 || WantsHelp(args)) return ToolUsage(kComposeUsage);
    UseToolInterface();
    SetLogStream(stderr);
    InitPatternBox();
    ClearLayout();
    ClearPatternList();
    const int box = CreatePatternBox();
    float x = kComposeMargin, tallest = 0;
    for (size_t i = 1; i < args.size(); i++) {
        std::unique_ptr<Pattern> pattern = newPattern(args[i].c_str(), 0);
        const int slot = GetNextPattern();
        if (!pattern || slot < 0) {
            std::fprintf(stderr, "longarm-tool: cannot place %s\n", args[i].c_str());
            return 1;
        }
        const float width = pattern->width, height = pattern->height;
        AddPatternToList(slot, std::move(pattern));
        AppendLayoutNode(slot, -1, 0, x, kComposeMargin, box);
        x += width + kComposeGap;
        tallest = std::max(tallest, height);
    }
    const float boxWidth = x - kComposeGap + kComposeMargin;
    const float boxHeight = tallest + 2 * kComposeMargin;
    SetRectangle(GetPatternBox(box), kComposeMargin, kComposeMargin, boxWidth, boxHeight);
    extents = std::make_unique<PatternBox>();
    SetRectangle(extents.get(), 0, 0, boxWidth + 2 * kComposeMargin,
                 boxHeight + 2 * kComposeMargin);
    SetCurrentPatternBox(box);
    std::string name = args[0];  // SaveLayout adds the extension
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".qlf") == 0)
        name.resize(name.size() - 4);
    if (SaveLayout(name.c_str(), 0, 1) != 1) return 1;
    return 0;
}
