#include "layout/placement/point_select.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "app/application_state.h"
#include "app/log.h"
#include "machine/mc1_commands.h"
#include "machine/serial_link.h"
#include "machine/stitching/stitch_path.h"
#include "support/mc1sim_fixture.h"

namespace {

struct PathPoint {
    float x, y;
    int halt;
};

// A linked path of the given points (thousandths of an inch).
FullPattern_t* MakePath(const std::vector<PathPoint>& points) {
    FullPattern_t* first = nullptr;
    FullPattern_t* last = nullptr;
    for (const PathPoint& p : points) {
        auto* point = new FullPattern_t;
        point->x = p.x;
        point->y = p.y;
        point->halt = p.halt;
        point->prev = last;
        if (last)
            last->next = point;
        else
            first = point;
        last = point;
    }
    return first;
}

FullPattern_t* Nth(FullPattern_t* first, int n) {
    while (n-- > 0 && first)
        first = first->next;
    return first;
}

TEST(NearestPathPoint, PicksNearestAndSkipsHaltPointsAndKeepsEarlierOnTies) {
    // 0: (0,0)  1: (1000,0) halt  2: (1000,1000)  3: (3000,0)  4: (1000,-1000)
    FullPattern_t* path =
        MakePath({{0, 0, 0}, {1000, 0, 1}, {1000, 1000, 0}, {3000, 0, 0}, {1000, -1000, 0}});
    // Standing on the halt point: the halt point itself is not counted; points
    // 2 and 4 lie 1000 away, point 0 too: the earliest (0) wins.
    EXPECT_EQ(NearestPathPoint(path, 1000, 0), Nth(path, 0));
    // Slightly toward point 4.
    EXPECT_EQ(NearestPathPoint(path, 1001, -1), Nth(path, 4));
    // Far to the right: point 3.
    EXPECT_EQ(NearestPathPoint(path, 50000, 10), Nth(path, 3));
    // Squared distances beyond the int32 range still compare correctly.
    EXPECT_EQ(NearestPathPoint(path, -2000000000, -2000000000), Nth(path, 0));
    EXPECT_EQ(NearestPathPoint(path, 2000000000, 2000000000), Nth(path, 3));
    FreeFullPattern(path);
}

TEST(NearestPathPoint, NoneForEmptyPathOrHaltPointsOnly) {
    EXPECT_EQ(NearestPathPoint(nullptr, 0, 0), nullptr);
    FullPattern_t* halts = MakePath({{0, 0, 1}, {500, 500, 1}});
    EXPECT_EQ(NearestPathPoint(halts, 0, 0), nullptr);
    FreeFullPattern(halts);
}

// The confirmed point comes from the head position the board reports.
TEST(PathPointAtHead, UsesTheBoardPositionAndFallsBackToOriginWhenUnreadable) {
    Mc1Sim sim({"--time-scale", "50"});
    ASSERT_TRUE(sim.running) << sim.error;
    SetLogStream(std::tmpfile());
    Interface state;
    interface = &state;
    state.fullPattern = MakePath({{0, 0, 0}, {2000, 0, 0}, {4000, 3000, 0}, {4100, 3000, 1}});

    SetSerialDevicePath(sim.device);
    ASSERT_GE(OpenPort(), 0);
    // The head is pushed by hand on free axes.
    DisableX();
    DisableY();
    ASSERT_TRUE(WaitForState(sim, "yenabled", "0", 1000));
    ASSERT_EQ(StateValue(SimControl(sim, "push 4090 2990"), "moved"), "xy");
    EXPECT_EQ(PathPointAtHead(), Nth(state.fullPattern, 2));

    // A silent board: the head counts as standing at the origin.
    SimControl(sim, "silence on");
    EXPECT_EQ(PathPointAtHead(), Nth(state.fullPattern, 0));
    ClosePort();

    FreeFullPattern(state.fullPattern);
    state.fullPattern = nullptr;
    EXPECT_EQ(PathPointAtHead(), nullptr);
    interface = nullptr;
    SetLogStream(stdout);
}

}  // namespace
