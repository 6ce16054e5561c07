// The file handling the quilter has instead of a desktop: copying pattern files
// and whole folders between the internal pattern folder and the USB stick
// (drawings converted into pattern files on the way), deleting files and
// folders, and finding a file below a folder. File names on a stick are
// untrusted text: everything is done in code, never through a shell.
//
// Copies write through a temporary file beside the target (safe_copy.h), so a
// copy that fails, is declined or loses power leaves any existing target whole.
// Folder copies and deletes never follow symbolic links and never leave the
// device they started on. Questions and messages go through ShowMessage.
#pragma once

#include <string>

// Results of CopyFile.
enum CopyResult { kCopyDone = 0, kCopyFailed = 1, kCopySamePlace = 3, kCopyDeclined = 4 };

// Results of DeleteFile and DeleteDirectory.
enum DeleteResult { kDeleteDone = 0, kDeleteFailed = 1, kDeleteDeclined = 3 };

// Copies one file. A source ending in ".dxf"/".DXF" is converted as a drawing
// and one ending in ".qli"/".QLI" as a QLI file, the target's extension
// (from its last ".") becoming ".qcc"; anything else is copied byte for byte.
// Source and target the same file: error "SORRY.\nYOU MAY NOT COPY TO THE SAME
// DIRECTORY.", kCopySamePlace. An existing target: question "FILE EXISTS!
// \nOVERWRITE FILE?" (OK and Cancel), anything but OK gives kCopyDeclined.
// Both are asked even when quiet. On success the thumbnail of the source name
// is removed (it is made anew from the new file). Unless quiet, the result is
// shown: "FILE COPIED" or the error "ERROR: FILE COULD NOT BE COPIED".
// Returns kCopyDone or kCopyFailed otherwise.
int CopyFile(const std::string& source, const std::string& target, int quiet);

// Copies the folder tree source to target (created with mode 0777 when
// missing): sub-folders whose name does not begin with "." by quiet recursive
// calls, every regular file by a quiet CopyFile (so drawings are converted).
// Links and special files are left out. A source that cannot be opened, or a
// target that is the source or lies inside it, gives the error "COULD NOT COPY
// DIRECTORY" (even when quiet) and 1. A failed file does not stop the copy;
// at the end, unless quiet, "DIRECTORY COPIED" is shown when every file was
// copied (or declined), else the error "COULD NOT COPY DIRECTORY". Returns 0
// when nothing failed, 1 otherwise.
int CopyDirectory(const std::string& source, const std::string& target, int quiet);

// Deletes a file and its thumbnail. Unless quiet, asks "DELETE FILE:\n" + the
// file name (OK and Cancel; anything but OK gives kDeleteDeclined). Returns
// kDeleteDone, or kDeleteFailed when the path is no file or cannot be removed.
int DeleteFile(const std::string& path, int quiet);

// Deletes a folder with everything in it. Unless quiet, asks "DELETE
// DIRECTORY: \n " + path + "\nAND ALL SUBDIRECTORIES AND FILES?" (OK and
// Cancel; anything but OK gives kDeleteDeclined). Removes depth first every
// entry (a link is removed itself, never followed; a folder on another device,
// such as a mounted stick, is not entered), the thumbnails of the files, and
// then the folder. Returns kDeleteDone when the folder is gone, kDeleteFailed
// otherwise (what could be removed is removed).
int DeleteDirectory(const std::string& path, int quiet);

// Removes the folder tree at path as DeleteDirectory does, without a question
// and without touching thumbnails (for scratch folders).
void RemoveFolderTree(const std::string& path);

// Removes the thumbnail of a pattern file, if there is one: "./thumbnails/" +
// the file's name with its extension (from the last ".") replaced by ".png".
void DeleteThumbnail(const std::string& patternPath);

// Searches below folder for an entry whose name contains name: each folder's
// entries in directory order, a sub-folder whose name does not begin with "."
// searched first (depth first, links not followed, at most 32 levels), then the
// entry itself. Only regular files match. Returns 1 with folder set to the
// folder that holds the hit and, when given, foundName to the hit's name; 0
// when nothing matches (folder untouched). Called by the system update.
int findFile(std::string& folder, const std::string& name, std::string* foundName = nullptr);

// 1 when path is an existing folder (links followed), else 0.
int IsFolder(const std::string& path);
