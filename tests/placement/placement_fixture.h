// A clean layout for each placement test (application record, empty tables),
// patterns made in code, and a scripted user interface that answers message
// boxes and the keyboard and records every text shown.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ui_hooks.h"
#include "layout/layout_fixture.h"

// Answers of the scripted interface; reset by each test.
struct ScriptedAnswers {
    std::vector<std::string> shown;  // texts of message boxes, in order
    int messageResponse = kResponseYes;
    int keyboardResult = 1;  // 1 OK, 0 Cancel
    std::string typed;       // what the keyboard returns
    std::vector<std::string> prompts;
};

inline ScriptedAnswers script;

struct PlacementTest : LayoutTest {
    void SetUp() override {
        LayoutTest::SetUp();
        script = ScriptedAnswers{};
        UserInterfaceHooks hooks;
        hooks.showMessage = [](int, int, const char* text) {
            script.shown.push_back(text ? text : "");
            return script.messageResponse;
        };
        hooks.showKeyboard = [](std::string& text, const char* prompt) {
            script.prompts.push_back(prompt ? prompt : "");
            if (script.keyboardResult) text = script.typed;
            return script.keyboardResult;
        };
        SetUserInterfaceHooks(hooks);
        testing::internal::CaptureStdout();  // keep the log lines out of the report
    }
    void TearDown() override {
        log = testing::internal::GetCapturedStdout();
        SetUserInterfaceHooks({});
        LayoutTest::TearDown();
    }

    // A pattern of the given points (inches) in a free slot, moved to the origin.
    int LoadPath(std::initializer_list<QuiltPoint> points) {
        auto p = std::make_unique<Pattern>();
        for (const QuiltPoint& q : points) {
            char line[64];
            snprintf(line, sizeof line, "p X%.3f Y%.3f", q.x, q.y);
            addData(p.get(), line, 0);
        }
        UpdatePatternSize(p.get());
        OffsetPattern(p.get(), p->minX, p->minY);
        UpdatePatternSize(p.get());
        p->baseWidth = p->width;
        p->baseHeight = p->height;
        int slot = GetNextPattern();
        AddPatternToList(slot, std::move(p));
        return slot;
    }

    // A rectangular box from (x, y) of w x h inches, walked as the quilter
    // draws it, made current.
    int MakeRectBox(float x, float y, float w, float h) {
        int slot = MakeBox({{x, y}, {x, y + h}, {x + w, y + h}, {x + w, y}});
        interface->currentPatternBox = slot;
        return slot;
    }

    std::string log;
};
