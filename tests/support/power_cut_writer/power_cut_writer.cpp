// The writes that the power-cut tests interrupt, each through the program's own
// code, in a folder that stands for the program folder (and, below it, for the
// controller's /tmp):
//
//   power_cut_writer WRITER FOLDER VERSION   writes version 1 (the old file) or
//                                            2 (the new one) of WRITER's file
//   power_cut_writer start FOLDER            what a start does with the files
//                                            an interrupted save left behind
//   power_cut_writer list                    the writers, one per line, with
//                                            the file each one writes
//
// Exit status 0 when the write reported success, 1 when it did not, 2 on bad
// arguments. The power-cut shim (LD_PRELOAD) stops it at the chosen call.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/application_state.h"
#include "app/crash_recovery.h"
#include "app/defaults_file.h"
#include "app/log.h"
#include "app/machine_startup.h"
#include "app/safe_write.h"
#include "app/system_paths.h"
#include "app/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "machine/stitching/trace_recording.h"
#include "pattern/pattern.h"
#include "pattern/pattern_save_as.h"
#include "support/run_layout.h"

namespace {

struct Writer {
    const char* name;
    const char* target;  // relative to the folder
    bool oldExists;      // version 1 leaves a file (the recovery layout is only ever new)
};

constexpr Writer kWriters[] = {
    {"pattern-save", "patterns/cut.qcc", true},
    {"pattern-save-as", "patterns/cut.qcc", true},
    {"trace-save", "patterns/trace.qcc", true},
    {"layout-save", "Layout/cut.qlf", true},
    {"undo", "tmp/undo.qlf", true},
    {"set-point", "tmp/setPoint.qlf", true},
    {"recovery", "Layout/recovery.qlf", false},
    {"defaults-slot", "defaults.mrl", true},
    {"defaults-reset", "defaults.mrl", true},
};

int version = 1;

// Points of a pattern: version 2 has more, so a torn new file differs from both.
Points PatternPoints(int v) {
    Points points;
    const int n = v == 1 ? 12 : 150;
    for (int i = 0; i < n; i++)
        points.emplace_back(0.25f * i, (i % 3) * 0.5f + v);
    return points;
}

std::unique_ptr<Pattern> MakePattern(int v) {
    auto p = std::make_unique<Pattern>();
    p->name = "cut";
    addData(p.get(), v == 1 ? "n old" : "n new", 0);
    for (const auto& [x, y] : PatternPoints(v)) {
        char line[64];
        std::snprintf(line, sizeof line, "p X%.3f Y%.3f", x, y);
        addData(p.get(), line, 0);
    }
    addData(p.get(), "c s", 0);
    return p;
}

// A layout of one box (version 1) or two boxes with an array (version 2).
void MakeLayout(int v) {
    MakeRunBox();
    const int first = LoadPoints(PatternPoints(v));
    AppendLayoutNode(first, -1, 0, 1.0f, 1.0f, 0);
    if (v == 2) {
        const int box = MakeRectBox(30, 5, 20, 25);
        const int second = LoadPoints(PatternPoints(1));
        const int array = NewArrayNode(2, 3.0f, 3, 4.0f);
        AppendLayoutNode(second, array, 1, 2.0f, 2.0f, box);
    }
}

int AnswerYes(int, int buttons, const char*) {
    return buttons == kButtonsYesNo ? kResponseYes : kResponseOk;
}

std::string typedName;
int TypeName(std::string& text, const char*) {
    text = typedName;
    return 1;
}

bool Write(const std::string& writer) {
    if (writer == "pattern-save")
        return savePattern(MakePattern(version).get(), "patterns/cut.qcc");
    if (writer == "pattern-save-as") {
        typedName = "cut";
        return SavePatternAs(MakePattern(version).get(), "./patterns/") == 1;
    }
    if (writer == "trace-save") {
        typedName = "./patterns/trace";
        tmpPattern = MakePattern(version);
        return SaveTracedPattern() == kTraceSaved;
    }
    if (writer == "defaults-slot") return WriteDefaultInt(kSlotShowAdvancedFeatures, version) == 1;
    if (writer == "defaults-reset") {
        return version == 1 ? WriteDefaultFloat(kSlotJumpStitch, 1.5f) == 1
                            : ResetToFactoryDefaults() == 1;
    }
    MakeLayout(version);
    if (writer == "layout-save") return SaveLayout("cut", 0, 0) == 1;
    if (writer == "undo") return CreateUndoFile() == 1;
    if (writer == "set-point") return CreateSetpoint() == 1;
    if (writer == "recovery") {
        UpdateCrashRecoveryImage();
        return FinishCrashRecovery(kRecoveryLayoutPath) == 1;
    }
    return false;
}

bool KnownWriter(const std::string& name) {
    for (const Writer& w : kWriters)
        if (name == w.name) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "list") == 0) {
        for (const Writer& w : kWriters)
            std::printf("%s %s %d\n", w.name, w.target, w.oldExists ? 1 : 0);
        return 0;
    }
    if (argc < 3 || chdir(argv[2]) != 0 || !SetSystemRoot(".")) return 2;
    SetLogStream(stderr);
    const std::string command = argv[1];
    if (command == "start") return RemoveStaleTemporaries() >= 0 ? 0 : 1;
    if (argc != 4 || !KnownWriter(command)) return 2;
    version = std::atoi(argv[3]) == 2 ? 2 : 1;

    mkdir("patterns", 0777);
    mkdir("Layout", 0777);
    Interface state;
    interface = &state;
    UserInterfaceHooks ui;
    ui.showMessage = AnswerYes;
    ui.showKeyboard = TypeName;
    SetUserInterfaceHooks(ui);
    return Write(command) ? 0 : 1;
}
