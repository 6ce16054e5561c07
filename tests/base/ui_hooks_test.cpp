#include "base/ui_hooks.h"

#include <gtest/gtest.h>

namespace {

std::string lastText;
int answer = kResponseCancel;

TEST(UiHooks, MessagesGoToTheInstalledInterfaceAndAClosedWindowRefuses) {
    EXPECT_EQ(ShowMessage(kMessageQuestion, kButtonsOkCancel, "GO?"), kResponseOk);
    SetDefaultMessageResponse(kResponseNo);
    EXPECT_EQ(ShowMessage(kMessageQuestion, kButtonsYesNo, "GO?"), kResponseNo);
    SetDefaultMessageResponse(kResponseOk);
    UserInterfaceHooks hooks;
    hooks.showMessage = [](int, int, const char* text) {
        lastText = text;
        return answer;
    };
    hooks.showMessageSpecial = [](int, const char*, const char*, int) { return answer; };
    SetUserInterfaceHooks(hooks);
    answer = kResponseOk;
    EXPECT_EQ(ShowMessage(kMessageError, kButtonsOk, "BAD"), kResponseOk);
    EXPECT_EQ(lastText, "BAD");
    // A window closed without an answer (or destroyed: -1) refuses, whatever the buttons.
    const int cases[][3] = {{kButtonsYesNo, kResponseYes, kResponseYes},
                            {kButtonsYesNo, kResponseWindowClosed, kResponseNo},
                            {kButtonsYesNo, -1, kResponseNo},
                            {kButtonsOkCancel, kResponseWindowClosed, kResponseCancel},
                            {kButtonsClose, kResponseWindowClosed, kResponseClose},
                            {kButtonsYesNoCancel, kResponseNo, kResponseNo},
                            {kButtonsYesNoCancel, kResponseOk, kResponseCancel}};
    for (const auto& [buttons, answered, want] : cases) {
        answer = answered;
        EXPECT_EQ(ShowMessage(kMessageQuestion, buttons, "GO?"), want) << answered;
    }
    for (int answered : {-99, kResponseWindowClosed}) {
        answer = answered;
        EXPECT_EQ(ShowMessageSpecial(kMessageQuestion, "GO?", "SET START", -99),
                  answered == -99 ? -99 : kResponseCancel);
    }
    SetUserInterfaceHooks({});
}

}  // namespace
