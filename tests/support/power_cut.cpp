#include "support/power_cut.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

// The variable that preloads the shim into the writer (a different one when
// the writer runs under emulation, see tests/CMakeLists.txt).
#ifndef LONGARM_PRELOAD_VARIABLE
#define LONGARM_PRELOAD_VARIABLE "LD_PRELOAD"
#endif

namespace {

using Snapshot = std::map<std::string, std::string>;  // relative path -> contents

// Every regular file below folder.
Snapshot Take(const std::string& folder) {
    Snapshot files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).string()] = ReadFileText(entry.path());
    return files;
}

// Environment of the one child run under the shim; removed again afterwards.
struct ShimEnvironment {
    ShimEnvironment(long cutAfter, const std::string& countFile, int writeChunk) {
        setenv(LONGARM_PRELOAD_VARIABLE, POWER_CUT_SHIM_PATH, 1);
        if (cutAfter >= 0) setenv("POWER_CUT_AFTER", std::to_string(cutAfter).c_str(), 1);
        if (!countFile.empty()) setenv("POWER_CUT_COUNT_FILE", countFile.c_str(), 1);
        if (writeChunk > 0) setenv("POWER_CUT_WRITE_CHUNK", std::to_string(writeChunk).c_str(), 1);
        // A sanitizer build would refuse a library loaded before its runtime.
        const char* asan = getenv("ASAN_OPTIONS");
        hadAsan = asan != nullptr;
        savedAsan = asan ? asan : "";
        setenv("ASAN_OPTIONS", (savedAsan + ":verify_asan_link_order=0").c_str(), 1);
    }
    ~ShimEnvironment() {
        for (const char* name : {LONGARM_PRELOAD_VARIABLE, "POWER_CUT_AFTER",
                                 "POWER_CUT_COUNT_FILE", "POWER_CUT_WRITE_CHUNK"})
            unsetenv(name);
        hadAsan ? setenv("ASAN_OPTIONS", savedAsan.c_str(), 1) : unsetenv("ASAN_OPTIONS");
    }
    std::string savedAsan;
    bool hadAsan = false;
};

ProgramResult RunWriter(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {POWER_CUT_WRITER_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunProgram(argv, "", 60000);
}

// Puts in place what the writer reads for version v (no cut while it does).
bool Prepare(const PowerCutWriter& w, const std::string& folder, const char* v) {
    return RunWriter({"prepare", w.name, folder, v}).exitStatus == 0;
}

std::string Describe(const PowerCutWriter& w, long k, const std::string& what) {
    return w.name + ", cut after call " + std::to_string(k) + ": " + what;
}

}  // namespace

PowerCutReport CutPowerDuring(const PowerCutWriter& writer, int most, int writeChunk) {
    PowerCutReport report;
    TempDir scratch;
    const std::string old = scratch.File("old");
    fs::create_directories(old);
    if (!Prepare(writer, old, "1") ||
        (writer.oldExists && RunWriter({writer.name, old, "1"}).exitStatus != 0)) {
        report.problems.push_back(writer.name + ": the old version was not written");
        return report;
    }
    const Snapshot before = Take(old);
    // One save without a cut: its calls and the new file.
    const std::string reference = scratch.File("reference");
    fs::copy(old, reference, fs::copy_options::recursive);
    const std::string countFile = scratch.File("calls");
    if (!Prepare(writer, reference, "2")) {
        report.problems.push_back(writer.name + ": the new version's input was not made");
        return report;
    }
    {
        ShimEnvironment shim(-1, countFile, writeChunk);
        if (RunWriter({writer.name, reference, "2"}).exitStatus != 0) {
            report.problems.push_back(writer.name + ": the new version was not written");
            return report;
        }
    }
    report.calls = std::atoi(ReadFileText(countFile).c_str());
    const std::string newContents = ReadFileText(reference + "/" + writer.target);
    const auto oldFile = before.find(writer.target);
    const long points = report.calls + 1;
    const long tries = most >= points ? points : std::max(most, 1);
    for (long i = 0; i < tries; i++) {
        const long k = tries == points ? i : (tries == 1 ? 0 : i * report.calls / (tries - 1));
        const std::string folder = scratch.File("cut" + std::to_string(i));
        fs::copy(old, folder, fs::copy_options::recursive);
        Prepare(writer, folder, "2");
        ProgramResult cut;
        {
            ShimEnvironment shim(k, "", writeChunk);
            cut = RunWriter({writer.name, folder, "2"});
        }
        report.cuts++;
        if (cut.signal != SIGKILL) report.problems.push_back(Describe(writer, k, "not cut"));
        const std::string target = folder + "/" + writer.target;
        const bool exists = fs::exists(target);
        const std::string now = exists ? ReadFileText(target) : "";
        const bool isOld = oldFile == before.end() ? !exists : (exists && now == oldFile->second);
        const bool isNew = exists && now == newContents;
        if (!isOld && !isNew) {
            report.lost++;
            report.problems.push_back(Describe(
                writer, k,
                exists ? "target torn (" + std::to_string(now.size()) + " bytes)" : "target gone"));
        }
        // The next start: nothing but the old files and the target may remain.
        if (RunWriter({"start", folder}).exitStatus != 0)
            report.problems.push_back(Describe(writer, k, "start failed"));
        bool leftover = false;
        for (const auto& [path, contents] : Take(folder)) {
            if (path == writer.target || before.count(path)) continue;
            if (std::find(writer.others.begin(), writer.others.end(), path) != writer.others.end())
                continue;
            leftover = true;
            report.problems.push_back(Describe(writer, k, "left behind: " + path));
        }
        if (leftover) report.leftovers++;
        fs::remove_all(folder);
    }
    return report;
}
