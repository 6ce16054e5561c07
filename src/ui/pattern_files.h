// The folder scan that fills the pattern list of the pattern-select screen: a
// tree of folders and pattern files, folders first, each level in
// case-insensitive alphabetical order.
#pragma once

#include <gtk/gtk.h>

// Columns of the pattern tree store.
enum PatternStoreColumn {
    kColumnName = 0,    // G_TYPE_STRING: the file or folder name
    kColumnFolder = 1,  // G_TYPE_BOOLEAN: TRUE for a folder
    kPatternStoreColumns
};

// Places the scan can read.
enum PatternPlace { kPlaceInternal = 0, kPlaceUsb = 1, kPlacePreviews = 2 };

// Deepest folder nesting the scan follows (deeper folders are left out, which
// also ends any loop of folder links).
constexpr int kMaxFolderDepth = 16;
// Longest folder path the scan opens, in bytes.
constexpr size_t kMaxScanPath = 1024;

// A new empty tree store with the columns above.
GtkTreeStore* NewPatternStore();

// Fills the store with the pattern files of one place: 0 "./patterns/"
// (".qcc .QCC"), 1 the USB drive (".dxf .qcc .DXF .QCC .qli .QLI"; first the
// USB check, which shows its message and scans nothing without a drive),
// 2 "./dxf" (".dxf .DXF .qli .QLI"); then sorts it. Returns 1 when something
// was added, else 0. Called by the pattern-select screen.
int GetFiles(int place, GtkTreeStore* store);

// Adds under `parent` (null: top level) every sub-folder of `folder` whose name
// does not begin with "." together with its own scan - removed again when
// nothing was added below it - and every file whose extension (from its last
// ".") is a whole word of `filter`. Returns 1 when something was added, else 0
// (also when the folder cannot be opened).
int readDir(GtkTreeStore* store, const char* folder, const char* filter, GtkTreeIter* parent);

// Orders every level of the store: case-insensitive alphabetical, then every
// folder before the first file.
void SortStore(GtkTreeStore* store);
