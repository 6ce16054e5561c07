#include "ui/pattern_files.h"

#include <vector>

namespace {

void AddRows(GtkTreeStore* store, const std::vector<PatternListRow>& rows, GtkTreeIter* parent) {
    for (const PatternListRow& row : rows) {
        GtkTreeIter iter;
        gtk_tree_store_append(store, &iter, parent);
        gtk_tree_store_set(store, &iter, kColumnName, row.name.c_str(), kColumnFolder,
                           row.folder ? TRUE : FALSE, -1);
        AddRows(store, row.children, &iter);
    }
}

}  // namespace

GtkTreeStore* NewPatternStore() {
    return gtk_tree_store_new(kPatternStoreColumns, G_TYPE_STRING, G_TYPE_BOOLEAN);
}

int GetFiles(int place, GtkTreeStore* store) {
    if (!store) return 0;
    const std::vector<PatternListRow> rows = ListPatternPlace(place);
    AddRows(store, rows, nullptr);
    return rows.empty() ? 0 : 1;
}
