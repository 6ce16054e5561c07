#include "maintenance/program_update.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/kernel_version.h"
#include "base/log.h"
#include "base/safe_write.h"
#include "base/screen_config.h"
#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "base/usb_drive.h"
#include "maintenance/checksum_file.h"
#include "maintenance/crc32.h"
#include "maintenance/file_operations.h"
#include "maintenance/safe_copy.h"

namespace {

constexpr size_t kMaxUpdateFileBytes = 64 * 1024;
constexpr size_t kMaxUpdateLine = 255;

// Names a "cp SOURCE ./" line may bring into the program folder.
constexpr const char* kProgramFolderFiles[] = {"gtkrc", "gtkrc_5", "screen.conf"};

void Error(const std::string& text) {
    ShowMessage(kMessageError, kButtonsOk, text.c_str());
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool WriteMarker(const std::string& text) {
    return SafeWriteFile(kSystemMarkerPath, text) == 1;
}

// Copies every regular file of folder whose name passes `wanted` into destination.
bool CopyFolderFiles(const std::string& folder, const std::string& destination,
                     bool (*wanted)(const std::string& name)) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    std::vector<std::string> names;
    while (struct dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name[0] != '.' && wanted(name) && IsRegularFile(folder + "/" + name))
            names.push_back(name);
    }
    closedir(dir);
    mkdir(destination.c_str(), 0777);
    bool ok = true;
    for (const std::string& name : names)
        ok = SafeCopyFile(folder + "/" + name, destination + "/" + name, NewFileMode()) && ok;
    return ok;
}

bool AnyName(const std::string&) {
    return true;
}

bool StyleFileName(const std::string& name) {
    return name.compare(0, 4, "gtkr") == 0;
}

// Copies the new program to the installed place through a temporary file,
// folding its CRC on the way: a copy whose bytes do not give the checked CRC
// (a stick that fails while it is read) is never renamed into place.
bool InstallProgram(const std::string& source, const std::string& installed, uint32_t expected) {
    const int from = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) return false;
    struct stat old {};
    const mode_t mode = stat(installed.c_str(), &old) == 0 ? (old.st_mode & 0777) | 0100 : 0755;
    const bool ok = WriteFileThrough(installed, mode, [&](int to) {
        std::vector<unsigned char> buffer(256 * 1024);
        uint32_t crc = 0xFFFFFFFFu;
        for (;;) {
            const ssize_t n = read(from, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return false;
            if (n == 0) break;
            crc = PartialCRC8(crc, buffer.data(), static_cast<size_t>(n));
            if (!WriteAll(to, buffer.data(), static_cast<size_t>(n))) return false;
        }
        if (~crc == expected) return true;
        LogLine("The program file changed after it was checked");
        errno = 0;
        return false;
    });
    close(from);
    return ok;
}

// The text of "./update": the checksum file, then the follow-up copies of the
// files that lie beside the new program.
std::string UpdateCommands(const std::string& programPath) {
    const std::string folder = FolderOf(programPath);
    std::string text = ChecksumFilePath(programPath) + "\n";
    const std::string style = folder + "/" + (icon_style == 1 ? "gtkrc" : "gtkrc_5");
    if (Exists(style)) text += "cp " + style + " ./\n";
    if (Exists(folder + "/screen.conf")) text += "cp " + folder + "/screen.conf ./\n";
    if (IsFolder(folder + "/images")) text += "cp " + folder + "/images/* ./images\n";
    return text;
}

// Checks the chosen file; shows the refusal and returns false when it fails.
bool ProgramFileAcceptable(const std::string& path, const char* kernelFile, float& version,
                           uint32_t& crc) {
    if (IsFolder(path)) {
        Error("YOU SELECTED A DIRECTORY.\nABORTING PROCEDURE.");
        return false;
    }
    int appCode = -1;
    version = -1.0f;
    std::string fileKernel;
    ChecksumRecord record;
    if (!CheckCRC(path.c_str(), &appCode, &version, &fileKernel) ||
        !ReadChecksumFile(ChecksumFilePath(path), record)) {
        Error("COULD NOT VALIDATE FILE");
        return false;
    }
    if (appCode != kAppCodeProgram || path.find_first_of("\r\n") != std::string::npos) {
        Error("THE SELECTED FILE IS NOT VALID");
        return false;
    }
    crc = record.crc;  // equal to the file's own: CheckCRC passed
    LogLine("Get Kernel Version");
    std::string running;
    if (GetKernelFrom(kernelFile, &running) != 0) {
        LogLine("Version File Not Available");
        return true;
    }
    if (running != fileKernel) {
        Error("OPERATING SYSTEM IS NOT COMPATABLE\nSystem: " + running + " CRC: " + fileKernel);
        return false;
    }
    Log("kernel version: %s\n", running.c_str());
    return true;
}

// Backup, "./update", the new program, and "./system" removed, in the order
// that keeps a startable program at every moment.
bool ReplaceProgram(const std::string& path, uint32_t crc) {
    const std::string installed = SystemPath(kInstalledProgramPath);
    mkdir(SystemPath(kProgramBackupFolder).c_str(), 0777);
    struct stat st {};
    if (stat(installed.c_str(), &st) == 0 &&
        !SafeCopyFile(installed, ProgramBackupPath(), (st.st_mode & 0777) | 0100))
        return false;
    if (!SafeWriteFile(kUpdateCommandPath, UpdateCommands(path))) return false;
    if (!InstallProgram(path, installed, crc)) return false;
    if (unlink(kSystemMarkerPath) != 0 && errno != ENOENT) return false;
    return true;
}

// "./update": the checksum file named on its first line, the copies on the others.
std::string RunUpdateFile(const std::string& text) {
    size_t start = text.find('\n');
    std::string checksum = text.substr(0, start);
    while (!checksum.empty() && (checksum.back() == '\r' || checksum.back() == ' '))
        checksum.pop_back();
    while (start != std::string::npos && start < text.size()) {
        const size_t end = text.find('\n', start + 1);
        std::string line = text.substr(start + 1, end == std::string::npos ? end : end - start - 1);
        start = end;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        line.resize(std::min(line.size(), kMaxUpdateLine));
        Log("Process Command: %s\n", line.c_str());
        RunUpdateLine(line);
    }
    return checksum;
}

// No "./update": the quilter names the program file again. Returns false when
// the check ends without anything written.
bool Reselect(const std::function<std::string()>& choose, std::string& checksum) {
    ShowMessage(kMessageInfo, kButtonsOk,
                "IN ORDER TO CONTINUE THE UPDATE YOU MUST RESELECT THE FILE THAT THE UNIT WAS "
                "UPDATED WITH");
    const std::string path = choose ? choose() : std::string();
    if (path.empty()) {
        Error("INVALID SELECTION");
        return false;
    }
    if (IsFolder(path)) {
        Error("YOU SELECTED A DIRECTORY.\nABORTING PROCEDURE.");
        return false;
    }
    int appCode = -1;
    float version = -1.0f;
    if (!CheckCRC(path.c_str(), &appCode, &version, nullptr)) {
        Error("THE SELECTED FILE IS NOT VALID");
        return false;
    }
    checksum = ChecksumFilePath(path);
    const std::string folder = FolderOf(path);
    CopyFolderFiles(folder, ".", StyleFileName);
    if (IsFolder(folder + "/images")) CopyFolderFiles(folder + "/images", "./images", AnyName);
    return true;
}

int FinishWith(int result) {
    sync();
    return result;
}

}  // namespace

std::string ProgramBackupPath() {
    std::string version = kSoftwareVersion;
    for (char& c : version)
        if (c == '.') c = '_';
    return SystemPath(kProgramBackupFolder) + "version_" + version;
}

int UpdateProgram(const std::string& chosenPath, const char* kernelFile) {
    if (chosenPath.empty()) return kProgramNotUpdated;
    const std::string path = SystemPath(chosenPath.c_str());
    float version = 0.0f;
    uint32_t crc = 0;
    if (!ProgramFileAcceptable(path, kernelFile, version, crc)) return kProgramNotUpdated;
    char question[512];
    std::snprintf(question, sizeof question, "UPDATE THE REMOTE WITH %s version %0.2f?",
                  path.c_str(), static_cast<double>(version));
    if (ShowMessage(kMessageQuestion, kButtonsYesNo, question) != kResponseYes)
        return kProgramNotUpdated;

    ShowWaitingWindow("\n\nUPDATING PROGRAM", 0);
    ProcessPendingEvents();
    const bool ok = ReplaceProgram(path, crc);
    sync();
    HideWaitingWindow();
    if (!ok) {
        Error("COPY FAILED");
        return kProgramNotUpdated;
    }
    ShowMessage(kMessageInfo, kButtonsOk, "FILE COPIED.\nTHE PROGRAM WILL NOW RESTART");
    return kProgramUpdated;
}

int RemoveUpdateTemporaries() {
    return RemoveTemporariesIn(FolderOf(SystemPath(kInstalledProgramPath)), 0) +
           RemoveTemporariesIn(SystemPath(kProgramBackupFolder), 0);
}

int CheckUpdate(const std::function<std::string()>& chooseProgramFile) {
    RemoveUpdateTemporaries();
    if (access(kSystemMarkerPath, F_OK) == 0) return kStartGoOn;
    LogLine("No System file");
    if (!UsbStickPresent()) {
        LogLine("No USB");
        WriteMarker("UPDATE CANCELED");
        return FinishWith(kStartGoOn);
    }
    std::string checksum;
    std::string commands;
    FILE* file = std::fopen(kUpdateCommandPath, "r");
    if (file) {
        std::vector<char> buffer(kMaxUpdateFileBytes);
        commands.assign(buffer.data(), std::fread(buffer.data(), 1, buffer.size(), file));
        std::fclose(file);
        checksum = RunUpdateFile(commands);
    } else if (!Reselect(chooseProgramFile, checksum)) {
        return FinishWith(kStartGoOn);
    }

    if (checksum.empty()) {
        WriteMarker("System Updated With Possible Errors");
        Error("SYSTEM UPDATED WITH POSSIBLE ERRORS");
        return FinishWith(kStartEndNow);
    }
    ChecksumRecord record;
    if (!ReadChecksumFile(checksum, record)) {
        WriteMarker("CRC INVALID");
        Error("INVALID CRC FILE");
        return FinishWith(kStartGoOn);
    }
    char text[128];
    std::snprintf(text, sizeof text, "SYSTEM UPDATED\nCRC Check: %ld\nVersion: %0.3f\n",
                  static_cast<long>(static_cast<int32_t>(record.crc)),
                  static_cast<double>(record.version));
    WriteMarker(text);
    ShowMessage(kMessageInfo, kButtonsOk, "SYSTEM UPDATE SUCCESSFUL");
    return FinishWith(kStartEndNow);
}

int RunUpdateLine(const std::string& line) {
    const size_t lastBlank = line.rfind(' ');
    if (line.compare(0, 3, "cp ") != 0 || lastBlank == std::string::npos || lastBlank < 3) {
        Log("Not a copy line, left out: %s\n", line.c_str());
        return 0;
    }
    const std::string source = line.substr(3, lastBlank - 3);
    const std::string destination = line.substr(lastBlank + 1);
    if (destination == "./") {
        const std::string name = NameOf(source);
        for (const char* allowed : kProgramFolderFiles) {
            if (name == allowed) return SafeCopyFile(source, "./" + name, NewFileMode()) ? 1 : 0;
        }
    } else if (destination == "./images" || destination == "./images/") {
        if (source.size() > 2 && source.compare(source.size() - 2, 2, "/*") == 0)
            return CopyFolderFiles(source.substr(0, source.size() - 2), "./images", AnyName) ? 1
                                                                                             : 0;
        if (IsRegularFile(source)) {
            mkdir("./images", 0777);
            return SafeCopyFile(source, "./images/" + NameOf(source), NewFileMode()) ? 1 : 0;
        }
    }
    Log("Not a copy line, left out: %s\n", line.c_str());
    return 0;
}
