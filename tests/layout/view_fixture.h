// A clean layout for each view test, no quilt area, and sample paths.
#pragma once

#include <cmath>

#include "layout/layout_fixture.h"

struct ViewTest : LayoutTest {
    void SetUp() override {
        LayoutTest::SetUp();
        panX = panY = 0;
        command = -1;
    }

    // An axis-parallel box from (x, y) of w x h inches, walked counter-clockwise.
    static int MakeRectBox(float x, float y, float w, float h) {
        return MakeBox({{x, y + h}, {x + w, y + h}, {x + w, y}, {x, y}});
    }

    // Sample paths: a meander of `loops` waves over w x h, and a star of
    // `tips` points of the given radius; both start at their left or top.
    static Points Meander(float w, float h, int loops) {
        Points points;
        for (int i = 0; i <= 40 * loops; i++) {
            const double t = static_cast<double>(i) / (40 * loops);
            points.push_back({static_cast<float>(t * w),
                              static_cast<float>(h / 2 * (1 - std::cos(t * loops * 2 * M_PI)))});
        }
        return points;
    }
    static Points Star(float radius, int tips) {
        Points points;
        for (int i = 0; i <= 2 * tips; i++) {
            const double a = M_PI * i / tips - M_PI / 2, r = i % 2 ? radius * 0.45 : radius;
            points.push_back({static_cast<float>(radius + r * std::cos(a)),
                              static_cast<float>(radius + r * std::sin(a))});
        }
        return points;
    }
};
