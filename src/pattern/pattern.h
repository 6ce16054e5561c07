// The pattern record, the table of loaded patterns and the pattern file (".qcc").
//
// A pattern is an open path of points in inches (x to the right, y toward the
// front of the table) with commands attached to the points they precede. A
// loaded pattern lives in one slot of `patternList`; placements refer to it by
// slot index, and every transform rewrites its points in place.
//
// The pattern file is text, one item per line:
//   "n TEXT"            a name line (written first)
//   "p X1.250 Y0.500"   a point, three decimals
//   "c s" "c f 10" "c e s" "c e e"   a command (Stop, FMark, EntityStart, EntityEnd)
// A command belongs to the point line that follows it.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

// Kind of a pattern command (stored as this integer in files and layouts).
enum class PatternCommandType : int {
    Stop = 0,         // "c s": the move into the following point is a jump (pen lifted)
    FMark = 1,        // "c f 10": carried through load and save, nothing acts on it
    EntityStart = 2,  // "c e s": the following points begin one entity of a drawing
    EntityEnd = 3,    // "c e e": ends the current entity
};

constexpr int kPatternTextSize = 256;  // name and reserved texts hold at most 255 characters

// Bounds of a record made by newPattern, before any point is added.
constexpr float kNewPatternMin = 999999.0f;
constexpr float kNewPatternMax = -99999.0f;

// Coordinates whose magnitude reaches this many inches are refused by the
// readers: no quilt is that large, and larger values overflow the machine's
// thousandths of an inch.
constexpr double kMaxPatternCoordinate = 100000.0;

// Files larger than this are refused by openPattern (a 100,000-point pattern
// takes about 2 MB).
constexpr long kMaxPatternFileBytes = 64L * 1024 * 1024;

// More name lines than this make a file invalid (real files carry a handful).
constexpr int kMaxPatternNameLines = 10000;

struct Pattern {
    std::string name;           // file name without folder and extension
    std::string reservedText1;  // kept for the layout file; nothing sets it
    std::string reservedText2;
    float width = 0;              // inches, maxX - minX
    float height = 0;             // inches, maxY - minY
    float baseWidth = 0;          // inches, width as loaded times every stretch along x
    float baseHeight = 0;         // inches, height as loaded times every stretch along y
    float minX = kNewPatternMin;  // inches
    float minY = kNewPatternMin;
    float maxX = kNewPatternMax;
    float maxY = kNewPatternMax;
    int angle = 0;                 // degrees, rotation applied when placed
    float xScalePercent = 100.0f;  // kept for the layout file
    float yScalePercent = 100.0f;
    int pointCount = 0;    // always x.size() == y.size() == pointCount
    std::vector<float> x;  // inches, in stitching order
    std::vector<float> y;
    int commandCount = 0;  // always commandType.size() == commandPoint.size()
    std::vector<PatternCommandType> commandType;
    // Per command, the 1-based number of the point it precedes; above pointCount
    // it comes after the last point.
    std::vector<int> commandPoint;
    int nameCount = 0;  // always nameLines.size()
    std::vector<std::string> nameLines;
};

constexpr int kPatternSlots = 50;

struct PatternList {
    int freeSlots = kPatternSlots;  // empty slots
    int count = 0;                  // patterns held
    std::array<std::unique_ptr<Pattern>, kPatternSlots> slots;
};

// The loaded patterns of the layout, addressed by slot index.
extern PatternList patternList;

// The thumbnail size of the screen settings in pixels (140 x 80 before they
// are read).
int PatternPreviewWidth();
int PatternPreviewHeight();

// Makes an empty record; with a path, loads that file and returns none when the
// load fails. draw is kept for the callers: the views draw the images of
// patterns themselves when they need them. Called when a pattern is chosen or
// built.
std::unique_ptr<Pattern> newPattern(const char* path, int draw);

// Reads a pattern file into an empty record, moved to the origin. Returns 1, or
// 0 when the file cannot be opened, is empty (under 18 bytes), too large, holds
// no point or an invalid number, or lies on a missing USB drive.
int openPattern(Pattern* pattern, const char* path);

// Writes the record as a pattern file to path (or to its name when path is none),
// adding ".qcc" when the target lacks it. The old file stays whole until the new
// one is complete. Returns 1, or 0 when the file cannot be written or would be
// too short for openPattern to read back (a lone point without names or
// commands); nothing is written then.
int savePattern(const Pattern* pattern, const char* path);

// Releases points, commands, name lines and the image; the counts become 0.
void clearPattern(Pattern* pattern);

// clearPattern, then releases the record; the reference becomes none.
void erasePattern(std::unique_ptr<Pattern>& pattern);

// Appends one name, point or command line (file syntax) to the record; attach 1
// makes a command precede the next point added, 0 the last point added. Lines of
// other kinds, and points without both X and Y or with invalid numbers, are
// ignored. Used by trace recording and merging.
void addData(Pattern* pattern, const char* line, int attach);

// Recomputes minX, minY, maxX, maxY, width and height from the points (all 0 for
// a pattern without points); the points stay where they are.
void UpdatePatternSize(Pattern* pattern);

// Subtracts dx from every x and dy from every y; the bounds are not touched.
void OffsetPattern(Pattern* pattern, float dx, float dy);

// The lowest empty slot of patternList, or -1 when the table is full.
int GetNextPattern();

// The pattern in a slot, or none for an empty slot or an index outside 0..49.
Pattern* GetPattern(int slot);

// Puts a pattern into an empty slot and counts it. Returns 1, or 0 when the slot
// is outside 0..49, already taken, or the pattern is none (nothing changes).
int AddPatternToList(int slot, std::unique_ptr<Pattern> pattern);

// Erases the pattern of a slot and uncounts it; nothing for an empty slot.
void RemovePatternFromList(int slot);

// Erases every pattern: the empty table of a new layout.
void ClearPatternList();

// The views draw pattern images on demand and keep them while nothing changes.
// InvalidatePatternImages declares every image drawn so far out of date (after
// a transform, a load or a change of highlight; RefreshPatternPix calls it);
// PatternImageGeneration counts those calls, so a kept image is current while
// the count it was drawn at is.
void InvalidatePatternImages();
unsigned long PatternImageGeneration();
