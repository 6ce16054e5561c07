// The stitch-out preview against what the simulated board did: a box quilted
// with longarm-tool run through the real run control, the board's picture of
// its head path laid over longarm-tool preview of the same box, and the
// estimate against the board's record of every move.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/application_state.h"
#include "base/log.h"
#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "pattern/pattern.h"
#include "support/mc1sim_fixture.h"
#include "support/run_layout.h"
#include "support/run_program.h"
#include "support/run_record.h"
#include "support/temp_dir.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;

// An 8 x 5 inch quilt area with a zig-zag and a ring 1.5 inches apart in one
// box: two sections, one jump, tied off and on, with a thread cut.
std::string WriteLayout(const TempDir& dir) {
    SetLogStream(std::tmpfile());
    const int box = MakeRunBox();
    extents = std::make_unique<PatternBox>();
    SetPatternBoxCorners(extents.get(), {{0, 0}, {8, 0}, {8, 5}, {0, 5}});
    SetPatternBoxOrigin(extents.get());
    Points ring;
    for (int i = 0; i <= 40; i++)
        ring.emplace_back(0.8f + 0.8f * std::sin(i * 0.157f), 0.8f - 0.8f * std::cos(i * 0.157f));
    PlacePoints(box, {{0, 0}, {0.8f, 1.5f}, {1.6f, 0}, {2.4f, 1.5f}}, 0.5f, 0.5f);
    PlacePoints(box, ring, 4.4f, 0.5f);
    const std::string path = dir.File("job");
    SaveLayout(path.c_str(), 0, 1);
    MakeRunBox();
    extents.reset();
    SetLogStream(stdout);
    return path + ".qlf";
}

struct Picture {
    std::vector<bool> thread;  // thread-coloured (#203080), faint antialiased edges left out
    std::vector<bool> marks;   // strongly coloured but not thread: the marks drawn on top
};

Picture ReadPicture(const std::string& path) {
    Picture picture;
    GdkPixbuf* image = gdk_pixbuf_new_from_file(path.c_str(), nullptr);
    if (!image) return picture;
    EXPECT_EQ(gdk_pixbuf_get_width(image), kWidth) << path;
    EXPECT_EQ(gdk_pixbuf_get_height(image), kHeight) << path;
    const int n = gdk_pixbuf_get_n_channels(image), stride = gdk_pixbuf_get_rowstride(image);
    const guchar* pixels = gdk_pixbuf_get_pixels(image);
    picture.thread.assign(kWidth * kHeight, false);
    picture.marks.assign(kWidth * kHeight, false);
    for (int y = 0; y < std::min(kHeight, gdk_pixbuf_get_height(image)); y++)
        for (int x = 0; x < std::min(kWidth, gdk_pixbuf_get_width(image)); x++) {
            const guchar* p = pixels + y * stride + x * n;
            const bool thread = p[0] < 0x70 && p[1] < 0x78 && p[2] > 0x60 && p[2] > p[0] + 0x30;
            const int high = std::max({p[0], p[1], p[2]}), low = std::min({p[0], p[1], p[2]});
            picture.thread[y * kWidth + x] = thread;
            picture.marks[y * kWidth + x] = !thread && high - low > 0x40;
        }
    g_object_unref(image);
    return picture;
}

bool Near(const std::vector<bool>& pixels, int x, int y, int reach) {
    for (int v = std::max(0, y - reach); v <= std::min(kHeight - 1, y + reach); v++)
        for (int u = std::max(0, x - reach); u <= std::min(kWidth - 1, x + reach); u++)
            if (pixels[v * kWidth + u]) return true;
    return false;
}

// Share of the thread pixels of `a` with no thread pixel of `b` within one
// pixel, leaving out those that a mark of `b` may cover (within `markReach`
// pixels of one); the number of thread pixels looked at goes to count.
double Unmatched(const Picture& a, const Picture& b, int markReach, int* count) {
    int all = 0, missing = 0;
    for (int y = 0; y < kHeight; y++)
        for (int x = 0; x < kWidth; x++) {
            if (!a.thread[y * kWidth + x]) continue;
            if (markReach >= 0 && Near(b.marks, x, y, markReach)) continue;
            all++;
            missing += !Near(b.thread, x, y, 1);
        }
    *count = all;
    return all ? static_cast<double>(missing) / all : 1;
}

double Value(const std::string& out, const std::string& key) {
    const size_t at = out.find("\n" + key + "=");
    return at == std::string::npos ? -1 : std::atof(out.c_str() + at + key.size() + 2);
}

TEST(BoardPicture, ThePreviewAndTheEstimateMatchWhatTheBoardDid) {
    TempDir dir;
    const std::string layout = WriteLayout(dir);
    const ProgramResult preview =
        RunProgram({LONGARM_TOOL_PATH, "preview", layout, dir.File("preview.png")}, dir.path);
    ASSERT_EQ(preview.exitStatus, 0) << preview.err;
    EXPECT_NE(preview.out.find("\njumps=1\nthread_cuts=1\n"), std::string::npos) << preview.out;

    Mc1Sim sim({"--time-scale", "50", "--picture", dir.File("board.png"), "--picture-area", "8,5"});
    ASSERT_TRUE(sim.running) << sim.error;
    const ProgramResult run =
        RunProgram({LONGARM_TOOL_PATH, "run", layout, "--serial", sim.device}, dir.path);
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_NE(run.err.find("longarm-tool: CUT THE THREAD\n"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("\nquilted=yes\n"), std::string::npos) << run.out;
    // The time left fell step by step to nothing.
    std::istringstream lines(run.out);
    std::string line;
    std::vector<int> shares;
    while (std::getline(lines, line)) {
        int share = 0;
        if (std::sscanf(line.c_str(), "progress=%d%%", &share) == 1) shares.push_back(share);
    }
    ASSERT_GE(shares.size(), 3u) << run.out;
    for (size_t i = 1; i < shares.size(); i++)
        EXPECT_GT(shares[i], shares[i - 1]);
    EXPECT_NE(run.out.find("progress=100% left=0 S\n"), std::string::npos) << run.out;
    ASSERT_EQ(sim.Stop(), 0);

    // The stitches and the length the estimate gave are those the board sewed.
    const SewnTotals sewn = SewnTotalsOf(ReadRunRecord(sim.recordPath));
    EXPECT_EQ(Value(run.out, "stitches"), sewn.moves);
    EXPECT_NEAR(Value(run.out, "stitched_length"), sewn.inches, 0.001);
    EXPECT_EQ(Value(run.out, "thread_cuts"), 1);

    // Every thread pixel of the preview lies on the board's thread; the
    // board's thread is in the preview but where a mark covers it.
    const Picture drawn = ReadPicture(dir.File("preview.png"));
    const Picture done = ReadPicture(dir.File("board.png"));
    ASSERT_FALSE(drawn.thread.empty());
    ASSERT_FALSE(done.thread.empty());
    int drawnCount = 0, doneCount = 0;
    EXPECT_LT(Unmatched(drawn, done, -1, &drawnCount), 0.002);
    EXPECT_LT(Unmatched(done, drawn, 2, &doneCount), 0.002);
    EXPECT_GT(drawnCount, 1000);
    EXPECT_GT(doneCount, 1000);
}

}  // namespace
