#include "app/usb_drive.h"

#include <dirent.h>

#include "app/log.h"
#include "app/system_paths.h"
#include "app/ui_hooks.h"

int CheckUSBIsIn() {
    DIR* dir = opendir(SystemPath(kUsbMountPath).c_str());
    if (dir) {
        closedir(dir);
        return 1;
    }
    ShowMessage(kMessageError, kButtonsOk,
                "USB DRIVE NOT DETECTED.\n\nIF INSERTED, TRY WAITING A FEW MORE SECONDS FOR THE "
                "DRIVE TO BE FOUND OR REMOVE AND REINSERT THE USB DRIVE\n");
    LogLine("Could not find USB Drive");
    return 0;
}
