// The committed images/ folder: every picture the screens load by name is
// there, loads, has the size the screens place it at, is really drawn, and is
// exactly what the icon generator makes.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

struct ImageSpec {
    const char* name;
    int size;  // pixels, square
};

// Every image loaded by name, with the size the screens lay it out at.
// clang-format off
const ImageSpec kImages[] = {
    // Menu bar icons (large set, small set).
    {"home-64x64.png", 64}, {"home-32x32.png", 32}, {"app-edit-64x64.png", 64},
    {"app-edit-32x32.png", 32}, {"search-64x64.png", 64}, {"search-32x32.png", 32},
    {"ZigZag.png", 64}, {"ZigZag_5.png", 32},
    // Toolbar.
    {"Start_64x64.png", 64}, {"Start_32x32.png", 32}, {"Stop_64x64.png", 64},
    {"Stop_32x32.png", 32}, {"Stitch_64x64.png", 64}, {"Stitch_32x32.png", 32},
    {"LockHorizontal.png", 64}, {"LockHorizontal_32x32.png", 32}, {"LockVertical.png", 64},
    {"LockVertical_32x32.png", 32}, {"DropDownMenu_50.png", 50},
    // Confirm buttons of the set-up, nesting and point-selection screens.
    {"OK_64x64.png", 64}, {"OK.png", 32}, {"Add_64x64.png", 64}, {"Add.png", 32},
    {"Cancel_64x64.png", 64}, {"Cancel.png", 32},
    // Direction pad and box arrows: 50 pixels large, 32 small.
    {"Left.png", 50}, {"Right.png", 50}, {"Up.png", 50}, {"Down.png", 50},
    {"Left_5.png", 32}, {"Right_5.png", 32}, {"Up_5.png", 32}, {"Down_5.png", 32},
    // Corner prompts of the quilt-area set-up, motor-direction badges.
    {"TL_Arrow.png", 32}, {"TR_Arrow.png", 32}, {"BR_Arrow.png", 32},
    {"Forward_32x32.png", 32}, {"ReverseArrow_32x32.png", 32},
    // On-view edit buttons (hit squares of 32 pixels).
    {"Minus.png", 32}, {"Text.png", 32}, {"Plus.png", 32},
    // Keyboard shift key, busy cursor, folders.
    {"shift.png", 24}, {"thinker_20x20.png", 20}, {"Folder.png", 16},
    {"FolderBlue.png", 48}, {"FolderBlue_5.png", 24},
};
// clang-format on

const ImageSpec kAnimations[] = {{"waitingIcon200.gif", 200}, {"waitingIcon100.gif", 100}};

std::string ImagesDir() {
    return std::string(LONGARM_SOURCE_DIR) + "/images";
}

struct PixbufDeleter {
    void operator()(GdkPixbuf* p) const { g_object_unref(p); }
};
using PixbufPtr = std::unique_ptr<GdkPixbuf, PixbufDeleter>;

PixbufPtr Load(const std::string& path, std::string* error) {
    GError* err = nullptr;
    GdkPixbuf* pb = gdk_pixbuf_new_from_file(path.c_str(), &err);
    if (!pb) {
        *error = err ? err->message : "unknown error";
        if (err) g_error_free(err);
    }
    return PixbufPtr(pb);
}

// Counts the fully transparent and the clearly visible pixels of an RGBA image.
void CountAlpha(GdkPixbuf* pb, int* clear, int* visible) {
    *clear = *visible = 0;
    const int w = gdk_pixbuf_get_width(pb), h = gdk_pixbuf_get_height(pb);
    const int stride = gdk_pixbuf_get_rowstride(pb);
    const guchar* px = gdk_pixbuf_read_pixels(pb);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const guchar a = px[y * stride + x * 4 + 3];
            if (a == 0) ++*clear;
            if (a >= 128) ++*visible;
        }
    }
}

std::vector<std::string> ListFolder(const std::string& dir) {
    std::vector<std::string> names;
    GDir* d = g_dir_open(dir.c_str(), 0, nullptr);
    if (!d) return names;
    while (const char* n = g_dir_read_name(d))
        names.push_back(n);
    g_dir_close(d);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(Images, EveryNamedIconLoadsAtItsLayoutSizeAndIsDrawn) {
    for (const ImageSpec& entry : kImages) {
        SCOPED_TRACE(entry.name);
        std::string error;
        PixbufPtr pb = Load(ImagesDir() + "/" + entry.name, &error);
        ASSERT_TRUE(pb) << error;
        EXPECT_EQ(gdk_pixbuf_get_width(pb.get()), entry.size);
        EXPECT_EQ(gdk_pixbuf_get_height(pb.get()), entry.size);
        // Icons are laid over views and buttons: they need an alpha channel,
        // a transparent surround and a solid body.
        ASSERT_TRUE(gdk_pixbuf_get_has_alpha(pb.get()));
        ASSERT_EQ(gdk_pixbuf_get_n_channels(pb.get()), 4);
        int clear = 0, visible = 0;
        CountAlpha(pb.get(), &clear, &visible);
        const int area = entry.size * entry.size;
        EXPECT_GT(clear, 0) << "no transparent pixel: the icon would show a square";
        EXPECT_GT(visible, area / 8) << "almost nothing drawn";
    }
}

TEST(Images, LargeAndSmallVariantsShowTheSamePicture) {
    // The small icon is the large one drawn at the smaller size: scaled down,
    // the large one must match it closely (catches a mixed-up pair of files).
    const std::pair<const char*, const char*> pairs[] = {
        {"home-64x64.png", "home-32x32.png"}, {"Start_64x64.png", "Start_32x32.png"},
        {"Stop_64x64.png", "Stop_32x32.png"}, {"OK_64x64.png", "OK.png"},
        {"Cancel_64x64.png", "Cancel.png"},   {"LockVertical.png", "LockVertical_32x32.png"},
        {"Left.png", "Left_5.png"},           {"Up.png", "Up_5.png"},
    };
    for (const auto& [big, small] : pairs) {
        SCOPED_TRACE(std::string(big) + " / " + small);
        std::string error;
        PixbufPtr b = Load(ImagesDir() + "/" + big, &error);
        PixbufPtr s = Load(ImagesDir() + "/" + small, &error);
        ASSERT_TRUE(b && s) << error;
        const int n = gdk_pixbuf_get_width(s.get());
        PixbufPtr scaled(gdk_pixbuf_scale_simple(b.get(), n, n, GDK_INTERP_BILINEAR));
        const guchar* p = gdk_pixbuf_read_pixels(scaled.get());
        const guchar* q = gdk_pixbuf_read_pixels(s.get());
        const int ps = gdk_pixbuf_get_rowstride(scaled.get());
        const int qs = gdk_pixbuf_get_rowstride(s.get());
        double diff = 0;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n * 4; ++x)
                diff += std::abs(p[y * ps + x] - q[y * qs + x]);
        EXPECT_LT(diff / (n * n * 4), 20.0);
    }
}

TEST(Images, DirectionArrowsPointTheirWay) {
    // Across the white arrow glyph, the band just behind the head's base (on
    // the side the arrow points to) is much wider than the shaft behind it,
    // and the glyph is symmetric about the pointing axis.
    struct Case {
        const char* name;
        int dx, dy;
    };
    for (const Case& c :
         {Case{"Right.png", 1, 0}, Case{"Left.png", -1, 0}, Case{"Up.png", 0, -1},
          Case{"Down.png", 0, 1}, Case{"Right_5.png", 1, 0}, Case{"Left_5.png", -1, 0},
          Case{"Up_5.png", 0, -1}, Case{"Down_5.png", 0, 1}}) {
        SCOPED_TRACE(c.name);
        std::string error;
        PixbufPtr pb = Load(ImagesDir() + "/" + c.name, &error);
        ASSERT_TRUE(pb) << error;
        const int n = gdk_pixbuf_get_width(pb.get());
        const int stride = gdk_pixbuf_get_rowstride(pb.get());
        const guchar* px = gdk_pixbuf_read_pixels(pb.get());
        int front = 0, back = 0;
        double across = 0;
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                const guchar* p = px + y * stride + x * 4;
                if (p[0] < 230 || p[1] < 230 || p[2] < 230 || p[3] < 230) continue;
                const double cx = (x - (n - 1) / 2.0) / n, cy = (y - (n - 1) / 2.0) / n;
                const double along = cx * c.dx + cy * c.dy;
                if (along >= 0.0 && along < 0.12) ++front;
                if (along >= -0.25 && along < -0.10) ++back;
                across += cx * c.dy - cy * c.dx;
            }
        }
        EXPECT_GT(back, 0);
        EXPECT_GT(front, back * 13 / 10) << "front " << front << ", back " << back;
        EXPECT_LT(std::abs(across) / std::max(1, front + back), 0.02);
    }
}

TEST(Images, WaitingAnimationsMoveAndHaveTheirSize) {
    for (const ImageSpec& entry : kAnimations) {
        SCOPED_TRACE(entry.name);
        const std::string path = ImagesDir() + "/" + entry.name;
        GError* err = nullptr;
        GdkPixbufAnimation* anim = gdk_pixbuf_animation_new_from_file(path.c_str(), &err);
        ASSERT_TRUE(anim) << (err ? err->message : "");
        EXPECT_EQ(gdk_pixbuf_animation_get_width(anim), entry.size);
        EXPECT_EQ(gdk_pixbuf_animation_get_height(anim), entry.size);
        EXPECT_FALSE(gdk_pixbuf_animation_is_static_image(anim));

        // Two frames a step apart differ; the corners stay transparent.
        // (The animation iterator only takes the older time record.)
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        GTimeVal t = {0, 0};
        GdkPixbufAnimationIter* it = gdk_pixbuf_animation_get_iter(anim, &t);
        const int delay = gdk_pixbuf_animation_iter_get_delay_time(it);
        EXPECT_GT(delay, 0);
        EXPECT_LE(delay, 250);
        GdkPixbuf* f1 = gdk_pixbuf_copy(gdk_pixbuf_animation_iter_get_pixbuf(it));
        g_time_val_add(&t, delay * 1000L);
        gdk_pixbuf_animation_iter_advance(it, &t);
        GdkPixbuf* f2 = gdk_pixbuf_animation_iter_get_pixbuf(it);
        G_GNUC_END_IGNORE_DEPRECATIONS
        ASSERT_TRUE(gdk_pixbuf_get_has_alpha(f1));
        const gsize bytes = gdk_pixbuf_get_byte_length(f1);
        ASSERT_EQ(bytes, gdk_pixbuf_get_byte_length(f2));
        EXPECT_NE(0, memcmp(gdk_pixbuf_read_pixels(f1), gdk_pixbuf_read_pixels(f2), bytes));
        EXPECT_EQ(gdk_pixbuf_read_pixels(f1)[3], 0) << "top-left corner not transparent";
        g_object_unref(f1);
        g_object_unref(it);
        g_object_unref(anim);
    }
}

TEST(Images, GeneratorReproducesTheCommittedFolderExactly) {
    TempDir tmp;
    const std::string script = std::string(LONGARM_SOURCE_DIR) + "/tools/icons/draw_icons.py";
    const std::string out = tmp.File("images");
    const ProgramResult run = RunProgram({"/usr/bin/python3", script, out});
    ASSERT_EQ(run.exitStatus, 0) << run.err;

    const std::vector<std::string> made = ListFolder(out);
    const std::vector<std::string> committed = ListFolder(ImagesDir());
    EXPECT_EQ(made, committed);

    // The generator draws exactly the pictures the screens need.
    std::set<std::string> expected;
    for (const ImageSpec& s : kImages)
        expected.insert(s.name);
    for (const ImageSpec& s : kAnimations)
        expected.insert(s.name);
    EXPECT_EQ(std::set<std::string>(made.begin(), made.end()), expected);

    for (const std::string& name : made) {
        SCOPED_TRACE(name);
        const std::string a = ReadFileText(out + "/" + name);
        EXPECT_FALSE(a.empty());
        EXPECT_TRUE(a == ReadFileText(ImagesDir() + "/" + name))
            << "differs from the committed file: run tools/icons/draw_icons.py";
    }
}

TEST(Images, WaitingAnimationEdgesBlendIntoTheStyleFilesWindowColour) {
    // The animation has one transparent colour; its soft edges are mixed with
    // the window background of the style files. The faintest edge pixel must
    // be that background, or the spinner shows a halo.
    std::string colour;
    for (const char* file : {"gtkrc", "gtkrc_5"}) {
        const std::string text = ReadFileText(std::string(LONGARM_SOURCE_DIR) + "/" + file);
        const size_t at = text.find("bg[NORMAL]");
        ASSERT_NE(at, std::string::npos) << file;
        const size_t hash = text.find('#', at);
        ASSERT_NE(hash, std::string::npos) << file;
        const std::string c = text.substr(hash, 7);
        if (colour.empty()) colour = c;
        EXPECT_EQ(c, colour) << "the two style files use different window colours";
    }
    const unsigned long rgb = std::stoul(colour.substr(1), nullptr, 16);
    const int bg[3] = {static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF),
                       static_cast<int>(rgb & 0xFF)};

    for (const ImageSpec& entry : kAnimations) {
        SCOPED_TRACE(entry.name);
        GdkPixbufAnimation* anim =
            gdk_pixbuf_animation_new_from_file((ImagesDir() + "/" + entry.name).c_str(), nullptr);
        ASSERT_TRUE(anim);
        GdkPixbuf* frame = gdk_pixbuf_animation_get_static_image(anim);
        const int n = gdk_pixbuf_get_width(frame), stride = gdk_pixbuf_get_rowstride(frame);
        const guchar* px = gdk_pixbuf_read_pixels(frame);
        int best = -1, sum = -1;
        for (int i = 0; i < n * n; ++i) {
            const guchar* p = px + (i / n) * stride + (i % n) * 4;
            if (p[3] == 255 && p[0] + p[1] + p[2] > sum) {
                sum = p[0] + p[1] + p[2];
                best = i;
            }
        }
        ASSERT_GE(best, 0);
        const guchar* p = px + (best / n) * stride + (best % n) * 4;
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(p[k], bg[k], 3) << "channel " << k;
        g_object_unref(anim);
    }
}
