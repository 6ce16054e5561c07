#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "pattern/pattern.h"
#include "support/temp_dir.h"
#include "support_ui/ui_fixture.h"
#include "ui/interface.h"
#include "ui/menu.h"
#include "ui/pattern_select.h"
#include "ui/screens.h"
#include "ui/startup.h"

// The pattern list: folder rows open and close, only a good pattern file
// enables Select, which starts the quilt-area setup first or places the
// pattern; Repeat places it again; a path too long for the buffer is refused.
TEST(Screens, PatternSelectOpensFoldersAndPlacesOnlyGoodPatterns) {
    ASSERT_TRUE(EnsureGtk());
    TempDir dir;
    char oldDir[4096] = {};
    ASSERT_NE(getcwd(oldDir, sizeof oldDir), nullptr);
    ASSERT_EQ(chdir(dir.path.c_str()), 0);
    for (const char* folder : {"patterns", "patterns/Flowers", "thumbnails"})
        ASSERT_EQ(mkdir(folder, 0777), 0);
    WriteFileText("patterns/Flowers/rose.qcc", "n rose\np X0.000 Y0.000\np X2.000 Y1.000\n");
    WriteFileText("patterns/broken.qcc", "this is no pattern\n");
    WriteFileText("patterns/Wave.qcc", "p X0.000 Y0.000\np X1.000 Y1.000\np X2.000 Y0.000\n");
    MakeMainWindow(true);
    GtkTreeView* list = nullptr;
    auto ShowPatternSelect = [&] {
        ShowScreen(createPatternSelectScreen, kScreenMaskWithBox, "pattern select");
        Drain();
        list = GTK_TREE_VIEW(WidgetsOfType(interface->currentScreen, GTK_TYPE_TREE_VIEW).at(0));
    };
    // Moves the list's cursor to the row at the path ("0", "0:1", ...).
    auto SelectRow = [&](const char* path) {
        GtkTreePath* treePath = gtk_tree_path_new_from_string(path);
        gtk_tree_view_set_cursor(list, treePath, nullptr, FALSE);
        gtk_tree_path_free(treePath);
        Drain();
    };
    auto SelectSensitive = [] { return gtk_widget_get_sensitive(interface->btnSelectPattern); };

    ScriptedResponder responder;
    ShowPatternSelect();
    EXPECT_FALSE(SelectSensitive());
    EXPECT_FALSE(gtk_widget_get_sensitive(FindButton(interface->currentScreen, "Repeat")));
    SelectRow("0");  // "Flowers", the only folder, comes first
    GtkTreePath* folder = gtk_tree_path_new_from_string("0");
    EXPECT_TRUE(gtk_tree_view_row_expanded(list, folder));
    EXPECT_FALSE(SelectSensitive());
    SelectRow("0:0");  // Flowers/rose.qcc
    EXPECT_NE(interface->previewPixbuf, nullptr);
    EXPECT_TRUE(SelectSensitive());
    EXPECT_EQ(access("thumbnails/rose.png", F_OK), 0);
    SelectRow("1");  // broken.qcc
    EXPECT_EQ(interface->previewPixbuf, nullptr);
    EXPECT_FALSE(SelectSensitive());
    ASSERT_FALSE(responder.shown.empty());
    // Selecting the folder again collapses it.
    SelectRow("0");
    EXPECT_FALSE(gtk_tree_view_row_expanded(list, folder));
    EXPECT_FALSE(SelectSensitive());
    gtk_tree_path_free(folder);

    SelectRow("2");
    SetBoxMode(1);
    gtk_button_clicked(GTK_BUTTON(interface->btnSelectPattern));
    EXPECT_STREQ(CurrentScreenName(), "quilt-area setup");
    EXPECT_EQ(MenuStateMask(), kQuiltAreaSetupMask);
    EXPECT_EQ(BoxMode(), 0);
    EXPECT_EQ(CountLayoutNodes(), 0);

    BogusExtents();  // the default quilt area with its one box, the current one
    SetCurrentPatternBox(0);
    ShowPatternSelect();
    SelectRow("0");
    SelectRow("0:0");
    gtk_button_clicked(GTK_BUTTON(interface->btnSelectPattern));
    ASSERT_EQ(CountLayoutNodes(0), 1);
    ASSERT_NE(GetPattern(patternLayout->patternIndex), nullptr);
    EXPECT_STREQ(interface->selectedPatternFile, "./patterns/Flowers/rose.qcc");
    EXPECT_EQ(selectedFile, "./patterns/Flowers/rose.qcc");
    EXPECT_EQ(interface->previewPixbuf, nullptr);
    EXPECT_STREQ(CurrentScreenName(), "layout view");
    EXPECT_EQ(MenuStateMask(), kLayoutViewMask);

    ShowPatternSelect();
    GtkWidget* repeat = FindButton(interface->currentScreen, "Repeat");
    ASSERT_TRUE(gtk_widget_get_sensitive(repeat));
    gtk_button_clicked(GTK_BUTTON(repeat));
    EXPECT_STREQ(CurrentScreenName(), "layout view");
    const int placed = CountLayoutNodes();

    std::string deep = "patterns";
    for (int i = 0; i < 5; i++) {
        deep += "/a_long_folder_name_" + std::to_string(i);
        mkdir(deep.c_str(), 0777);
    }
    WriteFileText(deep + "/p.qcc", "p X0.000 Y0.000\np X1.000 Y1.000\n");
    ShowPatternSelect();
    // Folders first: a_long_folder_name_0 is row 0, Flowers row 1.
    for (const char* row : {"0", "0:0", "0:0:0", "0:0:0:0", "0:0:0:0:0", "0:0:0:0:0:0"})
        SelectRow(row);
    ASSERT_TRUE(SelectSensitive());
    responder.shown.clear();
    gtk_button_clicked(GTK_BUTTON(interface->btnSelectPattern));
    EXPECT_EQ(CountLayoutNodes(), placed);
    ASSERT_FALSE(responder.shown.empty());
    EXPECT_NE(responder.shown.back().text.find("TOO LONG"), std::string::npos);
    EXPECT_STREQ(CurrentScreenName(), "pattern select");
    DropMainWindow();
    FreeLayout();
    EXPECT_EQ(chdir(oldDir), 0);
}
