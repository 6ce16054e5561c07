// A quilter's walk over the screens: the layout view with its menu bar and
// toolbar, every menu and sub-menu of the bar and of the pattern pop-up, the
// pattern dialogs, the number pad and the keyboard are put on the screen one
// after another, and every control on it must lie wholly on the
// screen and be big enough for a finger. A picture of each is compared with
// its reference in tests/data.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/program_settings.h"
#include "base/screen_config.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/view_gestures.h"
#include "popup_fixture.h"
#include "support/temp_dir.h"
#include "support_ui/touch_targets.h"
#include "ui/array_dialog.h"
#include "ui/drawing_area.h"
#include "ui/extents_setup.h"
#include "ui/file_chooser.h"
#include "ui/interface.h"
#include "ui/keyboard.h"
#include "ui/menu.h"
#include "ui/number_entry.h"
#include "ui/pattern_popup.h"
#include "ui/pattern_select.h"
#include "ui/properties_dialog.h"
#include "ui/screens.h"
#include "ui/startup.h"
#include "ui/trace_view.h"
#include "ui/transform_dialogs.h"

namespace {

class TouchWalk : public PopupTest {
protected:
    void TearDown() override {
        StopScript(&script);
        PopupTest::TearDown();
    }

    // Checks what is on the screen now under the name of the place; a dialog
    // is kept on top and asked to repaint before each picture (a dialog
    // opened from a menu could stay unpainted on the test display).
    void Look(const std::string& place, GtkWidget* dialog = nullptr) {
        Drain();
        gdk_window_process_all_updates();
        gdk_display_sync(gdk_display_get_default());
        problems += Prefixed(place, SmallTouchTargetsOnScreen(TouchTargetMinimum()));
        if (screen_width != 320) return;  // the reference pictures are of the small screen
        const std::string picture =
            std::string(LONGARM_BINARY_DIR) + "/tests/walk_" + place + ".png";
        // The X server may still be painting a window that just came up (on a
        // loaded machine for many seconds): the picture is taken again while
        // the main loop runs, until it matches. A match ends the wait at once.
        // The verdict is the last picture taken, so a match is not undone by a
        // second shot racing a repaint.
        ::testing::AssertionResult last = ::testing::AssertionFailure() << "no screenshot";
        WaitFor(
            [&] {
                if (dialog && dialog->window) {
                    gdk_window_raise(dialog->window);
                    gtk_widget_queue_draw(dialog);
                    gdk_window_process_all_updates();
                    gdk_display_sync(gdk_display_get_default());
                }
                last = SaveScreenshot(picture) ? LooksLike(picture, "walk_" + place)
                                               : ::testing::AssertionFailure() << "no screenshot";
                return static_cast<bool>(last);
            },
            20000);
        EXPECT_TRUE(last) << place;
    }
    static std::string Prefixed(const std::string& place, const std::string& lines) {
        std::string out;
        size_t start = 0;
        while (start < lines.size()) {
            const size_t end = lines.find('\n', start);
            out += place + ": " + lines.substr(start, end - start) + "\n";
            start = end == std::string::npos ? lines.size() : end + 1;
        }
        return out;
    }

    // Runs a modal window and looks at it while it is up: its controls, and
    // Cancel to the left of OK as in every message window. Then cancels it.
    void WalkDialog(const char* name, const std::string& place, const std::function<void()>& open) {
        script.windowName = name;
        script.steps = {[this, place](GtkWidget* w) {
                            Look(place, w);
                            GtkWidget* cancel = FindButton(w, "gtk-cancel");
                            GtkWidget* ok = FindButton(w, "gtk-ok");
                            ASSERT_TRUE(cancel && ok) << place;
                            int cancelX = 0, okX = 0, y = 0;
                            gtk_widget_translate_coordinates(cancel, w, 0, 0, &cancelX, &y);
                            gtk_widget_translate_coordinates(ok, w, 0, 0, &okX, &y);
                            EXPECT_LT(cancelX, okX) << place << ": OK left of Cancel";
                        },
                        [](GtkWidget* w) { Click(FindButton(w, "gtk-cancel")); }};
        StartScript(&script);
        open();
        StopScript(&script);
        Drain();
    }

    // Looks at the open menu, then opens each of its sub-menus with a touch
    // and looks at that, and so on down.
    void WalkMenu(GtkWidget* menu, const std::string& place) {
        ASSERT_TRUE(WaitFor([&] { return gtk_widget_get_mapped(menu); }, 2000)) << place;
        Look(place);
        GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
        for (GList* l = items; l; l = l->next) {
            GtkWidget* item = GTK_WIDGET(l->data);
            GtkWidget* submenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item));
            if (!submenu || !gtk_widget_get_visible(item)) continue;
            std::string name = MenuItemText(item);
            for (char& c : name)
                c = c == ' ' ? '_' : static_cast<char>(g_ascii_tolower(c));
            Click(item);
            WalkMenu(submenu, place + "_" + name);
        }
        g_list_free(items);
    }

    void WalkEverything() {
        MakeRectBox(0, 0, 30, 20);
        const int slot = LoadPath({{0, 0}, {2, 0}, {2, 1}});
        LayoutNode* node = NewPatternLayoutNode(slot, -1, 0, 5, 5);
        SetSelectedNode(node);
        gtk_widget_queue_draw(interface->window);  // the box and the pattern
        Look("layout");
        Settings().showAdvancedFeatures = 1;  // every entry of every menu
        ApplyMenuVisibility();
        const char* menus[kMenuCount] = {"menu_main", "menu_edit", "menu_view", "menu_stitch"};
        for (int m = 0; m < kMenuCount; m++) {
            Click(MenuRecord()->menuTitles[m]);
            WalkMenu(MenuRecord()->menus[m], menus[m]);
            gtk_menu_shell_deactivate(GTK_MENU_SHELL(MenuRecord()->menuBar));
        }
        ShowPopupMenu(50, 50);
        ASSERT_TRUE(WaitFor([&] { return PopupMenu() != nullptr; }));
        WalkMenu(PopupMenu(), "popup");
        ClosePopup();
        Settings().showAdvancedFeatures = 0;
        ApplyMenuVisibility();
        WalkDialog(kScaleDialogTitle, "scale", [&] { ScaleDialog(node); });
        WalkDialog(kRepeatDialogTitle, "repeat", [&] { ArrayDialog(node); });
        WalkDialog(kPropertiesDialogTitle, "properties", [&] { PatternPropertiesDialog(node); });
        WalkDialog("NumberEntry", "number_pad", [] { GtkNumberEntry("2.5", 1, 0, "Width (in.)"); });
        WalkDialog(kKeyboardWindowName, "keyboard", [] {
            std::string text = "name";
            GtkShowKeyboard(text, "SAVE AS:");
        });
        WalkDialog(kFileChooserWindowName, "file_chooser", [] { GetFilename("./", nullptr); });
        WalkScreens();
    }

    // The screens reached from the main menu, and the pattern list scrolled to
    // its last entry.
    void WalkScreens() {
        extents = std::make_unique<PatternBox>();
        extents->width = 60;
        extents->height = 40;
        StartPatternBoxSetup();
        Look("pattern_box");
        menuMainTraceMode(nullptr, nullptr);
        Look("free_motion");
        for (int i = 0; i < 30; i++)
            ASSERT_TRUE(WriteFileText("patterns/feather " + std::to_string(i) + ".qcc", "n f\n"));
        ShowScreen(createPatternSelectScreen, 0x37FFFFF, "pattern select");
        GtkWidget* list = FindNamed(interface->currentScreen, "GtkTreeView");
        ASSERT_NE(list, nullptr);
        GtkAdjustment* scroll = gtk_tree_view_get_vadjustment(GTK_TREE_VIEW(list));
        Drain();
        gtk_adjustment_set_value(scroll, scroll->upper - scroll->page_size);
        Look("pattern_select");
        // Drawn on the views rather than built of widgets: the direction pad
        // and box arrows, and the confirm buttons of the setup screens.
        const int minimum = TouchTargetMinimum();
        if (PadForIconStyle(icon_style).s < minimum) problems += "direction pad: too small\n";
        if (confirm_button_size < minimum) problems += "confirm buttons: too small\n";
    }

    Script script;
    std::string problems;
};

TEST_F(TouchWalk, EveryControlFitsAndIsBigEnoughOnTheSmallScreen) {
    ASSERT_EQ(screen_width, 320);
    WalkEverything();
    EXPECT_EQ(problems, "");
}

// The same walk with the large screen's settings and style file.
TEST_F(TouchWalk, EveryControlFitsAndIsBigEnoughOnTheLargeScreen) {
    DropMainWindow();
    ASSERT_EQ(ParseConfigFile(LONGARM_SOURCE_DIR "/tests/data/screen_large.conf"), 1);
    gtk_rc_parse(LONGARM_SOURCE_DIR "/gtkrc");
    gtk_rc_reset_styles(gtk_settings_get_default());
    MakeMainWindow(true);
    ShowScreen([] { return createPatternViewScreen(0, kAreaLayoutView); }, 0x37FFFFF, "layout");
    WalkEverything();
    EXPECT_EQ(problems, "");
    ParseConfigFile("/nonexistent/screen.conf");
    gtk_rc_parse(LONGARM_SOURCE_DIR "/gtkrc_5");
    gtk_rc_reset_styles(gtk_settings_get_default());
}

}  // namespace
