// Save-as of a placed pattern. See pattern_save_as.h.
#include "pattern/pattern_save_as.h"

#include <sys/stat.h>

#include "base/log.h"
#include "base/ui_hooks.h"
#include "pattern/pattern.h"

namespace {

constexpr const char* kExtension = ".qcc";
// Longest file name kept (the name is also stored in layouts and shown in lists).
constexpr size_t kMaxNameLength = 120;

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string PatternFileNameFromEntry(const std::string& typed) {
    std::string name;
    for (char c : typed) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) continue;
        name += c;
    }
    const size_t first = name.find_first_not_of(" .");
    if (first == std::string::npos) return "";
    name.erase(0, first);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
    if (!EndsWith(name, kExtension)) name += kExtension;
    return name;
}

int SavePatternAs(const Pattern* pattern, const char* folder, std::string* savedPath) {
    if (!pattern || !folder) return 0;
    std::string typed;
    if (!ShowKeyboard(typed, "SAVE AS:")) return 0;
    const std::string name = PatternFileNameFromEntry(typed);
    if (name.empty()) return 0;
    const std::string path = std::string(folder) + name;
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (ShowMessage(kMessageQuestion, kButtonsYesNo, "FILE EXIXTS!\n\nOVERWRITE?") !=
            kResponseYes)
            return 0;
    }
    if (!savePattern(pattern, path.c_str())) {
        Log("Could not save pattern %s\n", path.c_str());
        ShowMessage(kMessageError, kButtonsOk, "COULD NOT SAVE PATTERN FILE.");
        return -1;
    }
    Log("Pattern saved as %s\n", path.c_str());
    if (savedPath) *savedPath = path;
    return 1;
}
