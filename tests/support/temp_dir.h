// A fresh temporary folder for one test, removed with everything in it when the
// test ends.
#pragma once

#include <set>
#include <string>

struct TempDir {
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string File(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

// Reads a whole file into a string (empty when it cannot be read).
std::string ReadFileText(const std::string& path);

// Writes a string to a file, replacing it; returns false on failure.
bool WriteFileText(const std::string& path, const std::string& text);

// The names of the entries of a folder (none when it cannot be read).
std::set<std::string> FolderNames(const std::string& folder);
