#include "base/application_state.h"

#include <gtest/gtest.h>

#include <string>

#include "layout/layout_selection.h"

TEST(ApplicationState, StatusBarIsCutToFitAndReleaseAllUiEndsEveryEditMode) {
    SetStatusBar(std::string(200, 'x').c_str());
    EXPECT_EQ(std::string(statusBar), std::string(kStatusBarSize - 1, 'x'));
    SetStatusBar(nullptr);
    EXPECT_STREQ(statusBar, "");
    static int viewReleases = 0;
    releaseViewEditState = [] { viewReleases++; };
    for (int i = 1; i <= 2; ++i) {
        SetHighlightIndex(3);
        SetStatusBar("Select Pattern Autofill");
        ReleaseAllUI();
        EXPECT_EQ(viewReleases, 1);  // the second time without the view code
        EXPECT_STREQ(statusBar, "");
        EXPECT_EQ(HighlightIndex(), -1);
        releaseViewEditState = nullptr;
    }
}
