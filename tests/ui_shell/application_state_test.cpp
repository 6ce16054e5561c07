#include "app/application_state.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

TEST(ApplicationState, NewRecordHasTheStartValues) {
    std::unique_ptr<Interface> record(NewInterfaceStruct());
    ASSERT_NE(record, nullptr);
    EXPECT_FLOAT_EQ(record->viewScale, 0.001f);
    EXPECT_FLOAT_EQ(record->cameraInchPerPixel, 1.0f);
    EXPECT_EQ(record->highlightIndex, -1);
    EXPECT_EQ(record->currentPatternBox, 0);
    EXPECT_EQ(record->window, nullptr);
    EXPECT_EQ(record->currentScreen, nullptr);
    EXPECT_EQ(record->current_layout, nullptr);
    EXPECT_EQ(record->measureLine, nullptr);
    EXPECT_EQ(record->operationRunning, 0);
    EXPECT_EQ(record->boxMode, 0);
    EXPECT_EQ(record->menu, nullptr);
    EXPECT_EQ(record->fullPattern, nullptr);
    EXPECT_EQ(record->selectedNode, nullptr);
    EXPECT_EQ(record->motorDirection, 0);
    EXPECT_TRUE(record->drawPoints.empty());
    for (GtkWidget* button : record->editButtons)
        EXPECT_EQ(button, nullptr);
    EXPECT_STREQ(record->selectedPatternFile, "");
}

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
    std::unique_ptr<Interface> record(NewInterfaceStruct());
    Interface* saved = interface;
    interface = record.get();
    interface->highlightIndex = 3;
    SetStatusBar("Select Pattern Autofill");
    releaseViewEditState = CountViewRelease;
    viewReleases = 0;
    ReleaseAllUI();
    EXPECT_EQ(viewReleases, 1);
    EXPECT_STREQ(statusBar, "");
    EXPECT_EQ(interface->highlightIndex, -1);
    releaseViewEditState = nullptr;
    ReleaseAllUI();  // without the view code the rest still happens
    EXPECT_EQ(viewReleases, 1);
    interface = saved;
}
