#include "layout/layout_file.h"

#include <glib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string_view>

#include "base/application_state.h"
#include "base/log.h"
#include "base/recovery_image.h"
#include "base/safe_write.h"
#include "base/system_paths.h"
#include "base/timers.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "pattern/pattern.h"

void (*undoAvailabilityChanged)(int available) = nullptr;
void (*setpointAvailabilityChanged)(int available) = nullptr;

namespace {

// Path of the layout last loaded or saved, without ".qlf"; empty: no file.
std::string currentLayoutName;

constexpr const char* kLayoutFolder = "./Layout/";
constexpr const char* kRemovedNameCharacters = "!@#$%^&*()+={}[]|\\?.,<>:;'~`/ \"";
constexpr size_t kTextFieldBytes = 256;

// ---- writing -------------------------------------------------------------

struct Writer {
    std::string bytes;
    void Byte(uint8_t b) { bytes.push_back(static_cast<char>(b)); }
    void Int(int32_t v) {
        uint32_t u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; i++)
            Byte(static_cast<uint8_t>(u >> (8 * i)));
    }
    void Float(float f) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        Int(static_cast<int32_t>(u));
    }
    void Text(const std::string& text) {
        char field[kTextFieldBytes] = {};
        std::memcpy(field, text.data(), std::min(text.size(), kTextFieldBytes - 1));
        bytes.append(field, kTextFieldBytes);
    }
    void Corners(const PatternBox& box) {
        for (const PatternBoxPoint* c = box.corners; c; c = c->next) {
            Int(c->index);
            Float(c->x);
            Float(c->y);
        }
    }
};

void WriteExtents(Writer& w, const PatternBox& e) {
    w.Byte(kTagExtents);
    w.Float(e.x);
    w.Float(e.y);
    w.Float(e.centreX);
    w.Float(e.centreY);
    w.Float(e.width);
    w.Float(e.height);
    w.Float(e.angle);
    w.Int(e.count);
    w.Corners(e);
    w.Byte(kSectionEnd);
}

void WritePattern(Writer& w, const Pattern& p) {
    w.Byte(kTagPattern);
    w.Text(p.name);
    w.Text(p.reservedText1);
    w.Text(p.reservedText2);
    for (float f : {p.width, p.height, p.baseWidth, p.baseHeight, p.minX, p.maxX, p.minY, p.maxY})
        w.Float(f);
    w.Int(p.angle);
    w.Float(p.xScalePercent);
    w.Float(p.yScalePercent);
    w.Int(p.pointCount);
    for (int i = 0; i < p.pointCount; i++) {
        w.Float(p.x[i]);
        w.Float(p.y[i]);
    }
    w.Int(p.commandCount);
    for (int i = 0; i < p.commandCount; i++) {
        w.Int(static_cast<int32_t>(p.commandType[i]));
        w.Int(p.commandPoint[i]);
    }
    w.Byte(kSectionEnd);
}

void WriteBox(Writer& w, const PatternBox& b) {
    w.Byte(kTagPatternBox);
    for (float f : {b.x, b.y, b.width, b.height, b.angle, b.centreX, b.centreY})
        w.Float(f);
    w.Int(b.count);
    w.Corners(b);
    w.Byte(kSectionEnd);
}

// ---- reading -------------------------------------------------------------

enum class ReadResult { kOk, kShort, kTimedOut };

struct Reader {
    std::string_view bytes;
    size_t at = 0;

    size_t Remaining() const { return bytes.size() - at; }
    bool Byte(uint8_t* b) {
        if (at >= bytes.size()) return false;
        *b = static_cast<uint8_t>(bytes[at++]);
        return true;
    }
    bool Int(int32_t* v) {
        if (Remaining() < 4) {
            at = bytes.size();
            return false;
        }
        uint32_t u = 0;
        for (int i = 0; i < 4; i++)
            u |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
        at += 4;
        *v = static_cast<int32_t>(u);
        return true;
    }
    bool Float(float* f) {
        int32_t v;
        if (!Int(&v)) return false;
        std::memcpy(f, &v, 4);
        return true;
    }
    bool Text(std::string* text) {
        if (Remaining() < kTextFieldBytes) {
            at = bytes.size();
            return false;
        }
        const char* field = bytes.data() + at;
        *text = std::string(field, strnlen(field, kTextFieldBytes));
        at += kTextFieldBytes;
        return true;
    }
    // A count of records of recordBytes each that must fit in what is left.
    bool Count(int32_t* count, size_t recordBytes) {
        if (!Int(count)) return false;
        if (*count < 0 || static_cast<size_t>(*count) > Remaining() / recordBytes) {
            at = bytes.size();  // a count the file cannot hold: the read comes up short
            return false;
        }
        return true;
    }
    // The end byte of a section: false (and the byte consumed) when it is not 16.
    bool End() {
        uint8_t b = 0;
        return Byte(&b) && b == kSectionEnd;
    }
};

bool ReadCorners(Reader& r, PatternBox* box, int32_t count) {
    std::vector<QuiltPoint> points;
    std::vector<int32_t> indexes;
    for (int32_t i = 0; i < count; i++) {
        int32_t index;
        float x, y;
        if (!r.Int(&index) || !r.Float(&x) || !r.Float(&y)) return false;
        points.push_back({x, y});
        indexes.push_back(index);
    }
    SetPatternBoxCorners(box, points);
    for (size_t i = 0; i < indexes.size(); i++)
        box->cornerStore[i].index = indexes[i];
    return true;
}

constexpr size_t kCornerBytes = 12;

bool ReadExtents(Reader& r, bool* endOk) {
    auto e = std::make_unique<PatternBox>();
    int32_t count;
    if (!r.Float(&e->x) || !r.Float(&e->y) || !r.Float(&e->centreX) || !r.Float(&e->centreY) ||
        !r.Float(&e->width) || !r.Float(&e->height) || !r.Float(&e->angle) ||
        !r.Count(&count, kCornerBytes) || !ReadCorners(r, e.get(), count))
        return false;
    extents = std::move(e);
    *endOk = r.End();
    return true;
}

bool ReadPattern(Reader& r, bool* endOk) {
    auto p = std::make_unique<Pattern>();
    int32_t angle, points, commands;
    if (!r.Text(&p->name) || !r.Text(&p->reservedText1) || !r.Text(&p->reservedText2)) return false;
    for (float* f : {&p->width, &p->height, &p->baseWidth, &p->baseHeight, &p->minX, &p->maxX,
                     &p->minY, &p->maxY})
        if (!r.Float(f)) return false;
    if (!r.Int(&angle) || !r.Float(&p->xScalePercent) || !r.Float(&p->yScalePercent) ||
        !r.Count(&points, 8))
        return false;
    p->angle = angle;
    p->x.resize(points);
    p->y.resize(points);
    for (int32_t i = 0; i < points; i++)
        if (!r.Float(&p->x[i]) || !r.Float(&p->y[i])) return false;
    p->pointCount = points;
    if (!r.Count(&commands, 8)) return false;
    for (int32_t i = 0; i < commands; i++) {
        int32_t type, point;
        if (!r.Int(&type) || !r.Int(&point)) return false;
        // Unknown command kinds are kept out of the pattern: nothing acts on them.
        if (type < 0 || type > static_cast<int32_t>(PatternCommandType::EntityEnd)) continue;
        p->commandType.push_back(static_cast<PatternCommandType>(type));
        // A command precedes one of the points or follows the last one; other
        // numbers (a damaged file) would overflow the arithmetic of its users.
        p->commandPoint.push_back(std::clamp(point, 1, points + 1));
    }
    p->commandCount = static_cast<int>(p->commandType.size());
    int slot = patternList.count;
    if (slot >= kPatternSlots || GetPattern(slot)) {
        Log("Pattern table full: pattern %s not loaded\n", p->name.c_str());
    } else {
        AddPatternToList(slot, std::move(p));
    }
    *endOk = r.End();
    return true;
}

bool ReadBox(Reader& r, bool* endOk) {
    auto b = std::make_unique<PatternBox>();
    int32_t count;
    for (float* f : {&b->x, &b->y, &b->width, &b->height, &b->angle, &b->centreX, &b->centreY})
        if (!r.Float(f)) return false;
    if (!r.Count(&count, kCornerBytes)) return false;
    // The measures are those stored, not recomputed from the corners.
    float x = b->x, y = b->y, w = b->width, h = b->height;
    if (!ReadCorners(r, b.get(), count)) return false;
    b->x = x, b->y = y, b->width = w, b->height = h;
    SetCurrentPatternBox(0);
    int slot = patternBoxList.count;
    if (slot >= kPatternBoxSlots) {
        LogLine("Pattern box table full: box not loaded");
    } else {
        patternBoxList.slots[slot] = std::move(b);
        patternBoxList.count++;
    }
    *endOk = r.End();
    return true;
}

bool ReadPlacement(Reader& r, bool* endOk) {
    int32_t box, pattern, array;
    uint8_t parent;
    float x, y;
    if (!r.Int(&box) || !r.Int(&pattern) || !r.Int(&array) || !r.Byte(&parent) || !r.Float(&x) ||
        !r.Float(&y))
        return false;
    AppendLayoutNode(pattern, array, parent == 1 ? 1 : 0, x, y, box);
    *endOk = r.End();
    return true;
}

bool ReadArray(Reader& r, bool* endOk) {
    float down, across;
    int32_t rows, columns;
    if (!r.Float(&down) || !r.Float(&across) || !r.Int(&rows) || !r.Int(&columns)) return false;
    NewArrayNode(rows, down, columns, across);
    *endOk = r.End();
    return true;
}

ReadResult ReadSections(Reader& r) {
    const int64_t start = MonotonicMs();
    uint8_t tag;
    while (r.Byte(&tag)) {
        if (MonotonicMs() - start > kLayoutLoadTimeLimitMs) return ReadResult::kTimedOut;
        bool endOk = true;
        bool read = true;
        const char* failure = nullptr;
        switch (tag) {
            case kTagExtents:
                read = ReadExtents(r, &endOk);
                failure = "Extents not read successfully";
                break;
            case kTagPattern:
                read = ReadPattern(r, &endOk);
                failure = "Pattern not read successfully";
                break;
            case kTagSkipped: {
                uint8_t b = 0;
                while (r.Byte(&b) && b != kSectionEnd) {
                }
                break;
            }
            case kTagPatternBox:
                read = ReadBox(r, &endOk);
                failure = "Pattern Box not read successfully";
                break;
            case kTagPlacement:
                read = ReadPlacement(r, &endOk);
                failure = "Layout Data not read successfully";
                break;
            case kTagArray:
                read = ReadArray(r, &endOk);
                failure = "Array Data not read successfully";
                break;
            default:
                break;  // not a tag: skipped
        }
        if (!read) return ReadResult::kShort;
        if (!endOk && failure) LogLine(failure);
    }
    return ReadResult::kOk;
}

// Drops placements that point at a pattern that was not loaded or a box that
// does not exist, so that a damaged file never leaves a dangling reference.
void DropUnresolvedPlacements() {
    for (LayoutNode* n = patternLayout; n;) {
        LayoutNode* next = n->next;
        if (!GetPattern(n->patternIndex) || !GetPatternBox(n->boxIndex)) {
            Log("Placement of pattern %d in box %d dropped: not in the layout\n", n->patternIndex,
                n->boxIndex);
            RemoveLayoutNode(n);
        } else if (n->arrayIndex >= 0 && !GetArrayNode(n->arrayIndex)) {
            n->arrayIndex = -1;
            n->parent = 0;
        }
        n = next;
    }
}

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

bool ReadWholeFile(const char* path, std::string* bytes) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    std::unique_ptr<FILE, int (*)(FILE*)> closer(f, std::fclose);
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        bytes->append(buffer, n);
        if (static_cast<long>(bytes->size()) > kMaxLayoutFileBytes) {
            Log("Layout file %s is larger than %ld bytes\n", path, kMaxLayoutFileBytes);
            bytes->resize(kMaxLayoutFileBytes);
            break;
        }
    }
    return true;
}

bool IsRecoveryFile(const char* path) {
    return std::strcmp(path, kRecoveryLayoutPath) == 0;
}

// A whole layout held outside the global tables, freed with the record.
struct HeldLayout {
    HeldLayout() = default;
    HeldLayout(const HeldLayout&) = delete;
    HeldLayout& operator=(const HeldLayout&) = delete;
    ~HeldLayout() {
        while (placements) {
            LayoutNode* next = placements->next;
            delete placements;
            placements = next;
        }
    }
    std::unique_ptr<PatternBox> extents;
    PatternList patterns;
    PatternBoxList boxes;
    LayoutNode* placements = nullptr;
    std::unique_ptr<ArrayNode> arrays[kArraySlots];
    int32_t currentBox = -1;
    LayoutNode* selected = nullptr;
};

// Exchanges the held layout with the one in the global tables, with the
// current box and the selected placement that belong to it.
void Exchange(HeldLayout& held) {
    std::swap(extents, held.extents);
    std::swap(patternList, held.patterns);
    std::swap(patternBoxList, held.boxes);
    std::swap(patternLayout, held.placements);
    for (int s = 0; s < kArraySlots; s++)
        std::swap(Arrays[s], held.arrays[s]);
    const int box = CurrentPatternBox();
    SetCurrentPatternBox(held.currentBox);
    held.currentBox = box;
    LayoutNode* selected = SelectedNode();
    SetSelectedNode(held.selected);
    held.selected = selected;
}

}  // namespace

std::string FilterLayoutName(const std::string& name) {
    std::string kept;
    for (char c : name)
        if (c != '\0' && !std::strchr(kRemovedNameCharacters, c)) kept.push_back(c);
    return kept;
}

std::string SerializeLayout() {
    Writer w;
    // The reader gives patterns and arrays consecutive slots in file order;
    // placements are written with those numbers.
    std::map<int, int> patternNumber, arrayNumber;

    if (extents) WriteExtents(w, *extents);  // a layout without a quilt area has none
    for (int s = 0; s < kPatternSlots; s++) {
        const Pattern* p = GetPattern(s);
        if (!p) continue;
        patternNumber[s] = static_cast<int>(patternNumber.size());
        WritePattern(w, *p);
    }
    for (int s = 0; s < patternBoxList.count && s < kPatternBoxSlots; s++)
        if (patternBoxList.slots[s]) WriteBox(w, *patternBoxList.slots[s]);
    for (int s = 0; s < kArraySlots; s++)
        if (Arrays[s]) arrayNumber[s] = static_cast<int>(arrayNumber.size());
    for (const LayoutNode* n = patternLayout; n; n = n->next) {
        auto pattern = patternNumber.find(n->patternIndex);
        auto array = arrayNumber.find(n->arrayIndex);
        w.Byte(kTagPlacement);
        w.Int(n->boxIndex);
        w.Int(pattern != patternNumber.end() ? pattern->second : n->patternIndex);
        w.Int(array != arrayNumber.end() ? array->second : -1);
        w.Byte(n->parent == 1 ? 1 : 0);
        w.Float(n->x);
        w.Float(n->y);
        w.Byte(kSectionEnd);
    }
    for (int s = 0; s < kArraySlots; s++) {
        if (!Arrays[s]) continue;
        w.Byte(kTagArray);
        w.Float(Arrays[s]->spacingDown);
        w.Float(Arrays[s]->spacingAcross);
        w.Int(Arrays[s]->down);
        w.Int(Arrays[s]->across);
        w.Byte(kSectionEnd);
    }
    return w.bytes;
}

std::string LayoutSavePath(const char* name, int fullPath) {
    std::string path = fullPath ? std::string(name) : kLayoutFolder + FilterLayoutName(name);
    return path + ".qlf";
}

int SaveLayout(const char* name, int askOverwrite, int fullPath) {
    if (!name) return 0;
    if (std::strlen(name) >= kMaxLayoutNameLength) {
        ShowMessage(kMessageError, kButtonsOk, "FILENAME IS TOO LONG");
        return 0;
    }
    const std::string path = LayoutSavePath(name, fullPath);
    Log("Layout Filename is: %s\n", path.c_str());
    if (askOverwrite == 1 && FileExists(path) &&
        ShowMessage(kMessageQuestion, kButtonsOkCancel, "FILE EXISTS!\nOVERWRITE FILE?") !=
            kResponseOk)
        return 0;
    return SafeWriteFile(path, SerializeLayout());
}

void FreeLayout() {
    extents.reset();
    ClearLayout();
    ProcessPendingEvents();
    ClearPatternList();
    ProcessPendingEvents();
    for (auto& slot : patternBoxList.slots)
        slot.reset();
    patternBoxList.count = 0;
    InitArrays();
    ProcessPendingEvents();
}

int LoadLayout(const char* path, int discard, int quiet) {
    if (!path) return 0;
    std::string bytes;
    if (!ReadWholeFile(path, &bytes)) {
        ShowMessage(kMessageError, kButtonsOk, "COULD NOT OPEN LAYOUT FILE.");
        return 0;
    }
    const bool recovery = IsRecoveryFile(path);
    if (!recovery) {
        if (!quiet && ShowMessage(kMessageQuestion, kButtonsOkCancel,
                                  "THIS WILL ERASE ALL CURRENT LAYOUT INFORMATION.\n\nCONTINUE?") !=
                          kResponseOk)
            return 0;
        ShowWaitingWindow("\n\nLOADING LAYOUT FILE", 0);
    }

    // The file is read into empty tables while the quilter's layout is held
    // aside; it comes back when the read fails, and is freed when it succeeds.
    HeldLayout held;
    if (discard) Exchange(held);
    Reader reader{bytes};
    ReadResult result = ReadSections(reader);
    DropUnresolvedPlacements();
    if (result != ReadResult::kOk) {
        if (discard) Exchange(held);
        if (result == ReadResult::kTimedOut) LogLine("Load Layout timed out");
        ShowMessage(kMessageError, kButtonsOk, "ERROR READING LAYOUT FILE.");
        return 0;
    }
    if (!recovery) {
        std::string name(path);
        name.resize(name.size() >= 4 ? name.size() - 4 : 0);
        SetCurrentLayoutName(name);
        Log("interface->current_layout = %s\n", name.c_str());
    }
    ProcessPendingEvents();
    return 1;
}

int CreateUndoFile() {
    int saved = SaveLayout(SystemPath("/tmp/undo").c_str(), 0, 1);
    if (saved && undoAvailabilityChanged) undoAvailabilityChanged(1);
    SetCurrentLayoutName("");
    return saved;
}

int RestoreUndoFile() {
    const std::string path = SystemPath("/tmp/undo") + ".qlf";
    Log("checking for undo file: %s\n", path.c_str());
    int restored = 0;
    if (!FileExists(path)) {
        Log("undo file: %s not found\n", path.c_str());
    } else {
        Log("Load Undo Layout File: \t %s \n", path.c_str());
        restored = LoadLayout(path.c_str(), 1, 1);
        if (restored) {
            std::remove(path.c_str());
            LogLine("Undo file removed");
            if (undoAvailabilityChanged) undoAvailabilityChanged(0);
        }
    }
    SetCurrentLayoutName("");
    zoomAll = 1;
    RefreshPatternPix();
    HideWaitingWindow();
    return restored;
}

int CreateSetpoint() {
    int saved = SaveLayout(SystemPath("/tmp/setPoint").c_str(), 0, 1);
    if (saved) {
        SetCurrentLayoutName("");
        if (setpointAvailabilityChanged) setpointAvailabilityChanged(1);
    }
    return saved;
}

int RestoreSetpoint() {
    const std::string path = SystemPath("/tmp/setPoint") + ".qlf";
    int restored = 0;
    if (FileExists(path)) {
        LogLine("Load Restore Setpoint Layout");
        restored = LoadLayout(path.c_str(), 1, 0);
    }
    SetCurrentLayoutName("");
    zoomAll = 1;
    RefreshPatternPix();
    HideWaitingWindow();
    return restored;
}

void UpdateCrashRecoveryImage() {
    std::string image = SerializeLayout();
    SetCrashRecoveryImage(image.data(), image.size());
}

const std::string& CurrentLayoutName() {
    return currentLayoutName;
}

void SetCurrentLayoutName(std::string name) {
    currentLayoutName = std::move(name);
}
