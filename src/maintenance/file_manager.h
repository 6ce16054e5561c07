// What the file-manager screen does, without the screen: the places a file is
// copied from and to, and the Copy and Delete actions with every check,
// question and message. The screen keeps the chosen places and the two path
// entries and calls these; the file chooser supplies the paths.
#pragma once

#include <string>

// Places of the file manager: sources 0..2, destinations 0..1.
enum FilePlace { kPlaceInternal = 0, kPlaceUsb = 1, kPlacePreviews = 2 };

// Entry texts while nothing is chosen.
constexpr const char* kNoFileSelected = "No File Selected";
constexpr const char* kNoDirectorySelected = "No Directory Selected";

// The folder of a place: "./patterns/", the USB stick's folder (below the system
// root when one is set) or "./thumbnails/". Other values give "./patterns/".
std::string FilePlaceFolder(int place);

// The place that stands when the quilter chooses `place`: the USB stick only
// when it is present (else the USB check's message is shown and the choice
// falls back to kPlaceInternal); every other place as chosen.
int ChooseFilePlace(int place);

// 1 when Copy works from this source (not from the previews), else 0.
int CopyAllowedFrom(int sourcePlace);

// The Copy button: checks the stick when either place is the USB stick; shows
// "NO FILE SELECTED" without a chosen file (empty or kNoFileSelected), "NO
// DIRECTORY SELECTED" without a chosen folder, "DIRECTORY NOT FOUND" when the
// folder cannot be opened. A file is copied to folder + its name with CopyFile
// (messages on). A folder: "SORRY.\nYOU MAY NOT COPY THE FOLDER TO THE SAME
// DIRECTORY." when it would land on or inside itself; else asks "COPY THE
// ENTIRE DIRECTORY:\n" + source + " \n TO: \n" + target + " ?" (OK and
// Cancel) and on OK copies it under the waiting window "\n\nCOPYING
// DIRECTORY" with CopyDirectory (messages on). Returns 1 when something was
// copied, 0 otherwise.
int CopyChosen(const std::string& chosenFile, const std::string& chosenFolder, int sourcePlace,
               int destinationPlace);

// The Delete button on the chosen path: "NO FILE SELECTED" without one; checks
// the stick for the USB source; a file goes through DeleteFile ("FILE
// DELETED", error "FILE NOT DELETED", "OPERATION CANCELED"), a folder through
// DeleteDirectory ("DIRECTORY DELETED", error "DIRECTORY NOT DELETED",
// "OPERATION CANCELED"). A deleted "./patterns" or "./thumbnails" folder is
// made again, empty. Returns 1 when the path was deleted (the screen then
// shows kNoFileSelected again), 0 otherwise.
int DeleteChosen(const std::string& chosen, int sourcePlace);
