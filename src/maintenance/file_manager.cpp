#include "maintenance/file_manager.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "base/usb_drive.h"
#include "maintenance/file_operations.h"

namespace {

bool Chosen(const std::string& text, const char* nothing) {
    return !text.empty() && text != nothing;
}

bool FolderOpens(const std::string& path) {
    DIR* dir = opendir(path.c_str());
    if (!dir) return false;
    closedir(dir);
    return true;
}

void Say(int kind, const char* text) {
    ShowMessage(kind, kButtonsOk, text);
}

int CopyFolder(const std::string& source, const std::string& target) {
    std::string from = source;
    while (from.size() > 1 && from.back() == '/')
        from.pop_back();
    if (target == from || target.compare(0, from.size() + 1, from + "/") == 0) {
        Say(kMessageError, "SORRY.\nYOU MAY NOT COPY THE FOLDER TO THE SAME DIRECTORY.");
        return 0;
    }
    const std::string question =
        "COPY THE ENTIRE DIRECTORY:\n" + from + " \n TO: \n" + target + " ?";
    if (ShowMessage(kMessageQuestion, kButtonsOkCancel, question.c_str()) != kResponseOk) return 0;
    ShowWaitingWindow("\n\nCOPYING DIRECTORY", 0);
    ProcessPendingEvents();
    const int failed = CopyDirectory(from, target, 0);
    HideWaitingWindow();
    return failed ? 0 : 1;
}

// The program's own folders come back (empty) when the quilter deleted one
// of them as a whole: without "./patterns" nothing could be copied in again
// and the pattern list would stay empty.
void KeepProgramFolders() {
    mkdir("./patterns", 0777);
    mkdir("./thumbnails", 0777);
}

}  // namespace

std::string FilePlaceFolder(int place) {
    if (place == kPlaceUsb) return SystemPath(kUsbMountPath);
    if (place == kPlacePreviews) return "./thumbnails/";
    return "./patterns/";
}

int ChooseFilePlace(int place) {
    if (place == kPlaceUsb && !CheckUSBIsIn()) return kPlaceInternal;
    return place;
}

int CopyAllowedFrom(int sourcePlace) {
    return sourcePlace == kPlacePreviews ? 0 : 1;
}

int CopyChosen(const std::string& chosenFile, const std::string& chosenFolder, int sourcePlace,
               int destinationPlace) {
    if ((sourcePlace == kPlaceUsb || destinationPlace == kPlaceUsb) && !CheckUSBIsIn()) return 0;
    if (!Chosen(chosenFile, kNoFileSelected)) {
        Say(kMessageError, "NO FILE SELECTED");
        return 0;
    }
    if (!Chosen(chosenFolder, kNoDirectorySelected)) {
        Say(kMessageError, "NO DIRECTORY SELECTED");
        return 0;
    }
    const std::string folder = SystemPath(chosenFolder.c_str());
    if (!FolderOpens(folder)) {
        Say(kMessageError, "DIRECTORY NOT FOUND");
        return 0;
    }
    const std::string source = SystemPath(chosenFile.c_str());
    std::string trimmed = source;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    const std::string name = slash == std::string::npos ? "/" + trimmed : trimmed.substr(slash);
    std::string base = folder;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    const std::string target = base + name;
    const int copied =
        IsFolder(source) ? CopyFolder(source, target) : CopyFile(source, target, 0) == kCopyDone;
    sync();
    return copied;
}

int DeleteChosen(const std::string& chosen, int sourcePlace) {
    if (!Chosen(chosen, kNoFileSelected)) {
        Say(kMessageError, "NO FILE SELECTED");
        return 0;
    }
    if (sourcePlace == kPlaceUsb && !CheckUSBIsIn()) return 0;
    const std::string path = SystemPath(chosen.c_str());
    const bool folder = IsFolder(path);
    const int result = folder ? DeleteDirectory(path, 0) : DeleteFile(path, 0);
    if (folder) KeepProgramFolders();
    if (result == kDeleteDone)
        Say(kMessageInfo, folder ? "DIRECTORY DELETED" : "FILE DELETED");
    else if (result == kDeleteFailed)
        Say(kMessageError, folder ? "DIRECTORY NOT DELETED" : "FILE NOT DELETED");
    else
        Say(kMessageInfo, "OPERATION CANCELED");
    sync();
    return result == kDeleteDone ? 1 : 0;
}
