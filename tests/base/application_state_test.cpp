#include "base/application_state.h"
#include "layout/layout_selection.h"

#include <gtest/gtest.h>

#include <string>

TEST(ApplicationState, StatusBarCopiesCutsAndClears) {
    SetStatusBar("Select Pattern Autofill");
    EXPECT_STREQ(statusBar, "Select Pattern Autofill");

    // A text longer than the buffer is cut, never written past its end.
    std::string longText(200, 'x');
    SetStatusBar(longText.c_str());
    EXPECT_EQ(std::string(statusBar), std::string(kStatusBarSize - 1, 'x'));

    SetStatusBar(nullptr);
    EXPECT_STREQ(statusBar, "");
}

namespace {
int viewReleases = 0;
void CountViewRelease() {
    viewReleases++;
}
}  // namespace

TEST(ApplicationState, ReleaseAllUiEndsEveryEditMode) {
    SetHighlightIndex(3);
    SetStatusBar("Select Pattern Autofill");
    releaseViewEditState = CountViewRelease;
    viewReleases = 0;
    ReleaseAllUI();
    EXPECT_EQ(viewReleases, 1);
    EXPECT_STREQ(statusBar, "");
    EXPECT_EQ(HighlightIndex(), -1);
    releaseViewEditState = nullptr;
    ReleaseAllUI();  // without the view code the rest still happens
    EXPECT_EQ(viewReleases, 1);
}
