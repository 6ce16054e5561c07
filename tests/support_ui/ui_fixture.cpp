#include "support_ui/ui_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/screen_config.h"
#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/view_transform.h"
#include "machine/stitching/pattern_run.h"
#include "ui/file_chooser.h"
#include "ui/interface.h"
#include "ui/screens.h"
#include "ui/startup.h"
#include "ui/widget_helpers.h"

namespace {

ScriptedResponder* responder = nullptr;
std::string styleComplaints;  // what GTK said while a style file was parsed

int ScriptedShowMessage(int kind, int buttons, const char* text) {
    responder->shown.push_back({kind, buttons, text ? text : ""});
    if (responder->answers.empty()) return kResponseOk;
    const int answer = responder->answers.front();
    responder->answers.pop_front();
    return answer;
}

GtkWidget* FindBelow(GtkWidget* root, const std::function<bool(GtkWidget*)>& match) {
    if (root == nullptr) return nullptr;
    if (match(root)) return root;
    if (!GTK_IS_CONTAINER(root)) return nullptr;
    GtkWidget* found = nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(root));
    for (GList* l = children; l != nullptr && found == nullptr; l = l->next)
        found = FindBelow(GTK_WIDGET(l->data), match);
    g_list_free(children);
    return found;
}

gboolean ScriptTick(gpointer data) {
    auto* script = static_cast<Script*>(data);
    GtkWidget* window = FindToplevel(script->windowName.c_str());
    if (window == nullptr || !gtk_widget_get_mapped(window)) {
        if (script->next >= script->steps.size()) {
            script->source = 0;
            return FALSE;  // the window closed after the last step
        }
        return TRUE;  // not on the screen yet
    }
    if (script->next < script->steps.size()) {
        script->steps[script->next++](window);
        return TRUE;
    }
    if (++script->idleTicks > 100) {
        ADD_FAILURE() << "window " << script->windowName << " still open after the script";
        gtk_widget_destroy(window);
        script->source = 0;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

bool EnsureGtk() {
    static int state = -1;
    if (state < 0) {
        state = gtk_init_check(nullptr, nullptr) ? 1 : 0;
        ParseConfigFile("/nonexistent/screen.conf");  // the built-in 320 x 240 sizes
        // The pointer away from the 320 x 240 screen: a test before may have
        // left it over a control, which would then be drawn lit.
        if (state == 1)
            gdk_display_warp_pointer(gdk_display_get_default(), gdk_screen_get_default(), 1000,
                                     700);
    }
    return state == 1;
}

std::string ParseStyleFile(const std::string& path) {
    styleComplaints = g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR) ? "" : "missing " + path;
    const GPrintFunc print =
        g_set_printerr_handler([](const gchar* text) { styleComplaints += text; });
    const GLogFunc log = g_log_set_default_handler(
        [](const gchar* domain, GLogLevelFlags, const gchar* message, gpointer) {
            styleComplaints += std::string(domain ? domain : "") + ": " + message + "\n";
        },
        nullptr);
    gtk_rc_parse(path.c_str());
    gtk_rc_reset_styles(gtk_settings_get_default());
    g_set_printerr_handler(print);
    g_log_set_default_handler(log, nullptr);
    return styleComplaints;
}

TestFolder::TestFolder() {
    oldDir = std::filesystem::current_path();
    EXPECT_EQ(chdir(folder.path.c_str()), 0);
    EXPECT_EQ(symlink(LONGARM_SOURCE_DIR "/images", "images"), 0);
    EXPECT_EQ(mkdir("patterns", 0777), 0);
    EXPECT_EQ(mkdir(root.File("tmp").c_str(), 0777), 0);
    EXPECT_TRUE(SetSystemRoot(root.path.c_str()));
}

TestFolder::~TestFolder() {
    SetSystemRoot("");
    EXPECT_EQ(chdir(oldDir.c_str()), 0);
}

void Drain() {
    while (gtk_events_pending())
        gtk_main_iteration_do(FALSE);
}

void MakeMainWindow(bool withMenuRow) {
    if (!interface) interface = NewInterfaceStruct();
    if (isWidget(interface->window)) return;
    BuildMainWindow();
    if (withMenuRow)
        gtk_box_pack_start(GTK_BOX(interface->mainBox), BuildMenuRow(), FALSE, FALSE, 0);
    gtk_widget_show_all(interface->window);
    Drain();
}

void DropMainWindow() {
    if (!interface) return;
    clearScreen();
    if (isWidget(interface->window)) gtk_widget_destroy(interface->window);
    Drain();
    SetCurrentLayoutName("");
    *interface = Interface{};  // the next test starts from a fresh record
    ResetLayoutSelection();
    SetViewScale(kMinViewScale);
    FreeRunPath();
}

ScriptedResponder::ScriptedResponder() {
    responder = this;
    UserInterfaceHooks hooks = GetUserInterfaceHooks();
    hooks.showMessage = ScriptedShowMessage;
    hooks.showMessageSpecial = [](int kind, const char* text, const char*, int) {
        return ScriptedShowMessage(kind, 0, text);
    };
    hooks.showKeyboard = [](std::string& text, const char* prompt) {
        responder->prompts.push_back(prompt ? prompt : "");
        if (responder->keyboard.empty()) return 0;
        text = responder->keyboard.front();
        responder->keyboard.pop_front();
        return 1;
    };
    hooks.numberEntry = [](const char* text, int, int, const char*) {
        responder->numberTexts.push_back(text ? text : "");
        if (responder->numbers.empty()) return text ? g_ascii_strtod(text, nullptr) : 0.0;
        const double value = responder->numbers.front();
        responder->numbers.pop_front();
        return value;
    };
    SetUserInterfaceHooks(hooks);
}

ScriptedResponder::~ScriptedResponder() {
    SetUserInterfaceHooks({});
    responder = nullptr;
}

std::vector<std::string> ScriptedResponder::Texts() const {
    std::vector<std::string> texts;
    for (const ShownMessage& message : shown)
        texts.push_back(message.text);
    return texts;
}

GtkWidget* FindToplevel(const char* name) {
    GtkWidget* found = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* l = windows; l != nullptr && found == nullptr; l = l->next) {
        GtkWidget* w = GTK_WIDGET(l->data);
        if (g_strcmp0(gtk_widget_get_name(w), name) == 0 && gtk_widget_get_visible(w)) found = w;
    }
    g_list_free(windows);
    return found;
}

GtkWidget* FindNamed(GtkWidget* root, const char* name) {
    return FindBelow(root,
                     [name](GtkWidget* w) { return g_strcmp0(gtk_widget_get_name(w), name) == 0; });
}

GtkWidget* FindButton(GtkWidget* root, const char* label) {
    return FindBelow(root, [label](GtkWidget* w) {
        if (!GTK_IS_BUTTON(w)) return false;
        if (g_strcmp0(gtk_button_get_label(GTK_BUTTON(w)), label) == 0) return true;
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(w));  // a label packed by hand
        return child != nullptr && GTK_IS_LABEL(child) &&
               g_strcmp0(gtk_label_get_text(GTK_LABEL(child)), label) == 0;
    });
}

std::vector<GtkWidget*> WidgetsOfType(GtkWidget* root, GType type) {
    std::vector<GtkWidget*> found;
    FindBelow(root, [&found, type](GtkWidget* w) {
        if (G_TYPE_CHECK_INSTANCE_TYPE(w, type)) found.push_back(w);
        return false;
    });
    return found;
}

void StartScript(Script* script) {
    script->next = 0;
    script->idleTicks = 0;
    script->source = g_timeout_add(30, ScriptTick, script);
}

void StopScript(Script* script) {
    if (script->source != 0) g_source_remove(script->source);
    script->source = 0;
}

void InsideNextChooser(std::function<void()> steps) {
    static std::function<void()> inside;
    inside = std::move(steps);
    g_timeout_add(
        20,
        [](gpointer) -> gboolean {
            if (!FileChooserOpen()) return TRUE;  // not open yet
            inside();
            return FALSE;
        },
        nullptr);
}

void Click(GtkWidget* widget) {
    ASSERT_NE(widget, nullptr);
    ASSERT_TRUE(gtk_test_widget_click(widget, 1, GdkModifierType(0)));
    // The press and release travel through the X server: wait until they are
    // back in the queue, then handle them, so the next step sees their effect.
    gdk_display_sync(gdk_display_get_default());
    Drain();
}

void TapAt(GtkWidget* widget, int x, int y) {
    ASSERT_TRUE(widget && widget->window);
    for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE})
        ASSERT_TRUE(gdk_test_simulate_button(widget->window, x, y, 1, GdkModifierType(0), type));
    gdk_display_sync(gdk_display_get_default());
    Drain();
}

bool XdotoolClick(GtkWidget* widget, bool wait) {
    if (widget == nullptr || widget->window == nullptr) return false;
    int x = 0, y = 0;  // the widget's centre on the screen
    gdk_window_get_origin(widget->window, &x, &y);
    const bool own = gtk_widget_get_has_window(widget);
    x += (own ? 0 : widget->allocation.x) + widget->allocation.width / 2;
    y += (own ? 0 : widget->allocation.y) + widget->allocation.height / 2;
    const std::string xs = std::to_string(x), ys = std::to_string(y);
    const char* argv[] = {"xdotool", "mousemove", xs.c_str(), ys.c_str(), "click", "1", nullptr};
    if (!wait)
        return g_spawn_async(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_SEARCH_PATH,
                             nullptr, nullptr, nullptr, nullptr);
    gint status = -1;
    const gboolean ran =
        g_spawn_sync(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_SEARCH_PATH, nullptr,
                     nullptr, nullptr, nullptr, &status, nullptr);
    gdk_display_sync(gdk_display_get_default());
    Drain();
    return ran && status == 0;
}
