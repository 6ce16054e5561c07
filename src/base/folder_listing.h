// What the file chooser lists of a folder: its visible sub-folders and the
// files whose extension the filter names, folders first, each group in
// case-insensitive alphabetical order. The chooser window (ui/file_chooser)
// shows these rows.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One row of the folder list.
struct ChooserRow {
    std::string name;  // file or folder name, without the folder path
    bool folder = false;
};

// At most this many rows are listed for one folder (the rest are left out).
constexpr size_t kMaxChooserRows = 5000;

// 1 when the file name's extension (from its last ".") stands as a whole
// blank-separated word in filter; every name matches an empty filter. A name
// without "." never matches a non-empty filter.
int ExtensionInFilter(const std::string& name, const std::string& filter);

// Orders rows case-insensitively by name, then moves every folder before the
// first file (the order of the chooser and of the pattern list).
void SortChooserRows(std::vector<ChooserRow>& rows);

// The rows of a folder: every sub-folder whose name does not begin with ".",
// and the files that match filter, sorted. Returns false (rows empty) when the
// folder cannot be opened.
bool ListChooserFolder(const std::string& folder, const std::string& filter,
                       std::vector<ChooserRow>& rows);

// The folder path with a final "/" (the form kept in the path list).
std::string FolderWithSlash(const std::string& folder);
