// Thumbnails of pattern files for the pattern chooser: PNG images of the
// preview size, kept in "./thumbnails/" and made anew when missing, of another
// size, or older than their pattern file.
#pragma once

#include <string>

typedef struct _GdkPixbuf GdkPixbuf;

// Folder of the thumbnail cache, relative to the program folder.
constexpr const char* kThumbnailFolder = "./thumbnails/";

// Path of the thumbnail of a pattern file inside folder (which ends in "/"): the
// file name without its folder, its extension from the last "." replaced by
// ".png". Files of the same name in different folders share one thumbnail.
std::string ThumbnailPath(const char* folder, const char* patternPath);

// The thumbnail of a pattern file at the preview size of the screen settings,
// through the cache in "./thumbnails/". Returns a new image the caller owns, or
// none after showing "Pattern File Is Invalid" when the file cannot be loaded.
// Called by the pattern-select screen.
GdkPixbuf* GetPicFromFile(const char* patternPath);

// GetPicFromFile with an explicit cache folder (ending in "/", created when
// missing) and a size of width x height pixels (each 1 to 4096; none otherwise).
GdkPixbuf* GetPatternThumbnail(const char* patternPath, const char* folder, int width, int height);

// Encodes an image as PNG and writes it safely to path. Returns 1, or 0 when the
// image cannot be encoded or the file written.
int SavePixbufAsPng(GdkPixbuf* image, const std::string& path);
