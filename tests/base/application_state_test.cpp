#include "base/application_state.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "layout/layout_selection.h"

TEST(ApplicationState, StatusBarIsCutToFitAndReleaseAllUiEndsEveryEditMode) {
    SetStatusBar(std::string(200, 'x').c_str());
    EXPECT_EQ(std::string(statusBar), std::string(kStatusBarSize - 1, 'x'));
    SetStatusBar(nullptr);
    EXPECT_STREQ(statusBar, "");
    static int viewReleases = 0;
    releaseViewEditState = [] { viewReleases++; };
    SetHighlightIndex(3);
    SetStatusBar("Select Pattern Autofill");
    ReleaseAllUI();
    EXPECT_EQ(std::tuple(viewReleases, std::string(statusBar), HighlightIndex()),
              std::tuple(1, std::string(), -1));
    releaseViewEditState = nullptr;
    ReleaseAllUI();  // without the view code
}
