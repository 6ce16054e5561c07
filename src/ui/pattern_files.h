// The tree store of the pattern list on the pattern-select screen, filled with
// the rows the core lists of a place (base/pattern_listing).
#pragma once

#include <gtk/gtk.h>

#include "base/pattern_listing.h"

// Columns of the pattern tree store.
enum PatternStoreColumn {
    kColumnName = 0,    // G_TYPE_STRING: the file or folder name
    kColumnFolder = 1,  // G_TYPE_BOOLEAN: TRUE for a folder
    kPatternStoreColumns
};

// A new empty tree store with the columns above.
GtkTreeStore* NewPatternStore();

// Fills the store with the rows of one place (a PatternPlace, see
// ListPatternPlace), in their order. Returns 1 when something was added,
// else 0. Called by the pattern-select screen.
int GetFiles(int place, GtkTreeStore* store);
