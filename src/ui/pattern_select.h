// The pattern-select screen: the list of pattern files and folders at the left,
// the chosen pattern's preview and the "Select Pattern" and "Repeat" buttons
// at the right.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "base/menu_state.h"

// Menu state mask of the layout view.
constexpr unsigned kLayoutViewMask = kLayoutViewMenuMask;
// Menu state mask of the quilt-area setup.
constexpr unsigned kQuiltAreaSetupMask = kQuiltAreaMenuMask;

// Path of the pattern last chosen with "Select Pattern" ("" before).
extern std::string selectedFile;

// Longest pattern path the screen builds, in bytes.
constexpr size_t kMaxPatternPath = 1024;

// Builds the screen; the list is filled from "./patterns/". Returns the screen
// for the screen switch.
GtkWidget* createPatternSelectScreen();

// The list's "cursor-changed" handler: a folder row expands or collapses, a
// file row shows its thumbnail; "Select Pattern" is usable exactly when a
// thumbnail is shown.
void PatternListSelect(GtkTreeView* view, gpointer data);

// The list's "row-activated" handler: does nothing (a tap selects).
void PatternListDoubleClicked(GtkTreeView* view, GtkTreePath* path, GtkTreeViewColumn* column,
                              gpointer data);

// The list's "destroy" handler: prints "Treeview Destroyed".
void PatternListDestroyed(GtkWidget* view, gpointer data);

// "Select Pattern": without a quilt area the quilt-area setup starts; otherwise
// the chosen file is added to the current pattern box and the layout view
// shows. Ignores a second press while it runs. data is the tree view.
void patternSelectSelectButtonReleased(GtkWidget* button, gpointer data);

// "Repeat": back to the layout view with the current layout.
void OnBtnUseCurrentClicked(GtkWidget* button, gpointer data);

// The path of the row at iter in the pattern list: "./patterns/" + every
// enclosing folder from the outermost, each followed by "/", + the row's name.
// Returns "" when the path would exceed kMaxPatternPath.
std::string PatternRowPath(GtkTreeModel* model, GtkTreeIter* iter);
