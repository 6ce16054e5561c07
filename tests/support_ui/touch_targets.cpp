#include "support_ui/touch_targets.h"

#include <cstdlib>

#include "base/screen_config.h"

namespace {

struct Box {
    int x, y, w, h;
};

// Where a widget is on the screen: a widget with a window of its own sits at
// that window's origin, the others where their allocation puts them in it.
Box ScreenBox(GtkWidget* widget) {
    const GtkAllocation& a = widget->allocation;
    int x = 0, y = 0;
    gdk_window_get_origin(gtk_widget_get_window(widget), &x, &y);
    const bool own = gtk_widget_get_has_window(widget);
    return {x + (own ? 0 : a.x), y + (own ? 0 : a.y), a.width, a.height};
}

// The visible part of the toplevel window the widget is in.
Box WindowBox(GtkWidget* widget) {
    GdkWindow* window = gtk_widget_get_window(gtk_widget_get_toplevel(widget));
    int x = 0, y = 0, w = 0, h = 0;
    gdk_window_get_origin(window, &x, &y);
    gdk_drawable_get_size(window, &w, &h);
    return {x, y, w, h};
}

bool Inside(const Box& inner, const Box& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}

std::string place;  // as given to SmallTouchTargets; it starts every line

std::string Describe(GtkWidget* widget, const char* what, const Box& b) {
    std::string name = place + ": " + (what ? what : G_OBJECT_TYPE_NAME(widget));
    const char* widgetName = gtk_widget_get_name(widget);
    if (widgetName && std::string(widgetName) != G_OBJECT_TYPE_NAME(widget))
        name += " \"" + std::string(widgetName) + "\"";
    GtkWidget* child = GTK_IS_BIN(widget) ? gtk_bin_get_child(GTK_BIN(widget)) : nullptr;
    if (child && GTK_IS_LABEL(child))
        name += " '" + std::string(gtk_label_get_text(GTK_LABEL(child))) + "'";
    return name + " at " + std::to_string(b.x) + "," + std::to_string(b.y) + " " +
           std::to_string(b.w) + "x" + std::to_string(b.h);
}

void Check(GtkWidget* widget, const Box& b, int minimum, const char* what, std::string* problems) {
    const Box screen{0, 0, screen_width, screen_height};
    std::string why;
    if (!Inside(b, screen))
        why = "off the screen";
    else if (!Inside(b, WindowBox(widget)))
        why = "cut by its window";
    else if (b.w < minimum || b.h < minimum)
        why = "smaller than " + std::to_string(minimum);
    if (!why.empty()) *problems += Describe(widget, what, b) + ": " + why + "\n";
}

bool IsControl(GtkWidget* w) {
    if (GTK_IS_SEPARATOR_MENU_ITEM(w) || GTK_IS_TEAROFF_MENU_ITEM(w)) return false;
    return GTK_IS_BUTTON(w) || GTK_IS_ENTRY(w) || GTK_IS_RANGE(w) || GTK_IS_COMBO_BOX(w) ||
           GTK_IS_MENU_ITEM(w);
}

void Walk(GtkWidget* w, int minimum, std::string* problems) {
    if (!gtk_widget_get_visible(w) || !gtk_widget_get_mapped(w)) return;
    if (GTK_IS_TREE_VIEW(w)) {
        GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(w));
        GtkTreeIter iter;
        if (model && gtk_tree_model_get_iter_first(model, &iter)) {
            GtkTreePath* path = gtk_tree_model_get_path(model, &iter);
            GdkRectangle row;
            gtk_tree_view_get_background_area(GTK_TREE_VIEW(w), path, nullptr, &row);
            gtk_tree_path_free(path);
            Box b = ScreenBox(w);
            // The list's visible part lies wholly on the screen, so that its
            // last row, scrolled into view, is not cut.
            GtkWidget* shown = gtk_widget_get_parent(w);
            if (!GTK_IS_SCROLLED_WINDOW(shown)) shown = w;
            Check(shown, ScreenBox(shown), 0, "GtkTreeView list", problems);
            b.h = row.height;
            if (row.height < minimum)
                *problems += Describe(w, "GtkTreeView row", b) + ": smaller than " +
                             std::to_string(minimum) + "\n";
        }
        return;
    }
    if (IsControl(w)) {
        GtkWidget* parent = gtk_widget_get_parent(w);
        // A button inside a button or a combo box is part of that control.
        if (!(parent && (GTK_IS_BUTTON(parent) || GTK_IS_COMBO_BOX(parent))))
            Check(w, ScreenBox(w), minimum, nullptr, problems);
        if (!GTK_IS_MENU_ITEM(w)) return;
    }
    if (!GTK_IS_CONTAINER(w)) return;
    GList* children = gtk_container_get_children(GTK_CONTAINER(w));
    for (GList* l = children; l; l = l->next)
        Walk(GTK_WIDGET(l->data), minimum, problems);
    g_list_free(children);
}

}  // namespace

int TouchTargetMinimum() {
    return screen_width <= 320 || screen_height <= 240 ? 24 : 40;
}

std::string SmallTouchTargets(const std::string& where) {
    place = where;
    std::string problems;
    GList* tops = gtk_window_list_toplevels();
    for (GList* l = tops; l; l = l->next)
        Walk(GTK_WIDGET(l->data), TouchTargetMinimum(), &problems);
    g_list_free(tops);
    return problems;
}

::testing::AssertionResult LooksLike(const std::string& name, GdkPixbuf* picture) {
    if (!picture) {
        gdk_display_sync(gdk_display_get_default());
        picture = gdk_pixbuf_get_from_drawable(nullptr, gdk_get_default_root_window(), nullptr, 0,
                                               0, 0, 0, screen_width, screen_height);
    }
    if (!picture) return ::testing::AssertionFailure() << "no picture";
    GdkPixbuf* reference = gdk_pixbuf_new_from_file(
        (std::string(LONGARM_SOURCE_DIR) + "/tests/data/" + name + ".png").c_str(), nullptr);
    const int w = gdk_pixbuf_get_width(picture), h = gdk_pixbuf_get_height(picture);
    long differing = static_cast<long>(w) * h;
    if (reference && gdk_pixbuf_get_width(reference) == w &&
        gdk_pixbuf_get_height(reference) == h) {
        differing = 0;
        const int na = gdk_pixbuf_get_n_channels(picture),
                  nb = gdk_pixbuf_get_n_channels(reference);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                const guchar* a =
                    gdk_pixbuf_get_pixels(picture) + y * gdk_pixbuf_get_rowstride(picture) + x * na;
                const guchar* b = gdk_pixbuf_get_pixels(reference) +
                                  y * gdk_pixbuf_get_rowstride(reference) + x * nb;
                differing += std::abs(a[0] - b[0]) > 48 || std::abs(a[1] - b[1]) > 48 ||
                             std::abs(a[2] - b[2]) > 48;
            }
    }
    if (reference) g_object_unref(reference);
    const bool same = differing <= 0.0005 * w * h;
    const std::string actual = std::string(LONGARM_BINARY_DIR) + "/tests/" + name + ".actual.png";
    if (!same) gdk_pixbuf_save(picture, actual.c_str(), "png", nullptr, nullptr);
    g_object_unref(picture);
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ; wrote " << actual;
}
