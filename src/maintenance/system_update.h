// Updating the controller's system from a USB stick ("Update System"): the
// update archive is found on the stick, unpacked into a scratch folder and the
// script inside it is run; and resetting the touch-screen calibration
// ("Calibrate Screen").
//
// The archive is unpacked with libarchive, never by a shell, and an archive
// with any entry that would land outside the scratch folder (an absolute path,
// a ".." step, a link pointing out of it), a device or pipe entry, or more than
// the size and entry limits below is refused whole: its script is not run.
#pragma once

#include <string>

constexpr const char* kUpdateArchiveName = "qcc_update.tar.gz";
constexpr const char* kUpdateScriptName = "qcc_update.sh";
constexpr const char* kUpdateScratchFolder = "/tmp/softupdate";  // mapped below the system root
constexpr const char* kCalibrationFile = "/media/mmc0/calibration/pointercal";

// Limits of an update archive: bytes unpacked in all and entries.
constexpr long long kMaxUpdateBytes = 512LL * 1024 * 1024;
constexpr int kMaxUpdateEntries = 20000;

// Results of UnpackUpdateArchive.
enum UnpackResult {
    kUnpacked = 0,
    kUnpackUnreadable = 1,  // not an archive libarchive can read, or damaged
    kUnpackRefused = 2,     // an entry outside the folder, a device or pipe entry
    kUnpackTooLarge = 3,    // over kMaxUpdateBytes or kMaxUpdateEntries
    kUnpackWriteFailed = 4  // an entry could not be written
};

// Unpacks the (optionally compressed) tar archive into folder, which must exist.
// Entry permissions are kept without set-user and set-group bits. On a refusal
// *refused (when given) names the entry. Returns an UnpackResult; after a
// failure what was unpacked stays for the caller to remove.
int UnpackUpdateArchive(const std::string& archive, const std::string& folder,
                        std::string* refused = nullptr);

// Results of UpdateSystem.
enum SystemUpdateResult {
    kSystemUpdateRan = 0,      // the script ran and ended with status 0
    kSystemUpdateStopped = 1,  // no stick, no archive, or the quilter declined
    kSystemUpdateFailed = 2,   // refused archive, no script, or the script failed
};

// "Update System": the USB check; the waiting window "\n\nSEARCHING FOR
// UPDATE" while findFile looks for kUpdateArchiveName below the stick; not
// found: logs "Could not find file: \" %s \" in \" %s \"\n" and shows the error
// "UPDATE FILE NOT FOUND ON USB DRIVE\n". Found: logs "Found file: %s\n", asks
// "UPDATE FILE FOUND:\n" + path + "\nPROCEED WITH UPDATE?" (OK and Cancel); on
// OK logs the steps and "sys: %s\n" with the script, empties the scratch
// folder, unpacks the archive into it and runs the script (its argument vector
// is just its path; the working folder stays the program folder). An archive
// that is refused or lacks the script shows "UPDATE FILE IS NOT VALID"; a
// script that cannot run or ends with a status other than 0 shows "SYSTEM
// UPDATE FAILED".
int UpdateSystem();

// "Calibrate Screen": asks "SYSTEM WILL REBOOT TO RESET CALIBRATION.\nCONTINUE?"
// (Yes and No); on Yes removes the calibration file and restarts the
// controller with "/sbin/reboot" (below a substitute system root only logs
// "Reboot left out below a substitute system root", so a development machine
// is never restarted). Returns 1 when the file was removed (or was already
// gone), 0 when declined or it could not be removed.
int ResetScreenCalibration();
