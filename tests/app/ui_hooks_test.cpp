#include "app/ui_hooks.h"

#include <gtest/gtest.h>

namespace {

std::string lastText;
int Answer(int, int, const char* text) {
    lastText = text;
    return kResponseCancel;
}

int updates = 0;
void CountUpdate(StatusWindow*) { updates++; }

struct UiHooksTest : ::testing::Test {
    void TearDown() override {
        SetUserInterfaceHooks({});
        SetDefaultMessageResponse(kResponseOk);
    }
};

TEST_F(UiHooksTest, MessagesGoToTheInstalledInterfaceElseGetTheDefaultAnswer) {
    EXPECT_EQ(ShowMessage(kMessageQuestion, kButtonsOkCancel, "GO?"), kResponseOk);
    SetDefaultMessageResponse(kResponseNo);
    EXPECT_EQ(ShowMessage(kMessageQuestion, kButtonsYesNo, "GO?"), kResponseNo);

    UserInterfaceHooks hooks;
    hooks.showMessage = Answer;
    SetUserInterfaceHooks(hooks);
    EXPECT_EQ(ShowMessage(kMessageError, kButtonsOk, "BAD"), kResponseCancel);
    EXPECT_EQ(lastText, "BAD");
}

TEST_F(UiHooksTest, StatusWindowKeepsItsTextAndCountsPulses) {
    UserInterfaceHooks hooks;
    hooks.updateStatusWindow = CountUpdate;
    SetUserInterfaceHooks(hooks);
    updates = 0;
    StatusWindow* w = CreateStatusWindow("CONVERTING");
    EXPECT_EQ(w->text, "Converting Pattern");
    UpdateStatusWindow(w);
    UpdateStatusWindow(w);
    StatusWindowSetText(w, "Sorting");
    EXPECT_EQ(w->pulses, 2);
    EXPECT_EQ(updates, 2);
    EXPECT_EQ(w->text, "Sorting");
    EXPECT_EQ(w->abortRequested, 0);
    CloseStatusWindow(w);
    UpdateStatusWindow(nullptr);  // a closed or missing window is ignored
}

}  // namespace
