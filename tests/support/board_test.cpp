#include "support/board_test.h"

#include <cstdio>
#include <cstdlib>

#include "base/log.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "machine/machine_parameters.h"
#include "machine/serial_link.h"
#include "machine/stitching/pattern_run.h"

namespace {
ScriptedUi scripted;
}

ScriptedUi& Ui() {
    return scripted;
}

void BoardTest::SetUp() {
    sim = std::make_unique<Mc1Sim>(std::vector<std::string>{"--time-scale", timeScale});
    ASSERT_TRUE(sim->running) << sim->error;
    ResetLayoutSelection();
    SetCurrentPatternBox(-1);
    SetFactoryDefaults();
    scripted = ScriptedUi{};
    UserInterfaceHooks ui;
    ui.showMessage = [](int, int buttons, const char* text) {
        scripted.messages.push_back(text);
        if (scripted.answer) return scripted.answer(buttons, text);
        if (scripted.answers.empty()) return kResponseOk;
        int answer = scripted.answers.front();
        scripted.answers.pop_front();
        return answer;
    };
    ui.showMessageSpecial = [](int, const char* text, const char*, int) {
        scripted.messages.push_back(text);
        return scripted.specialAnswer;
    };
    ui.showKeyboard = [](std::string& text, const char* prompt) {
        scripted.prompts.push_back(prompt);
        if (scripted.keyboard.empty()) return 0;
        auto [ok, typed] = scripted.keyboard.front();
        scripted.keyboard.pop_front();
        if (ok) text = typed;
        return ok;
    };
    ui.drainEvents = [] {
        if (scripted.onDrain) scripted.onDrain();
    };
    SetUserInterfaceHooks(ui);
    logStream = open_memstream(&logBuffer, &logSize);
    SetLogStream(logStream);
    SetSerialDevicePath(sim->device);
    ASSERT_GE(OpenPort(), 0);
    LinkClocks(*sim);
}

void BoardTest::TearDown() {
    UnlinkClocks();
    ClosePort();
    SetUserInterfaceHooks({});
    SetLogStream(stdout);
    std::fclose(logStream);
    std::free(logBuffer);
    scripted = ScriptedUi{};
    FreeRunPath();
}

std::string BoardTest::LogText() {
    std::fflush(logStream);
    return std::string(logBuffer, logSize);
}
