#include "pattern/pattern.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <string_view>

#include <glib.h>
#include "base/log.h"
#include "base/safe_write.h"
#include "base/screen_config.h"
#include "base/system_paths.h"
#include "base/usb_drive.h"
#include "pattern/pattern_image.h"

PatternList patternList;

// ---------------------------------------------------------------------------
// What drawing needs from the view

namespace {

constexpr int kReadChunk = 74;  // characters per line read; a longer line continues
constexpr long kMinPatternFileBytes = 18;

}  // namespace

int PatternPreviewWidth() {
    return pattern_preview_width > 0 ? pattern_preview_width : 140;
}
int PatternPreviewHeight() {
    return pattern_preview_height > 0 ? pattern_preview_height : 80;
}

// ---------------------------------------------------------------------------
// Line syntax shared by the reader and addData

namespace {

std::string Bounded(std::string_view text) {
    return std::string(text.substr(0, kPatternTextSize - 1));
}

// The line without its line end: a line feed, and the carriage returns before
// it from files written on other systems (all of them, so that a name line read
// and written again stays the same).
std::string_view StripLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    while (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

// Reads the decimal number at the start of text the way atof does, but without
// regard to the locale; false for infinities, NaN and absurd magnitudes.
bool ReadCoordinate(const char* text, float& value) {
    double v = g_ascii_strtod(text, nullptr);
    if (!std::isfinite(v) || std::fabs(v) >= kMaxPatternCoordinate) return false;
    value = static_cast<float>(v);
    return true;
}

enum class PointParse { NotAPoint, Invalid, Ok };

// x is read after the first "X", y after the first "Y"; a line lacking either is
// not a point.
PointParse ParsePointLine(std::string_view line, float& x, float& y) {
    std::string text(line);  // zero-terminated for the number reader
    size_t ix = text.find('X');
    size_t iy = text.find('Y');
    if (ix == std::string::npos || iy == std::string::npos) return PointParse::NotAPoint;
    if (!ReadCoordinate(text.c_str() + ix + 1, x) || !ReadCoordinate(text.c_str() + iy + 1, y))
        return PointParse::Invalid;
    return PointParse::Ok;
}

// Command of a "c" line as the reader sees it; false for letters matching none
// of the four forms (such commands are dropped).
bool ParseCommandLine(std::string_view line, PatternCommandType& type) {
    char third = line.size() > 2 ? line[2] : '\0';
    if (third == 's') {
        type = PatternCommandType::Stop;
    } else if (third == 'f' || third == 'F') {
        type = PatternCommandType::FMark;
    } else if (third == 'e') {
        char fifth = line.size() > 4 ? line[4] : '\0';
        if (fifth == 's')
            type = PatternCommandType::EntityStart;
        else if (fifth == 'e')
            type = PatternCommandType::EntityEnd;
        else
            return false;
    } else {
        return false;
    }
    return true;
}

std::string_view NameText(std::string_view line) {
    return line.size() > 2 ? line.substr(2) : std::string_view();
}

// Calls f for every line read in pieces of at most kReadChunk characters: a
// longer line is cut, and each piece is handled as a line of its own. Text after
// a zero byte in a piece is not part of it.
template <typename F>
void ForEachFileLine(std::string_view data, F f) {
    size_t pos = 0;
    while (pos < data.size()) {
        size_t limit = std::min(data.size() - pos, static_cast<size_t>(kReadChunk));
        std::string_view piece = data.substr(pos, limit);
        size_t lf = piece.find('\n');
        if (lf != std::string_view::npos) piece = piece.substr(0, lf + 1);
        pos += piece.size();
        size_t zero = piece.find('\0');
        if (zero != std::string_view::npos) piece = piece.substr(0, zero);
        f(piece);
    }
}

// Reads a whole regular file of at most maxBytes; false with a logged reason.
bool ReadBoundedFile(const char* path, long maxBytes, std::string& data, bool& tooLarge) {
    tooLarge = false;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    if (st.st_size > maxBytes) {
        close(fd);
        tooLarge = true;
        return false;
    }
    data.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = read(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the file shrank while read: keep what was there
        done += static_cast<size_t>(n);
    }
    data.resize(done);
    close(fd);
    return true;
}

std::string NameFromPath(const char* path) {
    std::string_view p(path);
    size_t slash = p.rfind('/');
    if (slash != std::string_view::npos) p = p.substr(slash + 1);
    p = p.size() > 4 ? p.substr(0, p.size() - 4) : std::string_view();
    return Bounded(p);
}

const char* CommandLineText(PatternCommandType type) {
    switch (type) {
        case PatternCommandType::Stop:
            return "c s\n";
        case PatternCommandType::FMark:
            return "c f 10\n";
        case PatternCommandType::EntityStart:
            return "c e s\n";
        case PatternCommandType::EntityEnd:
            return "c e e\n";
    }
    return "";
}

void AppendPointLine(std::string& out, float x, float y) {
    char bx[G_ASCII_DTOSTR_BUF_SIZE];
    char by[G_ASCII_DTOSTR_BUF_SIZE];
    g_ascii_formatd(bx, sizeof bx, "%.3f", x);
    g_ascii_formatd(by, sizeof by, "%.3f", y);
    out += "p X";
    out += bx;
    out += " Y";
    out += by;
    out += '\n';
}

}  // namespace

// ---------------------------------------------------------------------------
// Records

std::unique_ptr<Pattern> newPattern(const char* path, int draw) {
    auto pattern = std::make_unique<Pattern>();
    if (path && !openPattern(pattern.get(), path)) return nullptr;
    if (draw == 1) InvalidatePatternImages();
    return pattern;
}

void clearPattern(Pattern* pattern) {
    if (!pattern) return;
    pattern->x = {};
    pattern->y = {};
    pattern->commandType = {};
    pattern->commandPoint = {};
    pattern->nameLines = {};
    pattern->pointCount = 0;
    pattern->commandCount = 0;
    pattern->nameCount = 0;
}

void erasePattern(std::unique_ptr<Pattern>& pattern) {
    clearPattern(pattern.get());
    pattern.reset();
}

// ---------------------------------------------------------------------------
// The pattern file

int openPattern(Pattern* pattern, const char* path) {
    if (!pattern || !path) return 0;
    if (std::strstr(path, kUsbMountPath) && !CheckUSBIsIn()) return 0;

    std::string data;
    bool tooLarge = false;
    if (!ReadBoundedFile(SystemPath(path).c_str(), kMaxPatternFileBytes, data, tooLarge)) {
        if (tooLarge) Log("pattern file is too large: %s\n", path);
        return 0;
    }
    pattern->name = NameFromPath(path);
    if (static_cast<long>(data.size()) < kMinPatternFileBytes) {
        LogLine("pattern file is empty");
        return 0;
    }

    // Count first so that every array is allocated once at its size.
    size_t names = 0, points = 0, commands = 0;
    ForEachFileLine(data, [&](std::string_view line) {
        if (line.empty()) return;
        if (line[0] == 'n') names++;
        if (line[0] == 'p') points++;
        if (line[0] == 'c') commands++;
    });
    if (names > static_cast<size_t>(kMaxPatternNameLines)) {
        Log("pattern file has too many name lines: %s\n", path);
        return 0;
    }

    std::vector<float> xs, ys;
    std::vector<PatternCommandType> types;
    std::vector<int> attached;
    std::vector<std::string> nameLines;
    xs.reserve(points);
    ys.reserve(points);
    types.reserve(commands);
    attached.reserve(commands);
    nameLines.reserve(names);
    long lineNumber = 0;
    long badLine = 0;
    ForEachFileLine(data, [&](std::string_view piece) {
        lineNumber++;
        std::string_view line = StripLineEnd(piece);
        if (badLine || line.empty()) return;
        if (line[0] == 'n') {
            nameLines.push_back(Bounded(NameText(line)));
        } else if (line[0] == 'p') {
            float x = 0, y = 0;
            PointParse r = ParsePointLine(line, x, y);
            if (r == PointParse::Invalid) badLine = lineNumber;
            if (r != PointParse::Ok) return;
            xs.push_back(x);
            ys.push_back(y);
        } else if (line[0] == 'c') {
            PatternCommandType type;
            if (!ParseCommandLine(line, type)) return;
            types.push_back(type);
            attached.push_back(static_cast<int>(xs.size()) + 1);
        }
    });
    if (badLine) {
        Log("pattern file has an invalid number in line %ld: %s\n", badLine, path);
        return 0;
    }
    if (xs.empty()) {
        Log("pattern file has no points: %s\n", path);
        return 0;
    }

    pattern->x = std::move(xs);
    pattern->y = std::move(ys);
    pattern->pointCount = static_cast<int>(pattern->x.size());
    pattern->commandType = std::move(types);
    pattern->commandPoint = std::move(attached);
    pattern->commandCount = static_cast<int>(pattern->commandType.size());
    pattern->nameLines = std::move(nameLines);
    pattern->nameCount = static_cast<int>(pattern->nameLines.size());

    UpdatePatternSize(pattern);
    pattern->baseWidth = pattern->width;
    pattern->baseHeight = pattern->height;
    // Move the pattern to the origin.
    OffsetPattern(pattern, pattern->minX, pattern->minY);
    pattern->minX = 0;
    pattern->minY = 0;
    pattern->maxX = pattern->width;
    pattern->maxY = pattern->height;
    return 1;
}

int savePattern(const Pattern* pattern, const char* path) {
    if (!pattern) return 0;
    std::string target = path ? path : pattern->name;
    if (target.empty()) return 0;
    if (target.find(".qcc") == std::string::npos) target += ".qcc";

    const int n = pattern->pointCount;
    const int commands = pattern->commandCount;
    // Commands grouped by the point they precede, each group in command order.
    // A command numbered below 1 precedes the first point; above pointCount it
    // follows the last.
    std::vector<int> first(static_cast<size_t>(n) + 2, 0);
    auto slotOf = [&](int c) { return std::clamp(pattern->commandPoint[c] - 1, 0, n); };
    for (int c = 0; c < commands; c++)
        first[slotOf(c) + 1]++;
    for (int i = 0; i <= n; i++)
        first[i + 1] += first[i];
    std::vector<int> order(commands);
    std::vector<int> fill(first.begin(), first.end() - 1);
    for (int c = 0; c < commands; c++)
        order[fill[slotOf(c)]++] = c;

    std::string text;
    text.reserve(static_cast<size_t>(n) * 22 + static_cast<size_t>(commands) * 7 + 64);
    for (const std::string& name : pattern->nameLines) {
        text += "n ";
        text += name;
        text += '\n';
    }
    for (int i = 0; i <= n; i++) {
        for (int k = first[i]; k < first[i + 1]; k++)
            text += CommandLineText(pattern->commandType[order[k]]);
        if (i < n) AppendPointLine(text, pattern->x[i], pattern->y[i]);
    }
    // The reader takes a file this short for an empty one (a single point and
    // nothing else): such a file could not be loaded again.
    if (static_cast<long>(text.size()) < kMinPatternFileBytes) {
        Log("pattern too small to be read back, not saved: %s\n", target.c_str());
        return 0;
    }
    return SafeWriteFile(target, text);
}

// ---------------------------------------------------------------------------
// Building and measuring

void addData(Pattern* pattern, const char* line, int attach) {
    if (!pattern || !line) return;
    std::string_view text = StripLineEnd(line);
    if (text.empty()) return;
    if (text[0] == 'n') {
        if (pattern->nameCount >= kMaxPatternNameLines) return;
        pattern->nameLines.push_back(Bounded(NameText(text)));
        pattern->nameCount = static_cast<int>(pattern->nameLines.size());
    } else if (text[0] == 'p') {
        float x = 0, y = 0;
        if (ParsePointLine(text, x, y) != PointParse::Ok) return;
        if (pattern->pointCount == 0) {
            pattern->minX = pattern->maxX = x;
            pattern->minY = pattern->maxY = y;
        } else {
            pattern->minX = std::min(pattern->minX, x);
            pattern->maxX = std::max(pattern->maxX, x);
            pattern->minY = std::min(pattern->minY, y);
            pattern->maxY = std::max(pattern->maxY, y);
        }
        pattern->x.push_back(x);
        pattern->y.push_back(y);
        pattern->pointCount = static_cast<int>(pattern->x.size());
    } else if (text[0] == 'c') {
        PatternCommandType type;
        char third = text.size() > 2 ? text[2] : '\0';
        if (third == 'e')  // anything but "s" in the fifth place ends an entity
            type = (text.size() > 4 && text[4] == 's') ? PatternCommandType::EntityStart
                                                       : PatternCommandType::EntityEnd;
        else if (!ParseCommandLine(text, type))
            return;
        pattern->commandType.push_back(type);
        pattern->commandPoint.push_back(attach == 1 ? pattern->pointCount + 1
                                                    : pattern->pointCount);
        pattern->commandCount = static_cast<int>(pattern->commandType.size());
    }
    if (pattern->pointCount > 0) {
        pattern->width = pattern->maxX - pattern->minX;
        pattern->height = pattern->maxY - pattern->minY;
    }
}

// The bounds start from the first point, which gives the same result as
// starting from +-9999.9 for every pattern within that range and stays right
// beyond it.
void UpdatePatternSize(Pattern* pattern) {
    if (!pattern) return;
    if (pattern->pointCount <= 0) {
        pattern->minX = pattern->minY = pattern->maxX = pattern->maxY = 0;
        pattern->width = pattern->height = 0;
        return;
    }
    auto [minX, maxX] = std::minmax_element(pattern->x.begin(), pattern->x.end());
    auto [minY, maxY] = std::minmax_element(pattern->y.begin(), pattern->y.end());
    pattern->minX = *minX;
    pattern->maxX = *maxX;
    pattern->minY = *minY;
    pattern->maxY = *maxY;
    pattern->width = pattern->maxX - pattern->minX;
    pattern->height = pattern->maxY - pattern->minY;
}

void OffsetPattern(Pattern* pattern, float dx, float dy) {
    if (!pattern || pattern->x.empty() || pattern->y.empty()) return;
    for (float& v : pattern->x)
        v -= dx;
    for (float& v : pattern->y)
        v -= dy;
}

// ---------------------------------------------------------------------------
// The table of loaded patterns

int GetNextPattern() {
    if (patternList.count >= kPatternSlots) return -1;
    for (int i = 0; i < kPatternSlots; i++)
        if (!patternList.slots[i]) return i;
    return -1;
}

Pattern* GetPattern(int slot) {
    if (slot < 0 || slot >= kPatternSlots) return nullptr;
    return patternList.slots[slot].get();
}

int AddPatternToList(int slot, std::unique_ptr<Pattern> pattern) {
    if (slot < 0 || slot >= kPatternSlots || !pattern || patternList.slots[slot]) return 0;
    patternList.slots[slot] = std::move(pattern);
    patternList.count++;
    patternList.freeSlots--;
    return 1;
}

void RemovePatternFromList(int slot) {
    if (slot < 0 || slot >= kPatternSlots || !patternList.slots[slot]) return;
    erasePattern(patternList.slots[slot]);
    patternList.count--;
    patternList.freeSlots++;
}

void ClearPatternList() {
    for (auto& slot : patternList.slots)
        erasePattern(slot);
    patternList.count = 0;
    patternList.freeSlots = kPatternSlots;
}

namespace {

unsigned long imageGeneration = 0;

}  // namespace

void InvalidatePatternImages() {
    imageGeneration++;
}

unsigned long PatternImageGeneration() {
    return imageGeneration;
}
