// The pattern list's folder scan. See pattern_listing.h.
#include "base/pattern_listing.h"

#include <dirent.h>
#include <glib.h>
#include <sys/stat.h>

#include <algorithm>

#include "base/folder_listing.h"
#include "base/system_paths.h"
#include "base/usb_drive.h"

namespace {

std::string Folded(const std::string& name) {
    gchar* folded = g_utf8_casefold(name.c_str(), -1);
    std::string key = folded;
    g_free(folded);
    return key;
}

std::vector<PatternListRow> Scan(const std::string& folder, const std::string& filter, int depth) {
    std::vector<PatternListRow> rows;
    if (folder.size() > kMaxScanPath) return rows;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return rows;
    // Read the names first, so the folder is closed before going deeper.
    // A folder on a stranger's stick may hold any number of entries: at most
    // as many are read as the file chooser lists.
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        if (names.size() >= kMaxChooserRows) break;
        names.emplace_back(entry->d_name);
    }
    closedir(dir);

    const std::string base = FolderWithSlash(folder);
    for (const std::string& name : names) {
        if (name == "." || name == "..") continue;
        struct stat info;
        if (stat((base + name).c_str(), &info) != 0) continue;
        PatternListRow row{name, S_ISDIR(info.st_mode) != 0, {}};
        if (row.folder) {
            if (name[0] == '.' || depth + 1 > kMaxFolderDepth) continue;
            row.children = Scan(base + name, filter, depth + 1);
            if (row.children.empty()) continue;
        } else if (!S_ISREG(info.st_mode) || !ExtensionInFilter(name, filter)) {
            continue;
        }
        rows.push_back(std::move(row));
    }
    std::vector<std::pair<std::string, PatternListRow>> keyed;
    for (PatternListRow& row : rows)
        keyed.emplace_back(Folded(row.name), std::move(row));
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::stable_partition(keyed.begin(), keyed.end(),
                          [](const auto& k) { return k.second.folder; });
    rows.clear();
    for (auto& k : keyed)
        rows.push_back(std::move(k.second));
    return rows;
}

}  // namespace

std::vector<PatternListRow> ListPatternFolder(const std::string& folder,
                                              const std::string& filter) {
    return Scan(folder, filter, 0);
}

std::vector<PatternListRow> ListPatternPlace(int place) {
    switch (place) {
        case kPlaceUsb:
            if (!CheckUSBIsIn()) return {};
            return ListPatternFolder(SystemPath(kUsbMountPath), ".dxf .qcc .DXF .QCC .qli .QLI");
        case kPlacePreviews:
            return ListPatternFolder("./dxf", ".dxf .DXF .qli .QLI");
        default:
            return ListPatternFolder("./patterns/", ".qcc .QCC");
    }
}
