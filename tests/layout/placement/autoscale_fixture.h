// Helpers of the automatic placement tests: a scripted Cancel through the
// drained events, a clock the test drives, and a check that every placed
// point lies in the box.
#pragma once

#include <cmath>

#include "base/application_state.h"
#include "base/program_settings.h"
#include "base/system_paths.h"
#include "layout/layout_selection.h"
#include "layout/placement/box_centre.h"
#include "layout/placement/hull_bounce.h"
#include "layout/view_transform.h"
#include "placement_fixture.h"
#include "support/temp_dir.h"

struct AutoScaleTest : PlacementTest {
    void SetUp() override {
        PlacementTest::SetUp();
        ASSERT_EQ(SetSystemRoot(root.path.c_str()), 1);  // the undo step goes there
        cancelAfterDrains = -1;
        drains = 0;
        UserInterfaceHooks hooks = GetUserInterfaceHooks();
        hooks.drainEvents = [] {
            if (++drains == cancelAfterDrains) {
                operationRunning = 0;
                mergePatternsActive = 0;
            }
        };
        hooks.openWaitingWindow = [](const char* title, int cancellable) {
            waitingWindows.push_back(std::string(title) + (cancellable ? " (Cancel)" : ""));
        };
        SetUserInterfaceHooks(hooks);
        waitingWindows.clear();
        operationRunning = 1;
        SetViewScale(0.05f);  // small pattern images
    }
    void TearDown() override {
        SetAutoScaleHooks({});
        SetSystemRoot(nullptr);
        PlacementTest::TearDown();
    }

    // Every point of the placement's pattern lies within `slack` inches
    // outside the current box at most (a negative slack: that far inside).
    static bool Inside(const LayoutNode* node, float slack = 0.01f) {
        const Pattern* p = GetPattern(node->patternIndex);
        PointArray* box = BoxPolygon(GetPatternBox(CurrentPatternBox()));
        bool inside = true;
        for (int i = 0; i < p->pointCount && inside; i++) {
            const float x = node->x + p->x[i] - p->minX, y = node->y + p->y[i] - p->minY;
            for (guint e = 0; e < box->len; e++) {
                const auto& a = g_array_index(box, PointArrayElement, e);
                const auto& b = g_array_index(box, PointArrayElement, (e + 1) % box->len);
                const float len = std::hypot(b.x - a.x, b.y - a.y);
                // Distance to the inner side of the edge (boxes turn the Left way).
                const float d = ((b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y)) / len;
                if (d > slack) inside = false;
            }
        }
        g_array_free(box, TRUE);
        return inside;
    }

    TempDir root;
    static inline std::vector<std::string> waitingWindows;  // titles, "(Cancel)" when cancellable
    static inline int drains = 0;
    static inline int cancelAfterDrains = -1;  // the drain that presses Cancel
    static inline int64_t clockMs = 0;
    static inline int64_t clockStepMs = 0;
    // A clock that moves on by clockStepMs at every reading.
    static void UseSteppingClock(int64_t stepMs) {
        clockMs = 0;
        clockStepMs = stepMs;
        AutoScaleHooks hooks;
        hooks.nowMs = [] { return clockMs += clockStepMs; };
        SetAutoScaleHooks(hooks);
    }
};
