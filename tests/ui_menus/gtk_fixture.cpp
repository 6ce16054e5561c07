#include "gtk_fixture.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>

#include "app/screen_config.h"

namespace {

// These tests move the pointer and look at the screen, so windows of other
// test programs running at the same time on the shared display would take
// their clicks. Each test process therefore starts its own X server; it ends
// by itself (-terminate) when this process disconnects. Without Xvfb the
// display given in DISPLAY is used.
void StartPrivateDisplay() {
    int fds[2];
    if (pipe(fds) != 0) return;
    std::string fd = std::to_string(fds[1]);
    const char* argv[] = {"Xvfb",        "-displayfd", fd.c_str(), "-screen",    "0",
                          "1024x768x24", "-nolisten",  "tcp",      "-terminate", nullptr};
    gboolean started =
        g_spawn_async(nullptr, const_cast<char**>(argv), nullptr,
                      GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_LEAVE_DESCRIPTORS_OPEN |
                                  G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL),
                      nullptr, nullptr, nullptr, nullptr);
    close(fds[1]);
    std::string number;
    pollfd ready = {fds[0], POLLIN, 0};
    while (started && poll(&ready, 1, 10000) == 1) {
        char c = 0;
        if (read(fds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (!number.empty()) setenv("DISPLAY", (":" + number).c_str(), 1);
}

}  // namespace

bool EnsureGtk() {
    static int state = -1;
    if (state < 0) {
        StartPrivateDisplay();
        state = gtk_init_check(nullptr, nullptr) ? 1 : 0;
        ParseConfigFile("/nonexistent/screen.conf");  // the built-in 320 x 240 sizes
    }
    return state == 1;
}

void PumpEvents() {
    while (gtk_events_pending())
        gtk_main_iteration_do(FALSE);
}

std::string MenuItemText(GtkWidget* item) {
    if (GTK_IS_SEPARATOR_MENU_ITEM(item)) return "-";
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(item));
    if (child != nullptr && GTK_IS_LABEL(child)) return gtk_label_get_text(GTK_LABEL(child));
    return "";
}

std::vector<std::string> MenuTexts(GtkWidget* menu) {
    std::vector<std::string> texts;
    GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
    for (GList* l = children; l != nullptr; l = l->next)
        texts.push_back(MenuItemText(GTK_WIDGET(l->data)));
    g_list_free(children);
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

namespace {

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

GtkWidget* FindNamed(GtkWidget* root, const char* name) {
    return FindBelow(root,
                     [name](GtkWidget* w) { return g_strcmp0(gtk_widget_get_name(w), name) == 0; });
}

GtkWidget* FindButton(GtkWidget* root, const char* label) {
    return FindBelow(root, [label](GtkWidget* w) {
        return GTK_IS_BUTTON(w) && g_strcmp0(gtk_button_get_label(GTK_BUTTON(w)), label) == 0;
    });
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

void Click(GtkWidget* widget) {
    ASSERT_NE(widget, nullptr);
    ASSERT_TRUE(gtk_test_widget_click(widget, 1, GdkModifierType(0)));
    // The press and release travel through the X server: wait until they are
    // back in the queue, then handle them, so the next step sees their effect.
    gdk_display_sync(gdk_display_get_default());
    PumpEvents();
}

bool XdotoolClick(GtkWidget* widget) {
    if (widget == nullptr || widget->window == nullptr) return false;
    int x = 0, y = 0;
    gdk_window_get_origin(widget->window, &x, &y);
    if (!gtk_widget_get_has_window(widget)) {
        x += widget->allocation.x;
        y += widget->allocation.y;
    }
    x += widget->allocation.width / 2;
    y += widget->allocation.height / 2;
    std::string xs = std::to_string(x), ys = std::to_string(y);
    const char* argv[] = {"xdotool", "mousemove", xs.c_str(), ys.c_str(), "click", "1", nullptr};
    gint status = -1;
    gboolean ran = g_spawn_sync(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_SEARCH_PATH,
                                nullptr, nullptr, nullptr, nullptr, &status, nullptr);
    gdk_display_sync(gdk_display_get_default());
    PumpEvents();
    return ran && status == 0;
}
