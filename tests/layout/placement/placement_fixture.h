// A clean layout, no margins, and a scripted interface for each placement test.
#pragma once

#include <string>
#include <vector>

#include "base/program_settings.h"
#include "base/ui_hooks.h"
#include "layout/layout_fixture.h"

// Answers of the scripted interface; reset by each test.
struct ScriptedAnswers {
    std::vector<std::string> shown;  // texts of message boxes, in order
    int messageResponse = kResponseYes;
    std::string typed;  // what the keyboard returns, with OK
};

inline ScriptedAnswers script;

struct PlacementTest : LayoutTest {
    void SetUp() override {
        LayoutTest::SetUp();
        ResetProgramSettings();
        script = ScriptedAnswers{};
        UserInterfaceHooks hooks;
        hooks.showMessage = [](int, int, const char* text) {
            script.shown.push_back(text ? text : "");
            return script.messageResponse;
        };
        hooks.showKeyboard = [](std::string& text, const char*) {
            text = script.typed;
            return 1;
        };
        SetUserInterfaceHooks(hooks);
        testing::internal::CaptureStdout();  // keep the log lines out of the report
    }
    void TearDown() override {
        testing::internal::GetCapturedStdout();
        SetUserInterfaceHooks({});
        LayoutTest::TearDown();
    }
};
