// longarm-tool pack, estimate, preview and run against the simulated board:
// the board's picture of its head path laid over the preview, the estimate
// against the board's record.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <sstream>

#include "base/application_state.h"
#include "base/log.h"
#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "support/mc1sim_fixture.h"
#include "support/run_layout.h"
#include "support/run_program.h"
#include "support/run_record.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;

// Saves the layout that `build` makes as dir/name.qlf; returns its path.
std::string SaveJob(const TempDir& dir, const char* name, const std::function<void()>& build) {
    SetLogStream(std::tmpfile());
    ResetLayout();
    build();
    const std::string path = dir.File(name);
    SaveLayout(path.c_str(), 0, 1);
    ResetLayout();
    SetLogStream(stdout);
    return path + ".qlf";
}

// The default 35 x 14 inch quilt area with one box holding two placements of
// a zig-zag, the second at secondX: one long jump.
std::string ZigZags(const TempDir& dir, float secondX) {
    return SaveJob(dir, secondX == 5 ? "job" : "wide", [secondX] {
        BogusExtents();
        const int slot =
            LoadPatternLines({"p X0.000 Y0.000", "p X1.000 Y0.500", "p X2.000 Y0.000"});
        NewPatternLayoutNode(slot, -1, 0, 0, 0);
        NewPatternLayoutNode(slot, -1, 0, secondX, 0);
    });
}

TEST(StitchTool, PackPrintsThePathAndEstimateSumsItUp) {
    TempDir dir;
    const std::string layout = ZigZags(dir, 5);

    ProgramResult packed = RunProgram({LONGARM_TOOL_PATH, "pack", layout}, dir.path);
    ASSERT_EQ(packed.exitStatus, 0) << packed.err;
    std::istringstream lines(packed.out);
    std::string line;
    int count = 0, halts = 0, inserted = 0;
    double lastX = 0;
    while (std::getline(lines, line)) {
        double x, y, feed;
        int halt, ins;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf,%lf,%lf,%d,%d", &x, &y, &feed, &halt, &ins), 5)
            << line;
        EXPECT_GE(feed, 0);
        EXPECT_LE(feed, 100);
        halts += halt;
        inserted += ins;
        lastX = x;
        count++;
    }
    // Each zig-zag: 2 legs of about 1.118 inch cut into 11 pieces; one jump.
    EXPECT_EQ(count, 2 * (1 + 11 + 11));
    EXPECT_EQ(halts, 1);
    EXPECT_EQ(inserted, 2 * 20);
    EXPECT_NEAR(lastX, 7000, 0.5);  // box origin 0 + placement 5 + pattern width 2

    ProgramResult estimate = RunProgram({LONGARM_TOOL_PATH, "estimate", layout}, dir.path);
    ASSERT_EQ(estimate.exitStatus, 0) << estimate.err;
    // The first piece of the second zig-zag is tied on, not sewn.
    for (const char* line : {"points=46\n", "sections=2\n", "stitches=43\n", "jumps=1\n",
                             "thread_cuts=1\n" /* jumpStitch 0 */, "lock_stitches=4\n",
                             "stitched_length=4.370 in\n", "jump_length=3.000 in\n"})
        EXPECT_NE(estimate.out.find(line), std::string::npos) << line << estimate.out;
    EXPECT_EQ(estimate.out.find("warning="), std::string::npos);
    EXPECT_NE(estimate.out.find("speed=40 (from the first-start values)\n"), std::string::npos);
    EXPECT_NE(estimate.out.find("run_time="), std::string::npos);
    // A speed of 0 from the defaults file gives no time instead of 0 seconds.
    ASSERT_EQ(
        RunProgram({LONGARM_TOOL_PATH, "defaults", "defaults.mrl", "speed=0"}, dir.path).exitStatus,
        0);
    EXPECT_NE(RunProgram({LONGARM_TOOL_PATH, "estimate", layout}, dir.path)
                  .out.find("speed=0 (from the defaults file)\nrun_time=unknown"),
              std::string::npos);
    std::remove(dir.File("defaults.mrl").c_str());
    // A zig-zag ending an inch beyond the right edge of the quilt area is
    // estimated all the same, with a warning.
    ProgramResult wide = RunProgram({LONGARM_TOOL_PATH, "estimate", ZigZags(dir, 34)}, dir.path);
    ASSERT_EQ(wide.exitStatus, 0) << wide.err;
    EXPECT_NE(wide.out.find("warning=THE PATTERN LEAVES THE QUILT AREA: 1.000 IN. BEYOND THE "
                            "RIGHT EDGE\n"),
              std::string::npos)
        << wide.out;

    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "pack", layout, "--box", "3"}, dir.path).exitStatus,
              1);
    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "pack"}, dir.path).exitStatus, 2);
    EXPECT_EQ(RunProgram({LONGARM_TOOL_PATH, "estimate", layout, "--box", "x"}).exitStatus, 2);
    // Without one the tool leaves no defaults file behind in the working directory.
    EXPECT_EQ(ReadFileText(dir.File("defaults.mrl")), "");
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
    const std::string layout = SaveJob(dir, "job", [] {
        // A 4 x 2.5 inch quilt area with a zig-zag and a ring in one box (at
        // 1, 1): two sections, one jump, tied off and on, with a thread cut.
        const int box = MakeRunBox();
        extents = std::make_unique<PatternBox>();
        SetPatternBoxCorners(extents.get(), {{0, 0}, {4, 0}, {4, 2.5f}, {0, 2.5f}});
        SetPatternBoxOrigin(extents.get());
        Points ring;
        for (int i = 0; i <= 20; i++)
            ring.emplace_back(0.4f + 0.4f * std::sin(i * 0.314f),
                              0.4f - 0.4f * std::cos(i * 0.314f));
        PlacePoints(box, {{0, 0}, {0.4f, 0.75f}, {0.8f, 0}, {1.2f, 0.75f}}, 0.1f, 0.1f);
        PlacePoints(box, ring, 1.7f, 0.1f);
    });
    const ProgramResult preview =
        RunProgram({LONGARM_TOOL_PATH, "preview", layout, dir.File("preview.png")}, dir.path);
    ASSERT_EQ(preview.exitStatus, 0) << preview.err;
    EXPECT_NE(preview.out.find("\njumps=1\nthread_cuts=1\n"), std::string::npos) << preview.out;

    Mc1Sim sim(
        {"--time-scale", "50", "--picture", dir.File("board.png"), "--picture-area", "4,2.5"});
    ASSERT_TRUE(sim.running) << sim.error;
    // Lock stitches of one trip there and back: fewer needle-up waits in real time.
    ASSERT_EQ(
        RunProgram({LONGARM_TOOL_PATH, "board", "--serial", sim.device, "set", "stitchRep", "2"})
            .out,
        "result=1\n");
    const ProgramResult run =
        RunProgram({LONGARM_TOOL_PATH, "run", layout, "--serial", sim.device}, dir.path);
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_NE(run.err.find("longarm-tool: CUT THE THREAD\n"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("\nquilted=yes\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("progress=100% left=0 S\n"), std::string::npos) << run.out;
    ASSERT_EQ(sim.Stop(), 0);

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
