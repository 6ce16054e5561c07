// Rotating, stretching, mirroring and reversing one pattern: the worked numbers,
// the identities (four quarter turns, mirror twice, reverse twice) and what
// happens to the commands.
#include <gtest/gtest.h>

#include <string>

#include "base/ui_hooks.h"
#include "pattern/pattern.h"
#include "pattern/pattern_test.h"
#include "pattern/pattern_transform.h"

namespace {

void ExpectSamePoints(const Pattern& a, const Pattern& b, float tolerance) {
    ASSERT_EQ(a.pointCount, b.pointCount);
    for (int i = 0; i < a.pointCount; i++) {
        EXPECT_NEAR(a.x[i], b.x[i], tolerance) << "point " << i;
        EXPECT_NEAR(a.y[i], b.y[i], tolerance) << "point " << i;
    }
}

TEST(RotatePattern, QuarterTurnOfATwoByOneRectangle) {
    Pattern p = Build({{0, 0}, {2, 0}, {2, 1}, {0, 1}});
    auto shift = RotatePattern(&p, 90);
    ASSERT_TRUE(shift);
    EXPECT_NEAR(shift->dx, 0.5f, 1e-5);
    EXPECT_NEAR(shift->dy, -0.5f, 1e-5);
    EXPECT_EQ(BoundsText(p), "0 0 1 2 / 1 x 2");
    // Clockwise on screen (y toward the front): the top-left corner goes to the
    // top-right, the top-right to the bottom-right.
    EXPECT_EQ(PointsText(p), "1,0 1,2 0,2 0,0");
    EXPECT_FLOAT_EQ(p.baseWidth, 2.0f);  // rotation keeps the base size
    EXPECT_FLOAT_EQ(p.baseHeight, 1.0f);
    EXPECT_EQ(p.angle, 0);
    EXPECT_FALSE(RotatePattern(nullptr, 90));
}

// Four quarter turns come back; minus ninety degrees equals two hundred seventy.
TEST(RotatePattern, FourQuarterTurnsComeBack) {
    Pattern p = Build({{0, 0}, {4, 1}, {3.5f, 2.25f}, {1, 3}, {2, 1.5f}});
    p.angle = 17;
    Pattern original = p;
    Pattern a = p, b = p;
    auto sa = RotatePattern(&a, -90);
    auto sb = RotatePattern(&b, 270);
    ASSERT_TRUE(sa && sb);
    ExpectSamePoints(a, b, 0);
    EXPECT_EQ(sa->dx, sb->dx);
    EXPECT_EQ(sa->dy, sb->dy);
    for (int i = 0; i < 4; i++)
        ASSERT_TRUE(RotatePattern(&p, 90));
    // Points on the centre lines are nudged by 0.001 inch on every turn.
    ExpectSamePoints(p, original, 0.005f);
    EXPECT_NEAR(p.width, original.width, 0.005f);
    EXPECT_NEAR(p.height, original.height, 0.005f);
    EXPECT_EQ(p.angle, 17);
}

TEST(RotatePattern, NudgesAPointOnTheCentreLine) {
    // (1, 0) lies on the vertical centre line x = 1 of a 2 x 2 pattern; turned
    // by 180 degrees without a nudge it would land on x = 1 exactly.
    Pattern p = Build({{0, 0}, {1, 0}, {2, 2}});
    ASSERT_TRUE(RotatePattern(&p, 180));
    EXPECT_EQ(PointsText(p), "2,2 0.999,2 0,0");
}

TEST(StretchPattern, DoublingTheWidthShiftsTheCentreByHalfTheOldWidth) {
    Pattern p = Build({{0, 0}, {3, 1}, {1.5f, 2}});
    float shift = stretchPattern(&p, 'x', 2, nullptr);
    EXPECT_FLOAT_EQ(shift, 1.5f);
    EXPECT_EQ(BoundsText(p), "0 0 6 2 / 6 x 2");
    EXPECT_EQ(PointsText(p), "0,0 6,1 3,2");
    EXPECT_FLOAT_EQ(p.baseWidth, 6.0f);
    EXPECT_FLOAT_EQ(p.baseHeight, 2.0f);
}

TEST(StretchPattern, AlongYAndAboutCoordinateZero) {
    Pattern p = Build({{0, 1}, {1, 3}});
    float shift = stretchPattern(&p, 'y', 0.5f, nullptr);
    // y from 1..3 becomes 0.5..1.5: the centre moves from 2 to 1.
    EXPECT_FLOAT_EQ(shift, -1.0f);
    EXPECT_EQ(BoundsText(p), "0 0.5 1 1.5 / 1 x 1");
    EXPECT_FLOAT_EQ(p.baseHeight, 1.0f);
    // Other axis characters change nothing.
    Pattern before = p;
    EXPECT_EQ(stretchPattern(&p, 'z', 3, nullptr), 0.0f);
    ExpectSamePoints(p, before, 0);
    EXPECT_EQ(p.baseWidth, before.baseWidth);
}

int refreshes = 0;
void CountRefresh(StatusWindow*) {
    refreshes++;
}

TEST(StretchPattern, RefreshesTheStatusWindowEvery500Points) {
    Pattern p;
    for (int i = 0; i < 1200; i++) {
        std::string line = "p X" + std::to_string(i * 0.01) + " Y0";
        addData(&p, line.c_str(), 1);
    }
    UserInterfaceHooks hooks;
    hooks.updateStatusWindow = CountRefresh;
    SetUserInterfaceHooks(hooks);
    StatusWindow* window = CreateStatusWindow("SCALING");
    refreshes = 0;
    stretchPattern(&p, 'x', 1.5f, window);
    EXPECT_EQ(refreshes, 2);
    CloseStatusWindow(window);
    SetUserInterfaceHooks({});
}

TEST(MirrorPattern, ReflectsWithinTheBoxAndTwiceRestores) {
    Pattern p = Build({{0, 0}, {3, 1}, {1, 2}});
    Pattern original = p;
    mirrorPattern(&p, 1, 0);
    EXPECT_EQ(PointsText(p), "3,0 0,1 2,2");
    mirrorPattern(&p, 0, 1);
    EXPECT_EQ(PointsText(p), "3,2 0,1 2,0");
    mirrorPattern(&p, 1, 1);
    ExpectSamePoints(p, original, 0);
}

TEST(ReversePath, ReversesPointsAndKeepsEachCommandBeforeItsPoint) {
    Pattern p;
    addData(&p, "c e s", 1);  // before point 1
    for (int i = 0; i < 10; i++) {
        if (i == 4) addData(&p, "c s", 1);  // jump into point 5
        std::string line = "p X" + std::to_string(i) + " Y0";
        addData(&p, line.c_str(), 1);
    }
    addData(&p, "c e e", 1);  // after the last point (11)
    ReversePatternPath(&p);
    EXPECT_EQ(PointsText(p), "9,0 8,0 7,0 6,0 5,0 4,0 3,0 2,0 1,0 0,0");
    // Order reversed, types kept, positions mirrored: c -> 10 - c + 2.
    EXPECT_EQ(CommandsText(p), "1ee 7s 11es");
    // The jump still lies between the points x = 3 and x = 4 (now 7th and 6th).
    EXPECT_FLOAT_EQ(p.x[p.commandPoint[1] - 1], 3.0f);
    EXPECT_FLOAT_EQ(p.x[p.commandPoint[1] - 2], 4.0f);
}

TEST(ReversePath, TwiceRestoresPointsAndCommands) {
    Pattern p =
        FromLines({"c s", "p X0 Y0", "c e s", "p X1 Y2", "p X3 Y1", "c f 10", "p X4 Y4", "c e e"});
    Pattern original = p;
    ReversePatternPath(&p);
    ReversePatternPath(&p);
    ExpectSamePoints(p, original, 0);
    EXPECT_EQ(p.commandPoint, original.commandPoint);
    EXPECT_EQ(p.commandType, original.commandType);
}

}  // namespace
