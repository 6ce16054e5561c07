#include "ui/pattern_files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/folder_listing.h"
#include "base/system_paths.h"
#include "base/usb_drive.h"

namespace {

struct Place {
    const char* folder;
    const char* filter;
};

Place PlaceOf(int place) {
    switch (place) {
        case kPlaceUsb:
            return {kUsbMountPath, ".dxf .qcc .DXF .QCC .qli .QLI"};
        case kPlacePreviews:
            return {"./dxf", ".dxf .DXF .qli .QLI"};
        default:
            return {"./patterns/", ".qcc .QCC"};
    }
}

int ScanFolder(GtkTreeStore* store, const std::string& folder, const char* filter,
               GtkTreeIter* parent, int depth) {
    if (folder.size() > kMaxScanPath) return 0;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return 0;
    std::string base = folder;
    if (base.empty() || base.back() != '/') base += '/';

    // Read the names first, so the folder is closed before going deeper.
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir))
        names.emplace_back(entry->d_name);
    closedir(dir);

    int added = 0;
    for (const std::string& name : names) {
        if (name == "." || name == "..") continue;
        std::string path = base + name;
        struct stat info;
        if (stat(path.c_str(), &info) != 0) continue;
        if (S_ISDIR(info.st_mode)) {
            if (name[0] == '.' || depth + 1 > kMaxFolderDepth) continue;
            GtkTreeIter row;
            gtk_tree_store_append(store, &row, parent);
            gtk_tree_store_set(store, &row, kColumnName, name.c_str(), kColumnFolder, TRUE, -1);
            if (ScanFolder(store, path, filter, &row, depth + 1)) {
                added = 1;
            } else {
                gtk_tree_store_remove(store, &row);
            }
        } else if (S_ISREG(info.st_mode) && ExtensionInFilter(name, filter)) {
            GtkTreeIter row;
            gtk_tree_store_append(store, &row, parent);
            gtk_tree_store_set(store, &row, kColumnName, name.c_str(), kColumnFolder, FALSE, -1);
            added = 1;
        }
    }
    return added;
}

struct Entry {
    std::string key;  // case-folded name
    bool folder;
    int position;  // position before sorting
};

void SortLevel(GtkTreeStore* store, GtkTreeIter* parent) {
    GtkTreeModel* model = GTK_TREE_MODEL(store);
    std::vector<Entry> entries;
    GtkTreeIter child;
    bool valid = gtk_tree_model_iter_children(model, &child, parent);
    for (int position = 0; valid; position++) {
        gchar* name = nullptr;
        gboolean folder = FALSE;
        gtk_tree_model_get(model, &child, kColumnName, &name, kColumnFolder, &folder, -1);
        gchar* folded = g_utf8_casefold(name ? name : "", -1);
        entries.push_back({folded, folder == TRUE, position});
        g_free(folded);
        g_free(name);
        if (folder) SortLevel(store, &child);
        valid = gtk_tree_model_iter_next(model, &child);
    }
    if (entries.size() < 2) return;

    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.key < b.key; });
    std::stable_partition(entries.begin(), entries.end(), [](const Entry& e) { return e.folder; });
    std::vector<gint> order;
    order.reserve(entries.size());
    for (const Entry& entry : entries)
        order.push_back(entry.position);
    gtk_tree_store_reorder(store, parent, order.data());
}

}  // namespace

GtkTreeStore* NewPatternStore() {
    return gtk_tree_store_new(kPatternStoreColumns, G_TYPE_STRING, G_TYPE_BOOLEAN);
}

int readDir(GtkTreeStore* store, const char* folder, const char* filter, GtkTreeIter* parent) {
    if (!store || !folder || !filter) return 0;
    return ScanFolder(store, folder, filter, parent, 0);
}

void SortStore(GtkTreeStore* store) {
    if (store) SortLevel(store, nullptr);
}

int GetFiles(int place, GtkTreeStore* store) {
    if (!store) return 0;
    if (place == kPlaceUsb && !CheckUSBIsIn()) return 0;
    Place where = PlaceOf(place);
    std::string folder = place == kPlaceUsb ? SystemPath(where.folder) : where.folder;
    int added = readDir(store, folder.c_str(), where.filter, nullptr);
    SortStore(store);
    return added;
}
