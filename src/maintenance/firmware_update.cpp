#include "maintenance/firmware_update.h"

#include <cstdio>

#include "base/log.h"
#include "base/system_paths.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "maintenance/checksum_file.h"
#include "maintenance/file_operations.h"

int UpdateMotorFirmware(const std::string& chosenPath, const LoaderTiming& timing) {
    if (chosenPath.empty() || IsFolder(SystemPath(chosenPath.c_str()))) {
        ShowMessage(kMessageWarning, kButtonsOk, "NO FILE SELECTED.  ABORTING PROCEDURE.");
        return kFirmwareNotSent;
    }
    const std::string path = SystemPath(chosenPath.c_str());
    int appCode = -1;
    float version = -1.0f;
    if (!CheckCRC(path.c_str(), &appCode, &version, nullptr)) {
        ShowMessage(kMessageError, kButtonsOk, "COULD NOT VALIDATE FILE");
        return kFirmwareNotSent;
    }
    if (appCode != kAppCodeFirmware) {
        ShowMessage(kMessageError, kButtonsOk, "THE SELECTED FILE IS NOT VALID");
        return kFirmwareNotSent;
    }
    const std::string question = "UPDATE ROBOT WITH FILE: " + path + "?";
    if (ShowMessage(kMessageQuestion, kButtonsYesNo, question.c_str()) != kResponseYes)
        return kFirmwareNotSent;
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file) {
        ShowMessage(kMessageError, kButtonsOk, "COULD NOT OPEN FILE");
        return kFirmwareNotSent;
    }
    ShowWaitingWindow("\n\nUPDATING PROGRAM", 0);
    ProcessPendingEvents();
    const int result = SendHexFile(file, timing);
    std::fclose(file);
    HideWaitingWindow();
    SleepMicroseconds(static_cast<int64_t>(timing.settleMs) * 1000);
    if (result != kUploadDone) {
        char text[64];
        std::snprintf(text, sizeof text, "SEND FILE FAILED! \nError:%d", result);
        ShowMessage(kMessageError, kButtonsOk, text);
        return kFirmwareNotSent;
    }
    ShowMessage(kMessageInfo, kButtonsOk, "SEND FILE SUCCESSFUL\nRESTARTING PROGRAM");
    return kFirmwareSent;
}
