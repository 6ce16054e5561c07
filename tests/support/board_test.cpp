#include "support/board_test.h"

#include <cstdio>
#include <cstdlib>

#include "base/log.h"
#include "base/ui_hooks.h"
#include "layout/layout_selection.h"
#include "machine/machine_parameters.h"
#include "machine/serial_link.h"
#include "machine/stitching/pattern_run.h"

ScriptedUi& Ui() {
    static ScriptedUi scripted;
    return scripted;
}

void BoardTest::SetUp() {
    sim = std::make_unique<Mc1Sim>(std::vector<std::string>{"--time-scale", timeScale});
    ASSERT_TRUE(sim->running) << sim->error;
    ResetLayoutSelection();
    SetCurrentPatternBox(-1);
    SetFactoryDefaults();
    Ui() = ScriptedUi{};
    UserInterfaceHooks ui;
    ui.showMessage = [](int, int buttons, const char* text) {
        Ui().messages.push_back(text);
        if (Ui().answer) return Ui().answer(buttons, text);
        if (Ui().answers.empty()) return kResponseOk;
        int answer = Ui().answers.front();
        Ui().answers.pop_front();
        return answer;
    };
    ui.showMessageSpecial = [](int, const char* text, const char*, int) {
        Ui().messages.push_back(text);
        return Ui().specialAnswer;
    };
    ui.showKeyboard = [](std::string& text, const char*) {
        if (Ui().keyboard.empty()) return 0;
        auto [ok, typed] = Ui().keyboard.front();
        Ui().keyboard.pop_front();
        if (ok) text = typed;
        return ok;
    };
    ui.drainEvents = [] {
        if (Ui().onDrain) Ui().onDrain();
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
    Ui() = ScriptedUi{};
    FreeRunPath();
}
