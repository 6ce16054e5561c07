// Automatic placement sub-commands of longarm-tool: a quilter prepares a job
// on a laptop by autoscaling a placement into its box, autofilling a box with
// an array of it, or merging an array into one pattern. Each changes the
// layout file in place with the controller's own code and prints what it did;
// the file is only rewritten (whole, through a temporary file) when the work
// succeeded.
#include <cstdio>
#include <string>

#include "base/application_state.h"
#include "base/log.h"
#include "base/safe_write.h"
#include "commands.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/placement/array_merge.h"
#include "layout/placement/array_repeat.h"
#include "layout/placement/autofill.h"
#include "layout/placement/autoscale.h"
#include "layout/view_transform.h"
#include "pattern/pattern.h"
#include "tool_support.h"

namespace {

constexpr const char* kAutoscaleUsage =
    "usage: longarm-tool autoscale FILE.qlf --placement N [--independent]\n"
    "  grows placement N (numbered as `longarm-tool layout` lists them) as large as\n"
    "  its pattern box allows, keeping its proportions unless --independent; an\n"
    "  arrayed placement grows with its whole array\n";
constexpr const char* kAutofillUsage =
    "usage: longarm-tool autofill FILE.qlf --placement N [--independent]\n"
    "  repeats placement N in as many rows and columns as its box has room for,\n"
    "  then grows the array into the box, keeping proportions unless --independent\n";
constexpr const char* kMergeUsage =
    "usage: longarm-tool merge FILE.qlf --placement N\n"
    "  turns the array of placement N into one pattern shown by the array's parent\n";

// Images are not drawn by the tool; a coarse scale keeps the ones the core
// refreshes small.
constexpr float kToolViewScale = 1.0f;  // inches per pixel

struct Job {
    std::string path;
    long placement = -1;
    bool independent = false;
};

bool ParseJob(const Arguments& args, bool allowIndependent, Job& job) {
    if (args.empty() || WantsHelp(args)) return false;
    job.path = args[0];
    for (size_t i = 1; i < args.size(); i++) {
        if (args[i] == "--placement" && i + 1 < args.size()) {
            if (!ParseWholeNumber(args[++i], 0, 1000000, job.placement)) return false;
        } else if (args[i] == "--independent" && allowIndependent) {
            job.independent = true;
        } else {
            return false;
        }
    }
    return job.placement >= 0;
}

LayoutNode* NthPlacement(long n) {
    LayoutNode* node = patternLayout;
    for (long i = 0; node && i < n; i++)
        node = node->next;
    return node;
}

// Loads the file and finds the placement, making its box the current one.
// Returns none (with the reason on standard error) when the file is not read
// whole or has no such placement.
LayoutNode* Open(const Job& job) {
    if (!LoadLayoutForTool(job.path)) {
        std::fprintf(stderr, "longarm-tool: %s was not read whole; nothing changed\n",
                     job.path.c_str());
        return nullptr;
    }
    LayoutNode* node = NthPlacement(job.placement);
    if (!node) {
        std::fprintf(stderr, "longarm-tool: %s has no placement %ld\n", job.path.c_str(),
                     job.placement);
        return nullptr;
    }
    SetCurrentPatternBox(node->boxIndex);
    SetViewScale(kToolViewScale);
    SetLogStream(stderr);  // standard output is the report
    return node;
}

// Rewrites the file whole; returns the exit status.
int Save(const Job& job) {
    SetLogStream(stdout);
    if (SafeWriteFile(job.path, SerializeLayout()) != 1) {
        std::fprintf(stderr, "longarm-tool: cannot write %s; it is unchanged\n", job.path.c_str());
        return 1;
    }
    return 0;
}

int Failed(const char* what, int result) {
    SetLogStream(stdout);
    std::fprintf(stderr, "longarm-tool: %s failed (result %d); the file is unchanged\n", what,
                 result);
    return 1;
}

}  // namespace

int RunAutoscaleCommand(const Arguments& args) {
    Job job;
    if (!ParseJob(args, true, job)) return ToolUsage(kAutoscaleUsage);
    LayoutNode* node = Open(job);
    if (!node) return 1;
    const int mode = job.independent ? kScaleIndependently : kKeepProportions;
    const bool arrayed = node->arrayIndex >= 0;
    if (arrayed) node = ArrayParentOf(node);
    AutoScaleReport report;
    operationRunning = 1;
    const int result =
        arrayed ? AutoScaleArray(node, mode, &report) : AutoScale(node, mode, &report);
    operationRunning = 0;
    if (result != kAutoScaleDone) return Failed("autoscale", result);
    std::printf(
        "autoscaled %s %ld in box %d: %.3f x %.3f in -> %.3f x %.3f in at %.3f, %.3f "
        "(%d passes%s)\n",
        arrayed ? "the array of placement" : "placement", job.placement, node->boxIndex,
        report.widthBefore, report.heightBefore, report.widthAfter, report.heightAfter, node->x,
        node->y, report.passes, report.timedOut ? ", stopped at the time limit" : "");
    return Save(job);
}

int RunAutofillCommand(const Arguments& args) {
    Job job;
    if (!ParseJob(args, true, job)) return ToolUsage(kAutofillUsage);
    LayoutNode* node = Open(job);
    if (!node) return 1;
    AutofillGrid grid;
    if (!PlanAutofill(node, &grid)) return Failed("autofill", kAutofillRefused);
    const int result =
        RunAutofill(node, grid, job.independent ? kScaleIndependently : kKeepProportions);
    if (result != kAutofillDone) return Failed("autofill", result);
    const Pattern* p = GetPattern(node->patternIndex);
    std::printf("autofilled placement %ld in box %d: %d down x %d across, each %.3f x %.3f in\n",
                job.placement, node->boxIndex, grid.down, grid.across, p->width, p->height);
    return Save(job);
}

int RunMergeCommand(const Arguments& args) {
    Job job;
    if (!ParseJob(args, false, job)) return ToolUsage(kMergeUsage);
    LayoutNode* node = Open(job);
    if (!node) return 1;
    const ArrayNode* a = GetArrayNode(node->arrayIndex);
    const int down = a ? a->down : 0, across = a ? a->across : 0;
    LayoutNode* parent = ArrayParentOf(node);
    if (MergePatterns(node) != 1) return Failed("merge", 0);
    const Pattern* p = GetPattern(parent->patternIndex);
    std::printf("merged %d down x %d across into pattern %d \"%s\": %d points, %d commands\n", down,
                across, parent->patternIndex, p->name.c_str(), p->pointCount, p->commandCount);
    return Save(job);
}
