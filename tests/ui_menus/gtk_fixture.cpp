#include "gtk_fixture.h"

#include "app/screen_config.h"

bool EnsureGtk() {
    static int state = -1;
    if (state < 0) {
        state = gtk_init_check(nullptr, nullptr) ? 1 : 0;
        ParseConfigFile("/nonexistent/screen.conf");  // the built-in 320 x 240 sizes
    }
    return state == 1;
}

void DrainEvents() {
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
