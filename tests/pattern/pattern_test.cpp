#include <fcntl.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>

#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "pattern/pattern.h"
#include "pattern/pattern_image.h"
#include "pattern/pattern_thumbnail.h"
#include "pattern/pattern_transform.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

// A pattern of file lines given to addData, measured like a loaded one.
Pattern FromLines(std::initializer_list<std::string> lines) {
    Pattern p;
    for (const std::string& line : lines)
        addData(&p, line.c_str(), 1);
    UpdatePatternSize(&p);
    p.baseWidth = p.width;
    p.baseHeight = p.height;
    return p;
}

// v rounded to 0.001, without "-0".
std::string Number(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", std::round(double(v) * 1000.0) / 1000.0 + 0.0);
    return text;
}

// The points as "x,y" separated by blanks.
std::string PointsText(const Pattern& p) {
    std::string text;
    for (int i = 0; i < p.pointCount; i++)
        text += (i ? " " : "") + Number(p.x[i]) + "," + Number(p.y[i]);
    return text;
}

// The commands as "<point><kind>" separated by blanks, kind s, f, es or ee.
std::string CommandsText(const Pattern& p) {
    static const char* const kinds[] = {"s", "f", "es", "ee"};
    std::string text;
    for (int i = 0; i < p.commandCount; i++)
        text += (i ? " " : "") + std::to_string(p.commandPoint[i]) +
                kinds[static_cast<int>(p.commandType[i]) & 3];
    return text;
}

// "minX minY maxX maxY / width x height".
std::string BoundsText(const Pattern& p) {
    return Number(p.minX) + " " + Number(p.minY) + " " + Number(p.maxX) + " " + Number(p.maxY) +
           " / " + Number(p.width) + " x " + Number(p.height);
}

// The text of the last message shown through the user-interface hooks.
std::string lastMessage;
void RecordMessages() {
    UserInterfaceHooks hooks;
    hooks.showMessage = [](int, int, const char* text) {
        lastMessage = text;
        return int(kResponseOk);
    };
    SetUserInterfaceHooks(hooks);
    lastMessage.clear();
}

std::unique_ptr<Pattern> Load(const TempDir& dir, const std::string& text) {
    EXPECT_TRUE(WriteFileText(dir.File("test.qcc"), text));
    return newPattern(dir.File("test.qcc").c_str(), 0);
}

std::string SaveText(const TempDir& dir, const Pattern* pattern) {
    EXPECT_EQ(savePattern(pattern, dir.File("out.qcc").c_str()), 1);
    return ReadFileText(dir.File("out.qcc"));
}

std::string NamesText(const Pattern& p) {
    std::string text;
    for (const std::string& name : p.nameLines)
        text += (text.empty() ? "" : "|") + name;
    return text;
}

// Loading moves the pattern to the origin; saving writes the names first, each
// command before its point (those after the last point last), three decimals.
TEST(PatternFile, LoadMovesToTheOriginAndSaveWritesNamesCommandsAndPoints) {
    TempDir dir;
    auto p = Load(dir,
                  "c s\np X2.000 Y-1.000\nc e s\nc F\np X5.2346 Y3.0004\nn second name\n"
                  "p X3.000 Y0.000\nc e e\nc s\nn first\n");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->name, "test");
    EXPECT_EQ(PointsText(*p), "0,0 3.235,4 1,1");
    EXPECT_EQ(CommandsText(*p), "1s 2es 2f 4ee 4s");
    EXPECT_EQ(BoundsText(*p), "0 0 3.235 4 / 3.235 x 4");
    EXPECT_NEAR(p->baseHeight, 4.0f, 1e-3);
    p->x[2] = -0.25f;
    EXPECT_EQ(SaveText(dir, p.get()),
              "n second name\nn first\nc s\np X0.000 Y0.000\nc e s\nc f 10\np X3.235 Y4.000\n"
              "p X-0.250 Y1.000\nc e e\nc s\n");
    // Found by fuzzing: one point alone saves to a file shorter than the
    // reader's smallest, so it is not saved.
    Pattern lone = FromLines({"p X0.5 Y1"});
    EXPECT_EQ(savePattern(&lone, dir.File("lone.qcc").c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("lone.qcc")));
    addData(&lone, "c s", 0);
    EXPECT_EQ(savePattern(&lone, dir.File("lone.qcc").c_str()), 1);
}

// What is read from each file, and that it comes back the same when saved and
// loaded again.
TEST(PatternFile, WhatTheReaderTakesFromEachLine) {
    std::string garbage;
    for (int i = 0; i < 200000; i++)
        garbage += static_cast<char>((i * 7919) % 256);
    const struct {
        std::string text;
        const char* points;  // null: the file is refused
        const char* commands = "";
        std::string names = "";
    } cases[] = {
        // Lines that are no point or known command are passed over.
        {"p X1.000\np X0.000 Y0.000\np Y4.0\n# comment X9 Y9\nc x\nc e z\nc\nc e\n"
         "p X1.000 Y1.000\n\n",
         "0,0 1,1"},
        {"n Heart\r\np X0 Y0\r\nc s\r\np X1 Y2\r\n", "0,0 1,2", "2s", "Heart"},
        {std::string("p X1 Y1\nn name\0hidden\np X3 Y4\n", 30), "0,0 2,3", "", "name"},
        // Lines are read in pieces of 74 characters: the rest of a long name
        // starts a line of its own (here a point).
        {"n " + std::string(72, 'a') + "p X5 Y6\np X0 Y0\n", "5,6 0,0", "", std::string(72, 'a')},
        // Found by fuzzing: a name cut there ends in carriage returns, which
        // lost one at every save and load.
        {"n Border\nn Scaollp ald cl buon Bor" + std::string(54, '\r') +
             "der\np X2.123 Y5.234\np X3.424 Y5.244\n",
         "0,0 1.301,0.01", "", "Border|Scaollp ald cl buon Bor"},
        {"p X0 Y0\n" + std::string(2 * 1024 * 1024, 'q') + "\np X1 Y1\n", "0,0 1,1"},
        // Text that is no number reads as 0, like the controller always did.
        {"p Xabc Y2\np X1 Y1\n", "0,1 1,0"},
        // Seventeen bytes count as empty, eighteen are read.
        {"p X1.00 Y2.00\nc s\n", "0,0", "2s"},
        {"p X1.0 Y2.00\nc s\n", nullptr},
        {"p X0 Y0\np Xnan Y1.0\np X1 Y1\n", nullptr},
        {"p X0 Y0\np X-200000 Y1\np X1 Y1\n", nullptr},
        {"n only names here\nn and more\n", nullptr},
        {garbage, nullptr},
    };
    TempDir dir;
    for (const auto& c : cases) {
        auto p = Load(dir, c.text);
        const std::string head = c.text.substr(0, 40);
        if (!c.points) {
            EXPECT_FALSE(p) << head;
            continue;
        }
        for (int again = 0; again < 2 && p; again++, p = Load(dir, SaveText(dir, p.get()))) {
            EXPECT_EQ(PointsText(*p), c.points) << head;
            EXPECT_EQ(CommandsText(*p), c.commands) << head;
            EXPECT_EQ(NamesText(*p), c.names) << head;
        }
        EXPECT_TRUE(p) << head;
    }
}

TEST(PatternFile, MissingFilesFoldersOversizedFilesAndAMissingStickAreRefused) {
    TempDir dir;
    EXPECT_FALSE(newPattern(dir.File("missing.qcc").c_str(), 0));
    EXPECT_FALSE(newPattern(dir.path.c_str(), 0));  // a folder
    // A file over the limit is refused from its size alone (a sparse file).
    const std::string big = dir.File("big.qcc");
    ASSERT_TRUE(WriteFileText(big, "p X0 Y0\np X1 Y1\n"));
    ASSERT_EQ(truncate(big.c_str(), kMaxPatternFileBytes + 1), 0);
    EXPECT_FALSE(newPattern(big.c_str(), 0));
    // A pattern on the stick without a stick.
    ASSERT_EQ(SetSystemRoot(dir.path.c_str()), 1);
    RecordMessages();
    EXPECT_FALSE(newPattern("/media/usb/heart.qcc", 0));
    EXPECT_EQ(lastMessage.rfind("USB DRIVE NOT DETECTED.", 0), 0u);
    SetUserInterfaceHooks({});
    SetSystemRoot(nullptr);
}

TEST(PatternFile, AddDataAppendsLinesAndAttachesCommandsByTheFlag) {
    Pattern p;
    addData(&p, "n Traced", 1);
    addData(&p, "c s", 1);  // precedes the next point: 1
    addData(&p, "p X2.0 Y3.0\n", 1);
    addData(&p, "p X-1.0 Y5.0", 1);
    addData(&p, "c e s", 0);  // precedes the last point added: 2
    addData(&p, "c e x", 1);  // anything but "s" ends an entity
    addData(&p, "c f 10", 1);
    addData(&p, "p Xnan Y1", 1);
    EXPECT_EQ(NamesText(p), "Traced");
    EXPECT_EQ(PointsText(p), "2,3 -1,5");
    EXPECT_EQ(CommandsText(p), "1s 2es 3ee 3f");
    EXPECT_EQ(BoundsText(p), "-1 3 2 5 / 3 x 2");
    // Measured without moving, beyond the old +-9999.9 start values.
    p.x[0] = 12000.0f;
    UpdatePatternSize(&p);
    EXPECT_EQ(BoundsText(p), "-1 3 12000 5 / 12001 x 2");
    OffsetPattern(&p, 5.0f, -1.0f);
    EXPECT_EQ(PointsText(p), "11995,4 -6,6");
    EXPECT_EQ(BoundsText(p), "-1 3 12000 5 / 12001 x 2");  // untouched by the offset
    clearPattern(&p);                                      // everything but the record goes
    EXPECT_EQ(p.pointCount + p.commandCount + p.nameCount, 0);
    EXPECT_TRUE(p.x.empty() && p.commandPoint.empty() && p.nameLines.empty());
}

TEST(PatternFile, ListSlotsFillFromTheLowestAndRefuseTheFiftyFirst) {
    for (int i = 0; i < kPatternSlots; i++)
        ASSERT_EQ(AddPatternToList(GetNextPattern(), std::make_unique<Pattern>()), 1) << i;
    EXPECT_EQ(std::pair(GetNextPattern(), patternList.freeSlots), std::pair(-1, 0));
    RemovePatternFromList(7);
    RemovePatternFromList(3);
    RemovePatternFromList(3);  // already empty: nothing changes
    EXPECT_EQ(std::tuple(patternList.count, patternList.freeSlots, GetNextPattern()),
              std::tuple(48, 2, 3));
    EXPECT_TRUE(!GetPattern(3) && GetPattern(4) && !GetPattern(-1) && !GetPattern(50));
    // A taken slot, one outside the table and an empty record are refused.
    EXPECT_EQ(AddPatternToList(4, std::make_unique<Pattern>()) +
                  AddPatternToList(50, std::make_unique<Pattern>()) + AddPatternToList(3, nullptr),
              0);
    ClearPatternList();
}

TEST(PatternTransform, MirrorReflectsWithinTheBoxAndReverseKeepsCommandsBeforeTheirPoints) {
    Pattern p = FromLines({"p X0 Y0", "p X3 Y1", "p X1 Y2"});
    mirrorPattern(&p, 1, 0);
    EXPECT_EQ(PointsText(p), "3,0 0,1 2,2");
    mirrorPattern(&p, 0, 1);
    EXPECT_EQ(PointsText(p), "3,2 0,1 2,0");
    mirrorPattern(&p, 1, 1);
    EXPECT_EQ(PointsText(p), "0,0 3,1 1,2");

    p = FromLines({"c e s", "p X0 Y0", "c s", "p X1 Y0", "p X2 Y0", "p X3 Y0", "c e e"});
    ReversePatternPath(&p);
    EXPECT_EQ(PointsText(p), "3,0 2,0 1,0 0,0");
    // Order reversed, types kept, positions mirrored: c -> 4 - c + 2; the jump
    // still lies between the points x = 0 and x = 1 (now 4th and 3rd).
    EXPECT_EQ(CommandsText(p), "1ee 4s 5es");
}

using Image = std::unique_ptr<GdkPixbuf, void (*)(gpointer)>;
Image Own(GdkPixbuf* image) {
    return Image(image, g_object_unref);
}

// A pixel as 0xRRGGBBAA.
unsigned PixelAt(GdkPixbuf* image, int x, int y) {
    const guchar* p = gdk_pixbuf_get_pixels(image) + y * gdk_pixbuf_get_rowstride(image) + x * 4;
    return unsigned(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}
const unsigned kClear = 0xFFFFFF00, kBlack = 0xFF, kRed = 0xFF0000FF;

// The pixels that are not transparent, as "x,y" ordered by x, then y.
std::string Drawn(GdkPixbuf* image) {
    std::string text;
    for (int x = 0; x < gdk_pixbuf_get_width(image); x++)
        for (int y = 0; y < gdk_pixbuf_get_height(image); y++)
            if (PixelAt(image, x, y) & 0xFF)
                text += (text.empty() ? "" : " ") + std::to_string(x) + "," + std::to_string(y);
    return text;
}

// Lines step along their longer axis and leave out the larger end; pixels
// outside the image are skipped.
TEST(PatternImage, LinesStepAlongTheLongerAxisAndLeaveOutTheLargerEnd) {
    const struct {
        int x0, y0, x1, y1;
        const char* pixels;
    } cases[] = {
        {10, 3, 2, 7, "2,7 3,6 4,6 5,5 6,5 7,4 8,4 9,3"},  // y = int(8 - x / 2)
        {4, 1, 4, 6, "4,1 4,2 4,3 4,4 4,5"},
        {0, 0, 3, 9, "0,0 0,1 0,2 1,3 1,4 1,5 2,6 2,7 2,8"},  // x = int(y / 3)
        {2, 2, 2, 2, ""},
        {-5, 2, 1000000, 2, "0,2 1,2 2,2 3,2 4,2 5,2 6,2 7,2 8,2 9,2"},
    };
    // Images one pixel larger than asked; sizes too large are refused, not attempted.
    Pattern p = FromLines({"p X0 Y0", "p X2.5 Y1.0"});
    EXPECT_EQ(gdk_pixbuf_get_width(Own(CreatePixbufFromPattern(&p, 0.1f)).get()), 26);
    EXPECT_TRUE(!NewPixbuf(-1, 3) && !NewPixbuf(100000, 100000));
    EXPECT_EQ(CreatePixbufFromPattern(&p, 0.00001f), nullptr);  // 250,000 pixels wide
    for (const auto& c : cases) {
        Image image = Own(NewPixbuf(9, 9));
        DrawLine(image.get(), c.x0, c.y0, c.x1, c.y1, 0, 0, 0, 255);
        EXPECT_EQ(Drawn(image.get()), c.pixels) << c.x0 << "," << c.y0;
    }
}

// Stops and points outside the image lift the pen; a point within 0.05 inch of
// the last remembered one is neither drawn nor remembered; the offset and the
// minimum shift the path; old pixels are cleared.
TEST(PatternImage, PenLiftsNearPointsAndOffsets) {
    std::string twoRows;  // (0,0) to (1,0) and (1,1) to (0,1), nothing down the right side
    for (int x = 0; x < 10; x++)
        twoRows += (x ? " " : "") + std::to_string(x) + ",0 " + std::to_string(x) + ",10";
    const struct {
        Pattern p;
        float dx, dy, scale;
        int remembered;
        std::string drawn;
    } cases[] = {
        {FromLines({"p X0 Y0", "p X1 Y0", "p X1.04 Y0.02", "c s", "p X1 Y1", "p X0 Y1"}), 0, 0,
         0.1f, 4, twoRows},
        {FromLines({"p X0 Y0", "p X0.5 Y0", "p X5 Y0", "p X0.5 Y0.5", "p X0 Y0.5"}), 0, 0, 0.1f, 4,
         "0,0 0,5 1,0 1,5 2,0 2,5 3,0 3,5 4,0 4,5"},
        {FromLines({"p X2 Y3", "p X2.5 Y3"}), 0.5f, 0.25f, 0.125f, 2, "4,2 5,2 6,2 7,2"},
    };
    for (const auto& c : cases) {
        Image image = Own(NewPixbuf(10, 10));
        DrawPixel(image.get(), 9, 9, 0, 0, 0, 255);
        EXPECT_EQ(DrawPattern(image.get(), &c.p, c.dx, c.dy, c.scale, -1), c.remembered);
        EXPECT_EQ(Drawn(image.get()), c.drawn);
    }
}

// The chosen entity is drawn red. A window of the coverage masks holds exactly
// the pixels of the same part of the whole RGBA image: black in ink, red in
// red, whatever the window (inside, across an edge, one pixel, the whole
// image, beyond it).
TEST(PatternImage, RedEntityAndMaskWindowsHoldingThePixelsOfTheWholeImage) {
    Pattern p = FromLines({"c e s", "p X0 Y0", "p X3 Y1.3", "p X0.2 Y2.9", "c e e", "c s", "c e s",
                           "p X2.9 Y0.1", "p X0.1 Y2.5", "c e e", "p X3 Y3"});
    const float scale = 0.05f;
    int w = 0, h = 0;
    ASSERT_TRUE(PatternImageSize(&p, scale, &w, &h));
    EXPECT_EQ(w, 61);
    Image whole = Own(CreatePixbufFromPattern(&p, scale));
    DrawPattern(whole.get(), &p, 0, 0, scale, 2);
    const int windows[][4] = {
        {0, 0, w, h}, {10, 20, 17, 9}, {55, 50, 30, 30}, {30, 13, 1, 1}, {70, 0, 5, 5}};
    for (const auto& win : windows) {
        PatternImageMask mask;
        mask.left = win[0], mask.top = win[1], mask.width = win[2], mask.height = win[3];
        ASSERT_TRUE(DrawPatternMask(&p, scale, 2, mask));
        mask.red.resize(mask.ink.size());  // no red drawn: none
        EXPECT_EQ(mask.stride % 4, 0);
        int inked = 0;
        for (int y = 0; y < mask.height; y++) {
            for (int x = 0; x < mask.width; x++) {
                const int fx = mask.left + x, fy = mask.top + y;
                const unsigned expected = fx < w && fy < h ? PixelAt(whole.get(), fx, fy) : kClear;
                const std::size_t at = static_cast<std::size_t>(y) * mask.stride + x;
                const unsigned got = mask.red[at] ? kRed : mask.ink[at] ? kBlack : kClear;
                ASSERT_EQ(got, expected)
                    << "window " << win[0] << "," << win[1] << " pixel " << fx << "," << fy;
                inked += mask.ink[at] != 0;
            }
        }
        if (win[2] == w) {
            EXPECT_GT(inked, 100);
            EXPECT_GT(std::count(mask.red.begin(), mask.red.end(), 255), 20);
        }
    }
    // Red only in the chosen entity: black in the first and after the end.
    EXPECT_EQ(std::pair(PixelAt(whole.get(), 42, 17), PixelAt(whole.get(), 42, 56)),
              std::pair(kBlack, kBlack));
    PatternImageMask tooLarge;
    tooLarge.width = kMaxImageSide + 1;
    tooLarge.height = 1;
    EXPECT_FALSE(DrawPatternMask(&p, scale, -1, tooLarge));
}

// Sets a file's modification time, seconds after an arbitrary epoch.
void SetTime(const std::string& path, long seconds) {
    struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// Thumbnails fit the pattern (a 2 x 1 inch rectangle into 40 x 40 pixels: 0.05
// inch per pixel, the far edges at pixel 40) and are cached: the cache is used
// only when it is newer than the pattern, readable and of the size.
TEST(PatternThumbnail, FitsThePatternAndUsesTheCacheOnlyWhenNewerReadableAndOfTheSize) {
    EXPECT_EQ(ThumbnailPath("t/", "./patterns/Feathers/swirl.qcc"), "t/swirl.png");
    EXPECT_EQ(ThumbnailPath("t/", "/media/usb/a.b.qcc"), "t/a.b.png");
    EXPECT_EQ(ThumbnailPath("t/", "noext"), "t/noext.png");
    TempDir dir;
    const std::string path = dir.File("box.qcc"), folder = dir.File("thumbnails/");
    const std::string cached = folder + "box.png";
    ASSERT_TRUE(WriteFileText(path, "p X0 Y0\np X2 Y0\np X2 Y1\np X0 Y1\np X0 Y0\n"));
    SetTime(path, 1000);
    enum Cache { kNone, kNewer, kOlder, kOtherSize, kUnreadable };
    for (Cache cache : {kNone, kNewer, kOlder, kOtherSize, kUnreadable}) {
        SCOPED_TRACE(cache);
        std::filesystem::remove_all(folder);  // made again by the thumbnail
        if (cache != kNone) std::filesystem::create_directories(folder);
        if (cache == kUnreadable) {
            ASSERT_TRUE(WriteFileText(cached, "not a picture"));
        } else if (cache != kNone) {
            // A picture with a mark the pattern would never draw.
            const int side = cache == kOtherSize ? 20 : 40;
            Image marked = Own(NewPixbuf(side - 1, side - 1));
            DrawPixel(marked.get(), side - 10, side - 5, 1, 2, 3, 255);
            ASSERT_TRUE(gdk_pixbuf_save(marked.get(), cached.c_str(), "png", nullptr, nullptr));
        }
        if (cache != kNone) SetTime(cached, cache == kOlder ? 500 : 2000);
        Image image = Own(GetPatternThumbnail(path.c_str(), folder.c_str(), 40, 40));
        ASSERT_TRUE(image);
        EXPECT_EQ(gdk_pixbuf_get_width(image.get()) * 100 + gdk_pixbuf_get_height(image.get()),
                  4040);
        // The cached picture with its mark, or the rectangle: its top, bottom
        // (y = 1 inch) and left edges, the right edge at pixel 40.
        const bool drawn = cache != kNewer;
        EXPECT_EQ(PixelAt(image.get(), 30, 35), drawn ? kClear : 0x010203FFu);
        for (auto [x, y] : {std::pair{20, 0}, {20, 20}, {0, 10}})
            EXPECT_EQ(PixelAt(image.get(), x, y), drawn ? kBlack : kClear) << x << "," << y;
        EXPECT_EQ(PixelAt(image.get(), 39, 10), kClear);
        EXPECT_EQ(PixelAt(image.get(), 20, 30), kClear);
        int w = 0, h = 0;
        ASSERT_TRUE(gdk_pixbuf_get_file_info(cached.c_str(), &w, &h));
        EXPECT_EQ(w * 100 + h, 4040);
    }
    // Invalid files give the message and no image.
    RecordMessages();
    ASSERT_TRUE(WriteFileText(dir.File("empty.qcc"), "n x\n"));
    for (const std::string& bad : {dir.File("empty.qcc"), dir.File("missing.qcc")}) {
        lastMessage.clear();
        EXPECT_EQ(GetPatternThumbnail(bad.c_str(), folder.c_str(), 40, 20), nullptr);
        EXPECT_EQ(lastMessage, "Pattern File Is Invalid\n");
    }
    SetUserInterfaceHooks({});
    EXPECT_FALSE(std::filesystem::exists(folder + "missing.png"));
}

// longarm-tool: the operations apply in the order given; usage errors exit
// with 2, a file that cannot be read or written with 1.
TEST(PatternTool, InfoTransformAndExitStatus) {
    const std::string samples = LONGARM_SOURCE_DIR "/data/patterns/";
    ProgramResult r = RunProgram({LONGARM_TOOL_PATH, "info", samples + "stars.qcc"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    for (const char* line : {"name lines: 2\n  Stars\n", "points: 99\n",
                             "commands: 27 (stops 8, marks 1, entity starts 9, entity ends 9)\n",
                             "width: 11.424 in\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << r.out;
    TempDir dir;
    r = RunProgram({LONGARM_TOOL_PATH, "transform", samples + "border.qcc", dir.File("turned"),
                    "--rotate", "90", "--stretch-y", "0.5", "--mirror-x", "--reverse"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_NE(r.out.find("turned.qcc"), std::string::npos);
    auto expected = newPattern((samples + "border.qcc").c_str(), 0);
    ASSERT_TRUE(expected);
    RotatePattern(expected.get(), 90);
    stretchPattern(expected.get(), 'y', 0.5f, nullptr);
    mirrorPattern(expected.get(), 1, 0);
    ReversePatternPath(expected.get());
    EXPECT_EQ(ReadFileText(dir.File("turned.qcc")), SaveText(dir, expected.get()));
    for (const auto& [args, status] : std::vector<std::pair<std::vector<std::string>, int>>{
             {{"transform", "a.qcc", "b.qcc", "--rotate", "nan"}, 2},
             {{"info", "/nonexistent/missing.qcc"}, 1},
             {{"thumbnail", samples + "stars.qcc", "/nonexistent/x.png"}, 1}}) {
        std::vector<std::string> command = args;
        command.insert(command.begin(), LONGARM_TOOL_PATH);
        EXPECT_EQ(RunProgram(command).exitStatus, status) << args.back();
    }
}

// The committed samples are what their generator makes, and load and save
// back unchanged.
TEST(SamplePatterns, LoadSaveBackAndComeFromTheGenerator) {
    const std::string samples = LONGARM_SOURCE_DIR "/data/patterns/";
    TempDir dir;
    ProgramResult r =
        RunProgram({"/usr/bin/python3", LONGARM_SOURCE_DIR "/data/generate_patterns.py", dir.path});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    for (const char* name : {"meander.qcc", "loops.qcc", "stars.qcc", "border.qcc", "large.qcc"}) {
        auto p = newPattern((samples + name).c_str(), 0);
        ASSERT_TRUE(p) << name;
        EXPECT_TRUE(ReadFileText(dir.File(name)) == ReadFileText(samples + name)) << name;
        ASSERT_EQ(savePattern(p.get(), dir.File(name).c_str()), 1);
        EXPECT_TRUE(ReadFileText(dir.File(name)) == ReadFileText(samples + name)) << name;
    }
    EXPECT_EQ(newPattern((samples + "large.qcc").c_str(), 0)->pointCount, 100000);
}

}  // namespace
