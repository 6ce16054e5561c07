// The writes that the power-cut tests interrupt, each through the program's own
// code, in a folder that stands for the program folder (and for / below it):
//
//   power_cut_writer WRITER FOLDER VERSION   writes version 1 (old) or 2 (new)
//   power_cut_writer prepare WRITER FOLDER VERSION   what that write reads (the USB stick)
//   power_cut_writer start FOLDER            a start's clean-up of interrupted saves
//
// WRITER is a name of support/power_cut.h. Exit status 0 when the write
// succeeded, 1 when not, 2 on bad arguments.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "app/crash_recovery.h"
#include "app/machine_startup.h"
#include "base/defaults_file.h"
#include "base/log.h"
#include "base/safe_write.h"
#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "machine/stitching/trace_recording.h"
#include "maintenance/checksum_file.h"
#include "maintenance/file_operations.h"
#include "maintenance/program_update.h"
#include "pattern/pattern.h"
#include "pattern/pattern_save_as.h"
#include "support/power_cut.h"
#include "support/run_layout.h"

namespace {

constexpr const char* kInstalled = "media/mmc0/Keswin/keswin";

// The kernel release the controller runs and the program file is made for.
constexpr const char* kKernelRelease = "2.6.29.6";

int version = 1;

// Points of a pattern: version 2 has more, so a torn new file differs from both.
Points PatternPoints(int v) {
    Points points;
    const int n = v == 1 ? 12 : 150;
    for (int i = 0; i < n; i++)
        points.emplace_back(0.25f * i, (i % 3) * 0.5f + v);
    return points;
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

std::string typedName;  // what the keyboard types

std::string PatternText(int v) {
    std::string text = v == 1 ? "n old\n" : "n new\n";
    for (const auto& [x, y] : PatternPoints(v)) {
        char line[64];
        std::snprintf(line, sizeof line, "p X%.3f Y%.3f\n", x, y);
        text += line;
    }
    return text;
}

std::unique_ptr<Pattern> MakePattern(int v) {
    auto p = std::make_unique<Pattern>();
    p->name = "cut";
    std::istringstream lines(PatternText(v) + "c s\n");
    for (std::string line; std::getline(lines, line);)
        addData(p.get(), line.c_str(), 0);
    return p;
}

std::string DrawingText(int v) {
    std::string text = "  0\nSECTION\n  2\nENTITIES\n";
    for (int i = 0; i < (v == 1 ? 3 : 40); i++) {
        char line[160];
        std::snprintf(line, sizeof line, "  0\nLINE\n  8\n0\n 10\n%d\n 20\n0\n 11\n%d\n 21\n%d\n",
                      i, i + 1, v);
        text += line;
    }
    return text + "  0\nENDSEC\n  0\nEOF\n";
}

// A program file of version v (different sizes, so a torn copy is neither).
std::string ProgramBytes(int v) {
    std::string bytes = "\x7f" + ("ELF program version " + std::to_string(v)) + "\n";
    for (int i = 0; i < (v == 1 ? 500 : 3000); i++)
        bytes += static_cast<char>((i * 37 + v) & 0xFF);
    return bytes;
}

bool Put(const std::string& path, const std::string& bytes) {
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos) std::filesystem::create_directories(path.substr(0, slash));
    return SafeWriteFile(path, bytes) == 1;
}

// What the maintenance writers read: the stick's files, the installed program, the kernel file.
bool Prepare(const std::string& writer) {
    if (writer == "file-copy") return Put("media/usb/copied.qcc", PatternText(version));
    if (writer == "drawing-copy") return Put("media/usb/drawing.dxf", DrawingText(version));
    // Version 1 also installs the program of before any update, and the marker
    // of a finished update.
    return writer != "program-update" ||
           (Put("kernel", std::string("Linux version ") + kKernelRelease + " (builder) #1\n") &&
            (version == 2 ||
             (Put(kInstalled, ProgramBytes(1)) && Put("system", "SYSTEM UPDATED\n"))) &&
            Put("media/usb/keswin.BIN", ProgramBytes(version)) &&
            WriteChecksumFile("media/usb/keswin.BIN", kAppCodeProgram, static_cast<float>(version),
                              kKernelRelease) == 1);
}

bool Write(const std::string& writer) {
    if (writer == "file-copy")
        return CopyFile("/media/usb/copied.qcc", "patterns/copied.qcc", 1) == kCopyDone;
    if (writer == "drawing-copy")
        return CopyFile("/media/usb/drawing.dxf", "patterns/drawing.qcc", 1) == kCopyDone;
    if (writer == "program-update") {
        if (version == 1) return true;  // installed by the preparation
        return UpdateProgram("/media/usb/keswin.BIN", "kernel") == kProgramUpdated;
    }
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
    if (writer == "shutdown") {  // the end and hang-up signals
        UpdateCrashRecoveryImage();
        return WriteRecoveryImage(kRecoveryLayoutPath) == 1;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const bool prepare = argc == 5 && std::strcmp(argv[1], "prepare") == 0;
    if (prepare) {
        argv++;
        argc--;
    }
    if (argc < 3 || chdir(argv[2]) != 0 || !SetSystemRoot(".")) return 2;
    SetLogStream(stderr);
    const std::string command = argv[1];
    if (command == "start") {  // the clean-up parts of a start
        RemoveStaleTemporaries();
        RemoveUpdateTemporaries();
        return 0;
    }
    if (argc != 4 || std::none_of(PowerCutWriters().begin(), PowerCutWriters().end(),
                                  [&](const PowerCutWriter& w) { return command == w.name; }))
        return 2;
    version = std::atoi(argv[3]) == 2 ? 2 : 1;
    mkdir("patterns", 0777);
    mkdir("Layout", 0777);
    UserInterfaceHooks ui;
    ui.showMessage = [](int, int buttons, const char*) {
        return buttons == kButtonsYesNo ? kResponseYes : kResponseOk;
    };
    ui.showKeyboard = [](std::string& text, const char*) {
        text = typedName;
        return 1;
    };
    SetUserInterfaceHooks(ui);
    if (prepare) return Prepare(command) ? 0 : 1;
    return Write(command) ? 0 : 1;
}
