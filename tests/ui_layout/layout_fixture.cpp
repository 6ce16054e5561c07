#include "layout_fixture.h"

#include "base/application_state.h"
#include "layout/layout_file.h"
#include "layout/pattern_box.h"
#include "ui/extents_setup.h"
#include "ui/layout_actions.h"
#include "ui/menu.h"
#include "ui/screens.h"
#include "ui/widget_helpers.h"

namespace {

ScriptedHead* head = nullptr;

int HeadGetXY(int32_t* x, int32_t* y) {
    *x = head->x;
    *y = head->y;
    return 0;
}

}  // namespace

void MakeLayoutWindow() {
    if (!interface) interface = NewInterfaceStruct();
    FreeLayout();
    InitPatternBox();
    pbTemp.reset();
    const SetupMachine scripted = setupMachine;  // keep a scripted head across the install
    InstallLayoutInterface();
    if (scripted.getXY != nullptr) setupMachine = scripted;
    MakeMainWindow(true);
}

void DropLayoutWindow() {
    if (!interface) return;
    PressSetupButton(1, 3);  // ends live tracking if a procedure was left running
    DropMainWindow();
    FreeLayout();
    pbTemp.reset();
}

ScriptedHead::ScriptedHead() {
    head = this;
    SetupMachine machine;
    machine.getXY = HeadGetXY;
    machine.setHome = [] {
        head->homes++;
        return 0;
    };
    machine.disableX = [] {
        head->disables++;
        return 0;
    };
    machine.disableY = [] {
        head->disables++;
        return 0;
    };
    machine.resume = [] { return 0; };
    machine.sendCommand = [](unsigned char) { return 0; };
    machine.setExtents = [] { return 0; };
    machine.clearExtents = [] { return 0; };
    setupMachine = machine;
}

ScriptedHead::~ScriptedHead() {
    setupMachine = SetupMachine{};
    head = nullptr;
}
