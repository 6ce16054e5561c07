// What the pattern list of the pattern-select screen shows of a place: a tree
// of folders and pattern files, each level in case-insensitive alphabetical
// order with the folders first. The screen (ui/pattern_files) puts these rows
// into its tree store.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One row: a pattern file, or a folder with the rows below it.
struct PatternListRow {
    std::string name;  // without the folder path
    bool folder = false;
    std::vector<PatternListRow> children;
};

// Places the list can show.
enum PatternPlace { kPlaceInternal = 0, kPlaceUsb = 1, kPlacePreviews = 2 };

// Deepest folder nesting the scan follows (deeper folders are left out, which
// also ends any loop of folder links).
constexpr int kMaxFolderDepth = 16;
// Longest folder path the scan opens, in bytes.
constexpr size_t kMaxScanPath = 1024;

// The rows of `folder`: every sub-folder whose name does not begin with "."
// and that holds something to list, with its rows, and every regular file
// whose extension (from its last ".") is a whole word of `filter`; each level
// sorted by Unicode case-folded name, then the folders moved before the
// files. Empty when the folder cannot be opened.
std::vector<PatternListRow> ListPatternFolder(const std::string& folder, const std::string& filter);

// The rows of one place: 0 "./patterns/" (".qcc .QCC"), 1 the USB drive
// (".dxf .qcc .DXF .QCC .qli .QLI"; first the USB check, which shows its
// message and lists nothing without a drive), 2 "./dxf" (".dxf .DXF .qli .QLI").
std::vector<PatternListRow> ListPatternPlace(int place);
