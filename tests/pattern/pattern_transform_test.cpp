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
    EXPECT_FALSE(RotatePattern(nullptr, 90));

    // (1, 0) lies on the vertical centre line of a 2 x 2 pattern: nudged by
    // 0.001 inch, a half turn does not land it on x = 1 exactly.
    Pattern centre = Build({{0, 0}, {1, 0}, {2, 2}});
    ASSERT_TRUE(RotatePattern(&centre, 180));
    EXPECT_EQ(PointsText(centre), "2,2 0.999,2 0,0");
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
    ExpectSamePoints(p, original, 0.005f);
    EXPECT_NEAR(p.width, original.width, 0.005f);
    EXPECT_EQ(p.angle, 17);
}

int refreshes = 0;

TEST(StretchPattern, ShiftsTheCentreAlongTheAxisAndRefreshesEvery500Points) {
    Pattern p = Build({{0, 0}, {3, 1}, {1.5f, 2}});
    EXPECT_FLOAT_EQ(stretchPattern(&p, 'x', 2, nullptr), 1.5f);
    EXPECT_EQ(PointsText(p), "0,0 6,1 3,2");
    EXPECT_EQ(BoundsText(p), "0 0 6 2 / 6 x 2");
    EXPECT_FLOAT_EQ(p.baseWidth, 6.0f);
    Pattern q = Build({{0, 1}, {1, 3}});
    EXPECT_FLOAT_EQ(stretchPattern(&q, 'y', 0.5f, nullptr), -1.0f);  // centre 2 to 1
    EXPECT_EQ(BoundsText(q), "0 0.5 1 1.5 / 1 x 1");
    EXPECT_FLOAT_EQ(q.baseHeight, 1.0f);
    Pattern before = q;  // other axis characters change nothing
    EXPECT_EQ(stretchPattern(&q, 'z', 3, nullptr), 0.0f);
    ExpectSamePoints(q, before, 0);

    Pattern many;
    for (int i = 0; i < 1200; i++)
        addData(&many, ("p X" + std::to_string(i * 0.01) + " Y0").c_str(), 1);
    UserInterfaceHooks hooks;
    hooks.updateStatusWindow = [](StatusWindow*) { refreshes++; };
    SetUserInterfaceHooks(hooks);
    StatusWindow* window = CreateStatusWindow("SCALING");
    refreshes = 0;
    stretchPattern(&many, 'x', 1.5f, window);
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

TEST(ReversePath, ReversesPointsKeepsEachCommandBeforeItsPointAndTwiceRestores) {
    Pattern p;
    addData(&p, "c e s", 1);  // before point 1
    for (int i = 0; i < 10; i++) {
        if (i == 4) addData(&p, "c s", 1);  // jump into point 5
        addData(&p, ("p X" + std::to_string(i) + " Y0").c_str(), 1);
    }
    addData(&p, "c e e", 1);  // after the last point (11)
    const Pattern original = p;
    ReversePatternPath(&p);
    EXPECT_EQ(PointsText(p), "9,0 8,0 7,0 6,0 5,0 4,0 3,0 2,0 1,0 0,0");
    // Order reversed, types kept, positions mirrored: c -> 10 - c + 2; the jump
    // still lies between the points x = 4 and x = 3 (now 6th and 7th).
    EXPECT_EQ(CommandsText(p), "1ee 7s 11es");
    ReversePatternPath(&p);
    ExpectSamePoints(p, original, 0);
    EXPECT_EQ(p.commandPoint, original.commandPoint);
    EXPECT_EQ(p.commandType, original.commandType);
}

}  // namespace
