#include "layout_fixture.h"

#include <cmath>

#include "base/application_state.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/pattern_box.h"
#include "machine/serial_link.h"
#include "ui/extents_setup.h"
#include "ui/interface.h"
#include "ui/layout_actions.h"

void MakeLayoutWindow() {
    if (!interface) interface = NewInterfaceStruct();
    ResetLayoutSelection();
    FreeLayout();
    InitPatternBox();
    pbTemp.reset();
    InstallLayoutInterface();
    MakeMainWindow(true);
}

void DropLayoutWindow() {
    if (!interface) return;
    PressSetupButton(1, 3);  // ends live tracking if a procedure was left running
    DropMainWindow();
    FreeLayout();
    pbTemp.reset();
}

void BoardLayoutTest::SetUp() {
    ASSERT_TRUE(EnsureGtk()) << "no X display for the window tests";
    ASSERT_TRUE(board.running) << board.error;
    SetSerialDevicePath(board.device);
    ASSERT_GE(OpenPort(), 0);
    MakeLayoutWindow();
}

void BoardLayoutTest::TearDown() {
    DropLayoutWindow();
    ClosePort();
    SetSerialDevicePath("");
}

std::string BoardLayoutTest::State(const char* key) {
    return StateValue(SimControl(board, "state"), key);
}

void BoardLayoutTest::Push(int dx, int dy) {
    ASSERT_TRUE(WaitForState(board, "xenabled", "0", 2000));
    ASSERT_TRUE(WaitForState(board, "yenabled", "0", 2000));
    const std::string reply =
        SimControl(board, "push " + std::to_string(dx) + " " + std::to_string(dy));
    ASSERT_EQ(reply.rfind("ok", 0), 0u) << reply;
}

void BoardLayoutTest::At(float x, float y) {
    const std::string state = SimControl(board, "state");
    const long ax = std::lround(std::stod(StateValue(state, "x")));
    const long ay = std::lround(std::stod(StateValue(state, "y")));
    Push(static_cast<int>(std::lround(x * 1000) - ax),
         static_cast<int>(std::lround(y * 1000) - ay));
}

void BoardLayoutTest::MeasureTable(ScriptedResponder& responder) {
    StartQuiltAreaSetup();
    At(-0.2f, -0.3f);
    PressSetupButton(0, 1);
    At(40, 0);
    PressSetupButton(0, 1);
    At(40, 20);
    PressSetupButton(0, 1);
    ASSERT_NE(extents, nullptr);
    responder.shown.clear();
}
