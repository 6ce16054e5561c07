// The touch-friendly file chooser used wherever a file must be picked (layouts,
// program and firmware updates, the file manager): a list of the visited
// folders at the top and the current folder's sub-folders and files below,
// folders first, each group in case-insensitive alphabetical order.
#pragma once

#include <string>

#include "base/folder_listing.h"

// Folder used when the chooser is given none.
constexpr const char* kDefaultChooserFolder = "/media/usb/";

// Opens the modal chooser "Select File" at startFolder (null: "/media/usb/")
// showing the files that match filter (null: all files). Returns the chosen
// path: the current folder + the selected row's name, or, with no row
// selected, the current folder without its final "/" (when it can be opened).
// Returns "" when cancelled. Called by the layout, update and file-manager
// actions.
std::string GetFilename(const char* startFolder, const char* filter);

// Widget name of the chooser's window (lets tools and tests find it).
constexpr const char* kFileChooserWindowName = "FileChooser";

// Test access to the open chooser: 1 while it waits for the quilter.
int FileChooserOpen();
// The current folder of the open chooser ("" when closed).
std::string FileChooserFolder();
// The rows shown ("Invalid Path" as a file row when the folder cannot be opened).
std::vector<ChooserRow> FileChooserRows();
// Selects the row of that name as a tap does (a folder is entered). Returns 0
// when there is no such row.
int FileChooserSelect(const std::string& name);
// Chooses entry index of the path list, dropping the later ones.
void FileChooserGoBack(int index);
// Presses OK (accept 1) or Cancel (0).
void FileChooserRespond(int accept);
