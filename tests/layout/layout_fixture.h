// A clean layout for each test: an application record, an empty box table,
// pattern table, placement list and array table.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "base/application_state.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "pattern/pattern.h"
#include "support/captured_log.h"

struct LayoutTest : ::testing::Test {
    void SetUp() override {
        state = std::make_unique<Interface>();
        interface = state.get();
        InitPatternBox();
        ClearLayout();
        ClearPatternList();
        InitArrays();
        extents.reset();
    }
    void TearDown() override {
        ClearLayout();
        ClearPatternList();
        InitPatternBox();
        extents.reset();
        interface = nullptr;
    }

    // Loads a rectangular pattern of the given size into a free slot.
    int LoadRectangle(float width, float height) {
        auto p = std::make_unique<Pattern>();
        for (const char* line : {"p X0.000 Y0.000", "p X1.000 Y0.000", "p X1.000 Y1.000"})
            addData(p.get(), line, 0);
        for (size_t i = 0; i < p->x.size(); i++) {
            p->x[i] *= width;
            p->y[i] *= height;
        }
        UpdatePatternSize(p.get());
        int slot = GetNextPattern();
        AddPatternToList(slot, std::move(p));
        return slot;
    }

    // Makes a box from corners in the given order and returns its slot.
    int MakeBox(std::initializer_list<QuiltPoint> corners) {
        int slot = CreatePatternBox();
        bool first = true;
        for (const QuiltPoint& c : corners) {
            AddPatternBoxPoint(GetPatternBox(slot), c.x, c.y, first, 0);
            first = false;
        }
        SetPatternBoxOrigin(GetPatternBox(slot));
        return slot;
    }

    std::unique_ptr<Interface> state;
};
