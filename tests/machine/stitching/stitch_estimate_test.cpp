// The figures of a path (what the stitcher sews, jumps, cuts, lock stitches,
// time) and the preview's frame and red parts, on hand-made paths.
#include "machine/stitching/stitch_estimate.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "layout/pattern_box.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/stitch_preview.h"
#include "support/run_layout.h"

namespace {

// Sewn 1 in, sewn 1 in to a section end, a 0.05 in jump (sewn with stitching
// on), sewn 1 in to a section end, a 3 in jump, the 0.1 in tie-on move, sewn
// 1 in. Feeds are all 100.
FullPattern_t* SectionsPath() {
    return MakePath({{0, 0, 0},
                     {1000, 0, 0},
                     {2000, 0, 1},
                     {2050, 0, 0},
                     {3050, 0, 1},
                     {6050, 0, 0},
                     {6150, 0, 0},
                     {7150, 0, 0}});
}

RunSpeeds Speeds(float jumpStitch, int stitchRep) {
    RunSpeeds s;
    s.topSpeed = 40;                // feed 100: 4 inches per second
    s.minimumFeed = 2 * 10.0f / 6;  // minimumSpeed 2
    s.leadLineSpeed = 60;           // feed 10: 0.6 inch per second
    s.acceleration = 40;
    s.jumpStitch = jumpStitch;
    s.stitchRep = stitchRep;
    return s;
}

TEST(StitchEstimate, CountsWhatTheStitcherSewsAndTimesEveryMove) {
    FullPattern_t* path = SectionsPath();
    const MoveKind kinds[] = {kMoveSewn, kMoveSewn,  kMoveSewn, kMoveSewn,
                              kMoveJump, kMoveTieOn, kMoveSewn, kMoveSewn};
    int i = 0;
    for (const FullPattern_t* p = path; p; p = p->next(), i++)
        EXPECT_EQ(ClassifyMove(p), kinds[i]) << "move from point " << i;

    const struct {
        float jumpStitch;
        int cuts;
    } cuts[] = {{2, 1}, {3, 0}};  // cut only when longer than jumpStitch
    for (const auto& c : cuts) {
        const StitchEstimate e = EstimateStitchPath(path, Speeds(c.jumpStitch, 0));
        EXPECT_EQ(e.points, 8);
        EXPECT_EQ(e.sections, 3);
        EXPECT_EQ(e.stitches, 5);
        EXPECT_NEAR(e.stitchedInches, 4.05, 1e-4);
        EXPECT_EQ(e.jumps, 1);
        EXPECT_NEAR(e.jumpInches, 3, 1e-4);
        EXPECT_EQ(e.threadCuts, c.cuts);
        EXPECT_EQ(e.lockStitches, 4);
    }

    // Without lock-stitch trips: a sewn inch at feed 100 takes 0.25 s; the
    // short jump runs as a lead line at feed 10 of the lead-line speed.
    const std::vector<double> left = SecondsLeftAtPoints(path, Speeds(0, 0));
    ASSERT_EQ(left.size(), 8u);
    EXPECT_NEAR(left[0] - left[1], 0.25, 1e-6);
    EXPECT_NEAR(left[2] - left[3], 0.05 / 0.6, 1e-6);
    EXPECT_NEAR(left[6] - left[7], 0.25, 1e-6);
    EXPECT_EQ(left[7], 0);
    // The 3 in jump runs as 30 pieces that accelerate from and brake to the
    // minimum feed: feed² grows by 2 × 1400 × 0.1 per piece from either end.
    const double least = 2 * 10.0 / 6;
    double jump = 0;
    for (int k = 1; k <= 30; k++)
        jump += 0.1 / (std::sqrt(least * least + 280.0 * std::min(k, 30 - k)) / 100 * 6);
    EXPECT_NEAR(left[4] - left[5], jump, 1e-4);
    EXPECT_EQ(EstimateStitchPath(path, Speeds(0, 0)).seconds, left[0]);
    // Four repetitions tie off twice out and back at feed 30 and speed 40.
    const std::vector<double> tied = SecondsLeftAtPoints(path, Speeds(0, 4));
    EXPECT_NEAR(tied[7], 2 * 2 * 1.0 / 1.2, 1e-6);
    // Start, end and the jump's tie-off over 1 in, the tie-on over 0.1 in.
    EXPECT_NEAR(tied[0] - left[0], 3 * 2 * 2 * 1.0 / 1.2 + 2 * 2 * 0.1 / 1.2, 1e-6);

    // A top speed of 0 gives no time rather than none at all.
    RunSpeeds stopped = Speeds(0, 0);
    stopped.topSpeed = 0;
    EXPECT_EQ(EstimateStitchPath(path, stopped).seconds, -1);
    EXPECT_TRUE(SecondsLeftAtPoints(path, stopped).empty());
    FreeFullPattern(path);
    EXPECT_EQ(EstimateStitchPath(nullptr, Speeds(0, 0)).seconds, 0);

    const struct {
        double seconds;
        const char* text;
    } durations[] = {{-1, "UNKNOWN"},
                     {0.4, "0 S"},
                     {59.6, "1 MIN 00 S"},
                     {3599, "59 MIN 59 S"},
                     {7620, "2 H 07 MIN"}};
    for (const auto& d : durations)
        EXPECT_EQ(FormatDuration(d.seconds), d.text) << d.seconds;
    const struct {
        RunProgress progress;
        const char* text;
    } lines[] = {{{0, 212.4}, "0% DONE, 3 MIN 32 S LEFT"},
                 {{0.426, 61}, "42% DONE, 1 MIN 01 S LEFT"},
                 {{1, 0}, "100% DONE, 0 S LEFT"},
                 {{0.5, -1}, "50% DONE"}};
    for (const auto& line : lines)
        EXPECT_EQ(FormatRunProgress(line.progress), line.text);
}

// The picture's frame fits the quilt area with a 10 pixel margin; a path that
// leaves the area widens it and is drawn red where it is outside.
TEST(StitchPreview, FrameFitsTheAreaAndThePartOutsideIsRed) {
    PatternBox area;
    SetPatternBoxCorners(&area, {{0, 0}, {20, 0}, {20, 10}, {0, 10}});
    SetPatternBoxOrigin(&area);
    FullPattern_t* inside = MakePath({{1000, 1000, 0}, {19000, 9000, 0}});
    const PreviewFrame fit = FitPreviewFrame(640, 480, &area, inside);
    EXPECT_DOUBLE_EQ(fit.pixelsPerInch, 31);  // min(620 / 20, 460 / 10)
    EXPECT_DOUBLE_EQ(fit.originX, 0);
    EXPECT_DOUBLE_EQ(fit.areaHeight, 10);
    FullPattern_t* outside = MakePath({{1000, 1000, 0}, {1000, 40000, 0}});
    const PreviewFrame wide = FitPreviewFrame(640, 480, &area, outside);
    EXPECT_DOUBLE_EQ(wide.pixelsPerInch, 460 / 40.0);
    EXPECT_DOUBLE_EQ(wide.areaHeight, 10);
    // A path beyond the left edge moves the origin; the outline stays the area.
    FullPattern_t* left = MakePath({{-5000, 1000, 0}, {19000, 9000, 0}});
    const PreviewFrame leftward = FitPreviewFrame(640, 480, &area, left);
    EXPECT_DOUBLE_EQ(leftward.originX, -5);
    EXPECT_DOUBLE_EQ(leftward.areaX, 0);
    EXPECT_DOUBLE_EQ(leftward.areaWidth, 20);
    FreeFullPattern(left);

    // The pixels of one colour, and the colour at (x, y), on the picture of a path.
    auto picture = [&area](const FullPattern_t* path, unsigned rgb, int x, int y, unsigned* at) {
        GdkPixbuf* image = RenderStitchPreview(path, &area, 0, 640, 480);
        const guchar* pixels = gdk_pixbuf_get_pixels(image);
        const int stride = gdk_pixbuf_get_rowstride(image), n = gdk_pixbuf_get_n_channels(image);
        int count = 0;
        for (int v = 0; v < 480; v++)
            for (int u = 0; u < 640; u++) {
                const guchar* p = pixels + v * stride + u * n;
                const unsigned colour = p[0] << 16 | p[1] << 8 | p[2];
                count += colour == rgb;
                if (u == x && v == y) *at = colour;
            }
        g_object_unref(image);
        return count;
    };
    unsigned at = 0;
    EXPECT_EQ(picture(inside, 0xE00000, 0, 0, &at), 0);
    // The thread runs from (41, 41) to (599, 289); the start arrow points along it.
    EXPECT_GT(picture(inside, 0x203080, 320, 165, &at), 400);
    EXPECT_EQ(at, 0x203080u);
    picture(inside, 0, 57, 48, &at);
    EXPECT_EQ(at, 0x00A000u);
    EXPECT_GT(picture(outside, 0xE00000, 0, 0, &at), 40);  // 30 in beyond the front edge, 2 px wide
    EXPECT_EQ(RenderStitchPreview(inside, &area, 0, 0, 480), nullptr);
    FreeFullPattern(inside);
    FreeFullPattern(outside);
}

}  // namespace
