// A clean layout for each test: the first view scale and empty tables.
#pragma once

#include <gtest/gtest.h>

#include "base/application_state.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/view_transform.h"
#include "pattern/pattern.h"
#include "support/captured_log.h"
#include "support/run_layout.h"

struct LayoutTest : ::testing::Test {
    void SetUp() override {
        SetViewScale(kMinViewScale);
        ResetLayout();
    }
    void TearDown() override { ResetLayout(); }
    // EXPECT_FLOAT_EQ, or EXPECT_NEAR, of each value with the wanted one.
    static void ExpectFloats(const std::vector<float>& got, const std::vector<float>& want) {
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < got.size(); i++)
            EXPECT_FLOAT_EQ(got[i], want[i]) << "value " << i;
    }
    static void ExpectNear(const std::vector<float>& got, const std::vector<float>& want,
                           float tolerance) {
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < got.size(); i++)
            EXPECT_NEAR(got[i], want[i], tolerance) << "value " << i;
    }

    // A pattern from (0, 0) over (width, 0) to (width, height), in a free slot.
    static int LoadRectangle(float width, float height) {
        return LoadPattern({{0, 0}, {width, 0}, {width, height}});
    }
};
