#include "maintenance/file_operations.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "base/log.h"
#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "maintenance/safe_copy.h"
#include "pattern/import/convert_dxf.h"
#include "pattern/import/import_qli.h"
#include "pattern/pattern_thumbnail.h"

namespace {

// Deeper folder trees than this are not copied, deleted or searched (a stick
// holds nothing that deep; the bound keeps a crafted tree from exhausting the
// stack).
constexpr int kMaxFolderDepth = 64;
constexpr int kMaxSearchDepth = 32;

enum class SourceKind { Plain, Drawing, Qli };

struct DirCloser {
    void operator()(DIR* d) const {
        if (d) closedir(d);
    }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

SourceKind KindOf(const std::string& path) {
    const std::string name = NameOf(path);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return SourceKind::Plain;
    const std::string extension = name.substr(dot);
    if (extension == ".dxf" || extension == ".DXF") return SourceKind::Drawing;
    if (extension == ".qli" || extension == ".QLI") return SourceKind::Qli;
    return SourceKind::Plain;
}

// The target with its extension (from the last "." of its name) made ".qcc".
std::string PatternTarget(const std::string& target) {
    const size_t slash = target.rfind('/');
    const size_t dot = target.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return target + ".qcc";
    return target.substr(0, dot) + ".qcc";
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    struct stat sa {
    }, sb{};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Converts the opened drawing or QLI source into target through a temporary file.
bool ConvertInto(FILE* source, SourceKind kind, const std::string& target, mode_t mode) {
    return WriteFileThrough(target, mode, [&](int fd) {
        const int own = dup(fd);
        std::unique_ptr<FILE, FileCloser> out(own >= 0 ? fdopen(own, "wb") : nullptr);
        if (!out) {
            if (own >= 0) close(own);
            return false;
        }
        const bool converted = kind == SourceKind::Drawing ? ConvertDXF(source, out.get()) == 0
                                                           : ImportQLI(source, out.get()) == 1;
        const bool flushed = std::fflush(out.get()) == 0 && !std::ferror(out.get());
        errno = 0;
        return converted && flushed;
    });
}

bool CopyOrConvert(const std::string& source, const std::string& target, SourceKind kind,
                   mode_t mode) {
    if (kind == SourceKind::Plain) return SafeCopyFile(source, target, mode);
    std::unique_ptr<FILE, FileCloser> in(std::fopen(source.c_str(), "rb"));
    struct stat st {};
    if (!in || fstat(fileno(in.get()), &st) != 0 || !S_ISREG(st.st_mode)) {
        Log("could not open %s\n", source.c_str());
        return false;
    }
    return ConvertInto(in.get(), kind, target, mode);
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

// True when target (which need not exist yet) is source or lies inside it.
bool InsideOf(const std::string& source, const std::string& target) {
    const std::string from = RealPath(source);
    std::string to = RealPath(target);
    if (to.empty()) {
        const size_t slash = target.rfind('/');
        const std::string parent = RealPath(slash == std::string::npos ? "."
                                            : slash == 0               ? "/"
                                                                       : target.substr(0, slash));
        if (parent.empty()) return false;
        to = parent + "/" + NameOf(target);
    }
    if (from.empty()) return false;
    return to == from || to.compare(0, from.size() + 1, from + "/") == 0;
}

struct Entry {
    std::string name;
    struct stat st;
};

// The entries of an open folder, "." and ".." left out, not following links.
std::vector<Entry> ListEntries(DIR* dir) {
    std::vector<Entry> entries;
    while (struct dirent* e = readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        Entry entry{e->d_name, {}};
        if (fstatat(dirfd(dir), e->d_name, &entry.st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        entries.push_back(entry);
    }
    return entries;
}

bool CopyTree(const std::string& source, const std::string& target, int depth) {
    Dir dir(opendir(source.c_str()));
    if (!dir) return false;
    if (mkdir(target.c_str(), 0777) != 0 && errno != EEXIST) {
        Log("could not create %s: %s\n", target.c_str(), std::strerror(errno));
        return false;
    }
    bool ok = true;
    for (const Entry& entry : ListEntries(dir.get())) {
        ProcessPendingEvents();  // a long copy keeps the screen and its waiting window alive
        if (entry.name[0] == '.') continue;  // hidden files and folders stay behind
        const std::string from = source + "/" + entry.name;
        const std::string to = target + "/" + entry.name;
        if (S_ISDIR(entry.st.st_mode)) {
            ok = depth < kMaxFolderDepth && CopyTree(from, to, depth + 1) && ok;
        } else if (S_ISREG(entry.st.st_mode)) {
            ok = CopyFile(from, to, 1) != kCopyFailed && ok;
        } else {
            Log("Left out %s: not a file or folder\n", from.c_str());
        }
    }
    return ok;
}

// Removes everything inside the open folder fd (which it closes), depth first,
// without following links or entering another device. True when all is gone.
bool EmptyFolder(int fd, dev_t device, int depth, bool thumbnails) {
    Dir dir(fdopendir(fd));
    if (!dir) {
        close(fd);
        return false;
    }
    bool ok = true;
    for (const Entry& entry : ListEntries(dir.get())) {
        const char* name = entry.name.c_str();
        if (S_ISDIR(entry.st.st_mode)) {
            const int sub = entry.st.st_dev == device && depth < kMaxFolderDepth
                                ? openat(dirfd(dir.get()), name,
                                         O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
                                : -1;
            ok = sub >= 0 && EmptyFolder(sub, device, depth + 1, thumbnails) &&
                 unlinkat(dirfd(dir.get()), name, AT_REMOVEDIR) == 0 && ok;
        } else {
            ok = unlinkat(dirfd(dir.get()), name, 0) == 0 && ok;
            if (thumbnails && S_ISREG(entry.st.st_mode)) DeleteThumbnail(entry.name);
        }
    }
    return ok;
}

bool Search(std::string& folder, const std::string& name, std::string* foundName, int depth) {
    Dir dir(opendir(folder.c_str()));
    if (!dir) return false;
    for (const Entry& entry : ListEntries(dir.get())) {
        if (S_ISDIR(entry.st.st_mode) && entry.name[0] != '.' && depth < kMaxSearchDepth) {
            std::string sub = folder + "/" + entry.name;
            if (Search(sub, name, foundName, depth + 1)) {
                folder = sub;
                return true;
            }
        }
        if (S_ISREG(entry.st.st_mode) && entry.name.find(name) != std::string::npos) {
            if (foundName) *foundName = entry.name;
            return true;
        }
    }
    return false;
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool RemoveTree(const std::string& pathText, bool thumbnails) {
    const std::string path = WithoutTrailingSlash(pathText);
    if (path.empty() || path == "/" || path == "." || RealPath(path) == "/") return false;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return false;
    bool ok;
    if (S_ISLNK(st.st_mode)) {
        ok = unlink(path.c_str()) == 0;  // the link goes, never what it points to
    } else {
        const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ok = fd >= 0 && EmptyFolder(fd, st.st_dev, 0, thumbnails) && rmdir(path.c_str()) == 0;
    }
    if (!ok) Log("could not delete all of %s\n", path.c_str());
    return ok;
}

}  // namespace

int CopyFile(const std::string& sourcePath, const std::string& targetPath, int quiet) {
    const std::string source = SystemPath(sourcePath.c_str());
    const SourceKind kind = KindOf(source);
    std::string target = SystemPath(targetPath.c_str());
    if (kind != SourceKind::Plain) target = PatternTarget(target);
    if (SameFile(source, target)) {
        ShowMessage(kMessageError, kButtonsOk, "SORRY.\nYOU MAY NOT COPY TO THE SAME DIRECTORY.");
        return kCopySamePlace;
    }
    struct stat existing {};
    const bool exists = stat(target.c_str(), &existing) == 0;
    if (exists && ShowMessage(kMessageQuestion, kButtonsOkCancel,
                              "FILE EXISTS!\nOVERWRITE FILE?") != kResponseOk)
        return kCopyDeclined;
    const mode_t mode = exists ? (existing.st_mode & 0777) : NewFileMode();
    const bool ok = CopyOrConvert(source, target, kind, mode);
    if (ok) DeleteThumbnail(source);
    sync();
    if (!quiet) {
        if (ok)
            ShowMessage(kMessageInfo, kButtonsOk, "FILE COPIED");
        else
            ShowMessage(kMessageError, kButtonsOk, "ERROR: FILE COULD NOT BE COPIED");
    }
    return ok ? kCopyDone : kCopyFailed;
}

int CopyDirectory(const std::string& sourcePath, const std::string& targetPath, int quiet) {
    const std::string source = WithoutTrailingSlash(SystemPath(sourcePath.c_str()));
    const std::string target = WithoutTrailingSlash(SystemPath(targetPath.c_str()));
    if (!IsFolder(source) || InsideOf(source, target)) {
        ShowMessage(kMessageError, kButtonsOk, "COULD NOT COPY DIRECTORY");
        return 1;
    }
    const bool ok = CopyTree(source, target, 0);
    sync();
    if (!quiet) {
        if (ok)
            ShowMessage(kMessageInfo, kButtonsOk, "DIRECTORY COPIED");
        else
            ShowMessage(kMessageError, kButtonsOk, "COULD NOT COPY DIRECTORY");
    }
    return ok ? 0 : 1;
}

int DeleteFile(const std::string& pathText, int quiet) {
    const std::string path = SystemPath(pathText.c_str());
    if (!quiet) {
        const std::string question = "DELETE FILE:\n" + NameOf(path);
        if (ShowMessage(kMessageQuestion, kButtonsOkCancel, question.c_str()) != kResponseOk)
            return kDeleteDeclined;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode) || unlink(path.c_str()) != 0) {
        Log("could not delete %s: %s\n", path.c_str(), std::strerror(errno));
        return kDeleteFailed;
    }
    DeleteThumbnail(path);
    sync();
    return kDeleteDone;
}

int DeleteDirectory(const std::string& pathText, int quiet) {
    const std::string path = WithoutTrailingSlash(SystemPath(pathText.c_str()));
    if (!quiet) {
        const std::string question =
            "DELETE DIRECTORY: \n " + path + "\nAND ALL SUBDIRECTORIES AND FILES?";
        if (ShowMessage(kMessageQuestion, kButtonsOkCancel, question.c_str()) != kResponseOk)
            return kDeleteDeclined;
    }
    const bool ok = RemoveTree(path, true);
    sync();
    return ok ? kDeleteDone : kDeleteFailed;
}

void RemoveFolderTree(const std::string& path) {
    RemoveTree(path, false);
}

void DeleteThumbnail(const std::string& patternPath) {
    unlink(ThumbnailPath(kThumbnailFolder, patternPath.c_str()).c_str());
}

int findFile(std::string& folder, const std::string& name, std::string* foundName) {
    if (name.empty()) return 0;
    std::string where = WithoutTrailingSlash(folder);
    if (!Search(where, name, foundName, 0)) return 0;
    folder = where;
    return 1;
}

int IsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? 1 : 0;
}
