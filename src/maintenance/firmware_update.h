// "Update Robot": new firmware for the motor-controller board from a HEX file
// on the USB stick, checked against its checksum file before it is sent
// (firmware_upload.h does the sending).
#pragma once

#include <string>

#include "machine/firmware_upload.h"

// Chooser filter of firmware files.
constexpr const char* kFirmwareFileFilter = ".hex .HEX";

// Results of UpdateMotorFirmware.
enum FirmwareUpdateResult {
    kFirmwareSent = 0,     // "SEND FILE SUCCESSFUL..." was shown: end the process with status 0
    kFirmwareNotSent = 1,  // refused, declined or failed (the message was shown)
};

// After the quilter chose a file (the caller checks the stick and runs the
// chooser at the stick with kFirmwareFileFilter): no file gives the warning
// "NO FILE SELECTED.  ABORTING PROCEDURE."; a failed checksum check the error
// "COULD NOT VALIDATE FILE"; an application code other than 2 "THE SELECTED
// FILE IS NOT VALID". Asks "UPDATE ROBOT WITH FILE: " + path + "?" (Yes and
// No); a file that cannot be opened gives "COULD NOT OPEN FILE". Sends it under
// the waiting window "\n\nUPDATING PROGRAM" and shows "SEND FILE SUCCESSFUL
// \nRESTARTING PROGRAM" or the error "SEND FILE FAILED! \nError:" followed by
// the upload's result number.
int UpdateMotorFirmware(const std::string& chosenPath, const LoaderTiming& timing = LoaderTiming{});
