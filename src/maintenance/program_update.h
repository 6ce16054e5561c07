// Updating the controller program from a USB stick, across two runs.
//
// First run ("Update Program"): the chosen program file is checked against its
// checksum file (CRC, application code 1, kernel release), the running program
// is saved to the backup folder, "./update" is written (first line the
// checksum file of the new program, then the follow-up copies of its style
// files, screen settings and images), the new program replaces the installed
// one and "./system" is removed. The program then ends and is started again.
//
// Next start (CheckUpdate): "./system" is missing, so the update is finished:
// the follow-up copies are made and "./system" is written with the outcome.
//
// Every file is written whole (temporary file, sync, rename): the installed
// program is replaced in one rename after the backup is on the medium and the
// new copy has been checked against the CRC, so a power cut at any moment
// leaves a program that starts. The follow-up lines of "./update" are carried
// out by this code, and only the copy lines it recognises; nothing is ever
// handed to a shell.
#pragma once

#include <functional>
#include <string>

// Version of this program; the backup of the running program is named after it.
constexpr const char* kSoftwareVersion = "3.05";

// Fixed places (mapped below the system root when one is set).
constexpr const char* kInstalledProgramPath = "/media/mmc0/Keswin/keswin";
constexpr const char* kProgramBackupFolder = "/media/mmc0/Keswin/backup/";
// Files in the program folder.
constexpr const char* kSystemMarkerPath = "./system";
constexpr const char* kUpdateCommandPath = "./update";
// Chooser filter of program files.
constexpr const char* kProgramFileFilter = ".BIN .bin";

// The backup of the running program: kProgramBackupFolder + "version_" + the
// version with "_" for "." ("version_3_05").
std::string ProgramBackupPath();

// Results of UpdateProgram.
enum ProgramUpdateResult {
    kProgramUpdated = 0,     // "FILE COPIED..." was shown: end the process with status 0
    kProgramNotUpdated = 1,  // refused, declined or failed (the message was shown)
};

// "Update Program" after the quilter chose a file (the caller checks the stick
// and runs the chooser at the stick with kProgramFileFilter). An empty path
// does nothing. Errors: "YOU SELECTED A DIRECTORY.\nABORTING PROCEDURE.",
// "COULD NOT VALIDATE FILE" (no matching checksum file), "THE SELECTED FILE
// IS NOT VALID" (application code not 1, or a line break in the name),
// "OPERATING SYSTEM IS NOT COMPATABLE\nSystem: R CRC: F" (the running kernel
// release R, read from kernelFile, differs from the file's release F, which
// includes a checksum file naming none). Asks "UPDATE THE REMOTE WITH %s
// version %0.2f?" (Yes and No), then under the waiting window "\n\nUPDATING
// PROGRAM" saves the backup, writes "./update", installs the program and
// removes "./system". Shows "FILE COPIED.\nTHE PROGRAM WILL NOW RESTART" or,
// when any of these writes fails (nothing is then changed but a complete
// backup), the error "COPY FAILED".
int UpdateProgram(const std::string& chosenPath, const char* kernelFile = "/proc/version");

// Deletes the temporary files that an update cut short by a power failure left
// beside the installed program and in the backup folder. Called by CheckUpdate
// first. Returns the number of files deleted.
int RemoveUpdateTemporaries();

// Results of CheckUpdate.
enum StartUpdateResult {
    kStartGoOn = 0,    // nothing pending, or the update was cancelled: start normally
    kStartEndNow = 1,  // the update was finished (or half finished): end with status 1
};

// Finishes a pending program update at start, after RemoveUpdateTemporaries.
// "./system" present: kStartGoOn at once. Otherwise logs "No System file"; without a stick logs "No
// USB", writes "UPDATE CANCELED" into "./system" and goes on. With "./update" its first line names
// the checksum file and each further line (up to 255 characters) is logged as "Process Command:
// %s\n" and carried out when it is a recognised copy line. Without "./update" the quilter is told
// "IN ORDER TO CONTINUE THE UPDATE YOU MUST RESELECT THE FILE THAT THE UNIT WAS UPDATED WITH" and
// chooseProgramFile is called: no choice ("INVALID SELECTION"), a folder ("YOU SELECTED A
// DIRECTORY.\nABORTING PROCEDURE.") or a file that fails its check ("THE SELECTED FILE IS NOT
// VALID") end it with nothing written; otherwise the file's folder's "gtkr*" files and "images/*"
// are copied. Then "./system" is written: no checksum file named: "System Updated With Possible
// Errors", error "SYSTEM UPDATED WITH POSSIBLE ERRORS", kStartEndNow; the checksum file unreadable:
// "CRC INVALID", error "INVALID CRC FILE", kStartGoOn; else "SYSTEM UPDATED\nCRC Check:
// %ld\nVersion: %0.3f\n", "SYSTEM UPDATE SUCCESSFUL", kStartEndNow. Called by start-up before the
// main loop.
int CheckUpdate(const std::function<std::string()>& chooseProgramFile);

// Carries out one follow-up line of "./update" when it is a copy line this
// program writes: "cp SOURCE ./" where SOURCE's name is "gtkrc", "gtkrc_5" or
// "screen.conf", or "cp SOURCE ./images" (or "./images/") where SOURCE is a
// file or "FOLDER/*" (every regular file of FOLDER whose name does not begin
// with "."). SOURCE may hold blanks. Returns 1 when the line was recognised
// and every copy succeeded, 0 otherwise (an unrecognised line is logged and
// left out).
int RunUpdateLine(const std::string& line);
