#include "pattern/pattern_thumbnail.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "base/log.h"
#include "base/safe_write.h"
#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "pattern/pattern.h"
#include "pattern/pattern_image.h"

namespace {

constexpr int kMaxThumbnailSide = 4096;

bool Newer(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec > b.tv_nsec);
}

// A cached thumbnail is used when it has exactly the wanted size and is not
// older than its pattern file (a pattern replaced under the same name must not
// keep showing the old picture). Its size is checked before it is decoded.
enum class CacheState { Missing, Usable, Stale };

CacheState CheckCache(const std::string& thumbnail, const char* patternPath, int width,
                      int height) {
    struct stat thumbStat;
    if (stat(thumbnail.c_str(), &thumbStat) != 0) return CacheState::Missing;
    int w = 0, h = 0;
    if (!gdk_pixbuf_get_file_info(thumbnail.c_str(), &w, &h) || w != width || h != height)
        return CacheState::Stale;
    struct stat patternStat;
    if (stat(SystemPath(patternPath).c_str(), &patternStat) == 0 &&
        Newer(patternStat.st_mtim, thumbStat.st_mtim))
        return CacheState::Stale;
    return CacheState::Usable;
}

void MakeFolder(const char* folder) {
    std::string path(folder);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST)
        Log("could not create folder %s\n", path.c_str());
}

}  // namespace

std::string ThumbnailPath(const char* folder, const char* patternPath) {
    std::string_view name(patternPath ? patternPath : "");
    size_t slash = name.rfind('/');
    if (slash != std::string_view::npos) name = name.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) name = name.substr(0, dot);
    std::string path(folder ? folder : "");
    path += name;
    path += ".png";
    return path;
}

int SavePixbufAsPng(GdkPixbuf* image, const std::string& path) {
    if (!image) return 0;
    gchar* buffer = nullptr;
    gsize size = 0;
    GError* error = nullptr;
    if (!gdk_pixbuf_save_to_buffer(image, &buffer, &size, "png", &error, nullptr)) {
        Log("could not encode %s: %s\n", path.c_str(), error ? error->message : "unknown error");
        if (error) g_error_free(error);
        return 0;
    }
    int ok = SafeWriteFile(path, std::string_view(buffer, size));
    g_free(buffer);
    return ok;
}

GdkPixbuf* GetPatternThumbnail(const char* patternPath, const char* folder, int width, int height) {
    if (!patternPath || !folder || width < 1 || height < 1 || width > kMaxThumbnailSide ||
        height > kMaxThumbnailSide)
        return nullptr;
    std::string thumbnail = ThumbnailPath(folder, patternPath);
    CacheState state = CheckCache(thumbnail, patternPath, width, height);
    if (state == CacheState::Usable) {
        GdkPixbuf* cached = gdk_pixbuf_new_from_file(thumbnail.c_str(), nullptr);
        if (cached && gdk_pixbuf_get_width(cached) == width &&
            gdk_pixbuf_get_height(cached) == height)
            return cached;
        if (cached) g_object_unref(cached);
        state = CacheState::Stale;  // unreadable after all
    }
    if (state == CacheState::Stale) unlink(thumbnail.c_str());

    std::unique_ptr<Pattern> pattern = newPattern(patternPath, 0);
    if (!pattern) {
        ShowMessage(kMessageError, kButtonsOk, "Pattern File Is Invalid\n");
        return nullptr;
    }
    GdkPixbuf* image = RenderPatternThumbnail(pattern.get(), width, height);
    pattern.reset();
    if (!image) return nullptr;
    MakeFolder(folder);
    SavePixbufAsPng(image, thumbnail);  // without a cache the picture is still shown
    return image;
}

GdkPixbuf* GetPicFromFile(const char* patternPath) {
    return GetPatternThumbnail(patternPath, kThumbnailFolder, PatternPreviewWidth(),
                               PatternPreviewHeight());
}
