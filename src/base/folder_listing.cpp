// Folder listing of the file chooser. See folder_listing.h.
#include "base/folder_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {

std::string Lower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

int ExtensionInFilter(const std::string& name, const std::string& filter) {
    std::istringstream words(filter);
    std::string word;
    bool any = false;
    const size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    while (words >> word) {
        any = true;
        if (!extension.empty() && word == extension) return 1;
    }
    return any ? 0 : 1;
}

void SortChooserRows(std::vector<ChooserRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const ChooserRow& a, const ChooserRow& b) {
        return Lower(a.name) < Lower(b.name);
    });
    std::stable_partition(rows.begin(), rows.end(), [](const ChooserRow& r) { return r.folder; });
}

std::string FolderWithSlash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '/') return folder;
    return folder + "/";
}

bool ListChooserFolder(const std::string& folder, const std::string& filter,
                       std::vector<ChooserRow>& rows) {
    rows.clear();
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    const std::string base = FolderWithSlash(folder);
    while (const dirent* entry = readdir(dir)) {
        if (rows.size() >= kMaxChooserRows) break;
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') continue;  // hidden entries, "." and ".."
        if (IsFolder(base + name))
            rows.push_back({name, true});
        else if (ExtensionInFilter(name, filter))
            rows.push_back({name, false});
    }
    closedir(dir);
    SortChooserRows(rows);
    return true;
}
