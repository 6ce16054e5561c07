// The rows of a folder listing as names, folders marked with a final "/".
#pragma once

#include <string>
#include <vector>

#include "base/folder_listing.h"

inline std::vector<std::string> RowNames(const std::vector<ChooserRow>& rows) {
    std::vector<std::string> names;
    for (const ChooserRow& row : rows)
        names.push_back(row.name + (row.folder ? "/" : ""));
    return names;
}
