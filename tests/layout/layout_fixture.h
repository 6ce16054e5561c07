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

    // A pattern from (0, 0) over (width, 0) to (width, height), in a free slot.
    static int LoadRectangle(float width, float height) {
        return LoadPattern({{0, 0}, {width, 0}, {width, height}});
    }
};
