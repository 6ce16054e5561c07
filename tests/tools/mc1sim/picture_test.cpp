// The picture of the head's path that the simulated board draws.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <memory>

#include "sim_wire.h"

namespace {

struct Picture {
    explicit Picture(const std::string& path)
        : pixbuf(gdk_pixbuf_new_from_file(path.c_str(), nullptr)) {}
    ~Picture() {
        if (pixbuf) g_object_unref(pixbuf);
    }
    // The pixel at (x, y) as 0xRRGGBB.
    unsigned At(int x, int y) const {
        const guchar* p = gdk_pixbuf_get_pixels(pixbuf) + y * gdk_pixbuf_get_rowstride(pixbuf) +
                          x * gdk_pixbuf_get_n_channels(pixbuf);
        return static_cast<unsigned>(p[0]) << 16 | p[1] << 8 | p[2];
    }
    GdkPixbuf* pixbuf;
};

void Move(SimLine& line, double x, double y) {
    ASSERT_TRUE(Accepted(line.fd, x, y));
    StepClock(line.sim, line.fd, 3000);
}

TEST(SimPicture, StitchedMovesAsThreadOthersDashedOverTheExtents) {
    TempDir out;
    const std::string atEnd = out.File("end.png"), now = out.File("now.png");
    SIM_LINE(line, {"--picture", atEnd, "--picture-size", "320,240"});
    SimControl(line.sim, "clock hold");
    Move(line, -500, -500);
    WriteBytes(line.fd, {0x1A});  // home at the back-left corner
    Move(line, 4000, 3000);
    // Before the extents are set the area is the one around home and the path.
    EXPECT_EQ(SimControl(line.sim, "picture " + now),
              "ok picture " + now + " area=0,0,4,3 moves=2");
    WriteBytes(line.fd, {0x2E});  // the front-right corner: a 4 x 3 inch area
    Move(line, 1000, 1000);
    WriteBytes(line.fd, {0x1D});
    Move(line, 3000, 1000);
    Move(line, 3000, 2000);
    WriteBytes(line.fd, {0x1E});
    for (int x = 2950; x >= 1000; x -= 50)  // dashes run on over short moves
        Move(line, x, 2000);
    EXPECT_EQ(SimControl(line.sim, "picture " + now),
              "ok picture " + now + " area=0,0,4,3 moves=45");
    Picture p(now);
    ASSERT_NE(p.pixbuf, nullptr);
    ASSERT_EQ(gdk_pixbuf_get_width(p.pixbuf), 320);
    // Scale min(300 / 4, 220 / 3) = 73.33 pixels per inch from (10, 10).
    EXPECT_EQ(p.At(156, 83), 0x203080u);   // thread at (2, 1)
    EXPECT_EQ(p.At(229, 120), 0x203080u);  // thread at (3, 1.5)
    EXPECT_EQ(p.At(230, 120), 0x203080u);
    EXPECT_EQ(p.At(312, 120), 0xFFFFFFu);  // beyond the area
    unsigned edge = p.At(10, 120);         // the area's left edge, grey
    EXPECT_TRUE(edge != 0xFFFFFFu && edge >> 16 == (edge & 0xFF)) << std::hex << edge;
    // The unstitched move back along y = 2: dashes 4 on, 4 off.
    int inked = 0;
    for (int x = 90; x < 220; ++x) {
        inked += (p.At(x, 156) & p.At(x, 157)) != 0xFFFFFFu;
        EXPECT_NE(p.At(x, 156), 0x203080u);
    }
    EXPECT_NEAR(inked, 65, 6);
    line.sim.Stop();  // the same picture again at the end
    EXPECT_EQ(ReadFileText(atEnd), ReadFileText(now));
}

}  // namespace
