#include "machine/machine_test.h"

std::vector<std::string> shownMessages;

namespace {

int RecordMessage(int, int, const char* text) {
    shownMessages.push_back(text ? text : "");
    return kResponseOk;
}

void ResetMachineState() {
    ClosePort();
    SetSerialDevicePath("");
    spNumber = 1;
    robotIsStitching = 0;
    sendMoveActive = 0;
    runCapture = 0;
    SetFactoryDefaults();
}

}  // namespace

void MachineTest::SetUp() {
    shownMessages.clear();
    UserInterfaceHooks hooks;
    hooks.showMessage = RecordMessage;
    SetUserInterfaceHooks(hooks);
    ResetMachineState();
}

void MachineTest::TearDown() {
    ResetMachineState();
    SetUserInterfaceHooks({});
}

int MachineTest::Open(const std::string& path) {
    SetSerialDevicePath(path);
    return OpenPort();
}

void LineTest::SetUp() {
    MachineTest::SetUp();
    ASSERT_GE(Open(line.slavePath), 0);
    UseManualClock();
}

void LineTest::TearDown() {
    UseRealClock();
    MachineTest::TearDown();
}

void LineTest::Queue(const std::string& bytes) {
    line.Send(bytes);
    ASSERT_GE(WaitForBytes(static_cast<int>(bytes.size()), 1000), static_cast<int>(bytes.size()));
}

std::string LineTest::Played(std::vector<BoardStep> steps, const std::function<void()>& call) {
    ScriptedBoard board(line, std::move(steps));
    call();
    return board.Finish();
}
