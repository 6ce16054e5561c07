// Pictures of the menu row, the keyboard and the number pad on a 320 x 240
// screen with the real images and style file, saved under
// build/screenshots/ for a person to look at. Each test also checks what can
// be checked on the picture: the black frame of the modal windows, and that
// the icons are drawn from the images (no missing-image icon).
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/screen_config.h"
#include "support/temp_dir.h"
#include "support_ui/ui_fixture.h"
#include "ui/keyboard.h"
#include "ui/menu.h"
#include "ui/number_entry.h"

namespace {

const std::string kShots = std::string(LONGARM_BINARY_DIR) + "/screenshots";

// Colour of one pixel of a saved picture.
struct Rgb {
    int r = -1, g = -1, b = -1;
    bool Black() const { return r < 40 && g < 40 && b < 40; }
};

Rgb PixelAt(const std::string& path, int x, int y) {
    Rgb rgb;
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(path.c_str(), nullptr);
    if (pixbuf == nullptr) return rgb;
    if (x < gdk_pixbuf_get_width(pixbuf) && y < gdk_pixbuf_get_height(pixbuf)) {
        const guchar* p = gdk_pixbuf_get_pixels(pixbuf) + y * gdk_pixbuf_get_rowstride(pixbuf) +
                          x * gdk_pixbuf_get_n_channels(pixbuf);
        rgb = {p[0], p[1], p[2]};
    }
    g_object_unref(pixbuf);
    return rgb;
}

// The 320 x 240 corner of the screen, where the program's window sits.
bool Shoot(const std::string& name) {
    g_mkdir_with_parents(kShots.c_str(), 0755);
    std::string path = kShots + "/" + name;
    const char* argv[] = {"import",      "-window", "root",       "-crop",
                          "320x240+0+0", "+repage", path.c_str(), nullptr};
    gint status = -1;
    return g_spawn_sync(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_SEARCH_PATH, nullptr,
                        nullptr, nullptr, nullptr, &status, nullptr) &&
           status == 0;
}

class ScreenshotTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureGtk());
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldDir = cwd;
        // A program folder holding the repository's images, as at the controller.
        std::string images = std::string(LONGARM_SOURCE_DIR) + "/images";
        ASSERT_EQ(symlink(images.c_str(), folder.File("images").c_str()), 0);
        ASSERT_EQ(chdir(folder.path.c_str()), 0);
        static bool styled = false;
        if (!styled) {
            gtk_rc_parse((std::string(LONGARM_SOURCE_DIR) + "/gtkrc_5").c_str());
            gtk_rc_reset_styles(gtk_settings_get_default());
            styled = true;
        }
        // The main window with the menu row, as start-up builds it.
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
        gtk_widget_set_size_request(window, screen_width, screen_height);
        gtk_window_move(GTK_WINDOW(window), 0, 0);
        GtkWidget* mainBox = gtk_vbox_new(FALSE, 0);
        GtkWidget* row = gtk_hbox_new(FALSE, 0);
        gtk_box_pack_start(GTK_BOX(row), createMenu(), FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(row), createToolbar(), TRUE, TRUE, 0);
        gtk_box_pack_start(GTK_BOX(mainBox), row, FALSE, FALSE, 0);
        gtk_container_add(GTK_CONTAINER(window), mainBox);
        gtk_widget_show_all(window);
        ApplyMenuVisibility();
        for (int i = 0; i < 20; ++i) {
            Drain();
            g_usleep(10000);
        }
    }
    void TearDown() override {
        StopScript(&script);
        gtk_widget_destroy(window);
        Drain();
        EXPECT_EQ(chdir(oldDir.c_str()), 0);
    }
    Script script;
    TempDir folder;
    std::string oldDir;
    GtkWidget* window = nullptr;
};

// Takes the picture once the window has been drawn, then presses Cancel.
std::function<void(GtkWidget*)> ShootThen(const std::string& name, bool* shot) {
    return [name, shot](GtkWidget*) {
        for (int i = 0; i < 10; ++i) {
            Drain();
            g_usleep(10000);
        }
        *shot = Shoot(name);
    };
}

TEST_F(ScreenshotTest, MenuRow) {
    for (int a = 0; a < kMenuActionCount; ++a)
        SetMenuHandler(static_cast<MenuAction>(a), [](GtkWidget*, void*) {});
    SetMenuStateMask(0x37FFFFF);
    Drain();
    ASSERT_TRUE(Shoot("menu_row.png"));
    // Every icon came from its image.
    for (int t = 0; t < kToolButtonCount; ++t) {
        GtkWidget* image = ToolbarRecord()->images[t];
        if (image == nullptr) continue;
        EXPECT_EQ(gtk_image_get_storage_type(GTK_IMAGE(image)), GTK_IMAGE_PIXBUF) << t;
    }
    // The Main menu opened below its icon.
    Click(MenuRecord()->menuTitles[kMenuMain]);
    for (int i = 0; i < 20; ++i) {
        Drain();
        g_usleep(10000);
    }
    EXPECT_TRUE(gtk_widget_get_mapped(MenuRecord()->menus[kMenuMain]));
    ASSERT_TRUE(Shoot("menu_main.png"));
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(MenuRecord()->menuBar));
    for (int a = 0; a < kMenuActionCount; ++a)
        SetMenuHandler(static_cast<MenuAction>(a), nullptr);
}

TEST_F(ScreenshotTest, Keyboard) {
    bool shot = false;
    script.windowName = kKeyboardWindowName;
    script.steps = {ShootThen("keyboard.png", &shot),
                    [](GtkWidget* w) { Click(FindButton(w, "gtk-cancel")); }};
    StartScript(&script);
    std::string text = "Feathers";
    GtkShowKeyboard(text, "NAME:");
    ASSERT_TRUE(shot);
    std::string path = kShots + "/keyboard.png";
    EXPECT_TRUE(PixelAt(path, 2, 2).Black());      // the frame
    EXPECT_TRUE(PixelAt(path, 317, 237).Black());  // the frame
    EXPECT_FALSE(PixelAt(path, 160, 120).Black());
}

TEST_F(ScreenshotTest, NumberPad) {
    bool plain = false, angle = false;
    auto cancel = [](GtkWidget* d) {
        Click(gtk_dialog_get_widget_for_response(GTK_DIALOG(d), GTK_RESPONSE_CANCEL));
    };
    script.windowName = "NumberEntry";
    script.steps = {ShootThen("number_pad.png", &plain), cancel};
    StartScript(&script);
    GtkNumberEntry("12.500", 1, 0);
    StopScript(&script);
    script.steps = {ShootThen("number_pad_angle.png", &angle), cancel};
    StartScript(&script);
    GtkNumberEntry("90", 1, 1);
    ASSERT_TRUE(plain);
    ASSERT_TRUE(angle);
    std::string path = kShots + "/number_pad.png";
    EXPECT_TRUE(PixelAt(path, 2, 2).Black());
    EXPECT_TRUE(PixelAt(path, 317, 237).Black());
}

}  // namespace
