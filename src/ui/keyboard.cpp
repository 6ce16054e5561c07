// On-screen keyboard. See keyboard.h.
#include "ui/keyboard.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <vector>

#include "base/application_state.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "ui/interface.h"
#include "ui/widget_helpers.h"

const char lower[41] = "1234567890qwertyuiopasdfghjkl-zxcvbnm,.+";
const char upper[41] = "!@#$%^&*()QWERTYUIOPASDFGHJKL=ZXCVBNM<>?";

namespace {

constexpr int kKeyCount = 40;
constexpr int kKeysPerRow = 10;

// Window and key sizes of the two icon styles, in pixels.
struct KeyboardSizes {
    int width;
    int height;
    int key;      // side of a character key
    int margin;   // left margin of each row
    int divisor;  // vertical position: screen_height / 2 - height / divisor
};

KeyboardSizes SizesForStyle() {
    if (icon_style == 1) return {480, 348, 46, 10, 3};
    return {320, 240, 31, 5, 2};
}

// One open keyboard. The handlers get it as their data, so a keyboard opened
// from inside another modal loop keeps its own state.
struct Keyboard {
    GtkWidget* window = nullptr;
    GtkWidget* entry = nullptr;
    GtkWidget* btnShift = nullptr;  // the shift toggle
    std::vector<GtkWidget*> keys;   // the 40 character keys in table order
    int cancel = 1;                 // 1 until OK closes the keyboard
    int shift = 0;                  // 1 while the shift toggle is down
    int buttonPressed = 99;         // set when the keyboard opens
    bool running = false;           // the nested main loop runs
};

// Sets the key's label to its character of the table.
void ShiftButtonText(GtkWidget* key, const char* table) {
    int index = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(key), "key-index"));
    if (index < 0 || index >= kKeyCount) return;
    const char label[2] = {table[index], '\0'};
    gtk_button_set_label(GTK_BUTTON(key), label);
}

// Focus the entry and put the cursor at position. Grabbing the focus selects
// the whole text, so the position is set afterwards (which clears it again).
void FocusEntryAt(GtkWidget* entry, int position) {
    gtk_widget_grab_focus(entry);
    gtk_editable_set_position(GTK_EDITABLE(entry), position);
}

void OnBtnDataClicked(GtkWidget* key, gpointer data) {
    auto* keyboard = static_cast<Keyboard*>(data);
    GtkEditable* editable = GTK_EDITABLE(keyboard->entry);
    const char* label = gtk_button_get_label(GTK_BUTTON(key));
    if (label == nullptr || label[0] == '\0') return;
    int start = 0, end = 0;
    if (gtk_editable_get_selection_bounds(editable, &start, &end))
        gtk_editable_delete_text(editable, start, end);
    int position = gtk_editable_get_position(editable);
    gtk_editable_insert_text(editable, label, 1, &position);
    FocusEntryAt(keyboard->entry, position);
    // Shift applies to one character.
    if (keyboard->shift) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(keyboard->btnShift), FALSE);
}

void OnBtnShiftToggled(GtkToggleButton* toggle, gpointer data) {
    auto* keyboard = static_cast<Keyboard*>(data);
    keyboard->shift = gtk_toggle_button_get_active(toggle) ? 1 : 0;
    for (GtkWidget* key : keyboard->keys)
        ShiftButtonText(key, keyboard->shift ? upper : lower);
}

void OnBtnBkspClicked(GtkWidget*, gpointer data) {
    auto* keyboard = static_cast<Keyboard*>(data);
    GtkEditable* editable = GTK_EDITABLE(keyboard->entry);
    int start = 0, end = 0;
    if (gtk_editable_get_selection_bounds(editable, &start, &end)) {
        gtk_editable_delete_text(editable, start, end);
        FocusEntryAt(keyboard->entry, start);
        return;
    }
    int position = gtk_editable_get_position(editable);
    if (position > 0) {
        gtk_editable_delete_text(editable, position - 1, position);
        --position;
    }
    FocusEntryAt(keyboard->entry, position);
}

void EndKeyboard(Keyboard* keyboard, int cancel) {
    keyboard->cancel = cancel;
    if (keyboard->running) {
        keyboard->running = false;
        gtk_main_quit();
    }
}

void OnBtnOKClicked(GtkWidget*, gpointer data) {
    EndKeyboard(static_cast<Keyboard*>(data), 0);
}

void CloseKeyboard(GtkWidget*, gpointer data) {
    EndKeyboard(static_cast<Keyboard*>(data), 1);
}

// A window closed from outside (a window manager, the end of the program)
// counts as Cancel.
gboolean OnKeyboardDelete(GtkWidget*, GdkEvent*, gpointer data) {
    EndKeyboard(static_cast<Keyboard*>(data), 1);
    return TRUE;
}

void OnKeyboardDestroy(GtkWidget*, gpointer data) {
    auto* keyboard = static_cast<Keyboard*>(data);
    keyboard->window = nullptr;
    keyboard->entry = nullptr;
    EndKeyboard(keyboard, 1);
}

// A row: a horizontal box inside an alignment with the row's paddings.
GtkWidget* AddRow(GtkWidget* column, int top, int bottom, int left) {
    GtkWidget* alignment = gtk_alignment_new(0.5f, 0.5f, 1.0f, 1.0f);
    gtk_alignment_set_padding(GTK_ALIGNMENT(alignment), top, bottom, left, 2);
    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(alignment), row);
    gtk_box_pack_start(GTK_BOX(column), alignment, FALSE, FALSE, 0);
    return row;
}

// A key button that never takes the focus away from the entry.
GtkWidget* NewKey(GtkWidget* button, int width, int height) {
    gtk_widget_set_size_request(button, width, height);
    gtk_button_set_focus_on_click(GTK_BUTTON(button), FALSE);
    gtk_widget_set_can_focus(button, FALSE);
    return button;
}

// The shift picture from "./images/shift.png", turned a quarter to the left for
// backspace and fitted into a key of the given height. Null when it cannot be
// read; the key then shows its name instead.
GtkWidget* ShiftImage(bool turned, int height) {
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file("./images/shift.png", nullptr);
    if (pixbuf == nullptr) return nullptr;
    if (turned) {
        GdkPixbuf* rotated = gdk_pixbuf_rotate_simple(pixbuf, GDK_PIXBUF_ROTATE_COUNTERCLOCKWISE);
        g_object_unref(pixbuf);
        pixbuf = rotated;
    }
    int w = gdk_pixbuf_get_width(pixbuf), h = gdk_pixbuf_get_height(pixbuf);
    int limit = std::max(8, height - 8);
    if (h > limit) {
        GdkPixbuf* scaled =
            gdk_pixbuf_scale_simple(pixbuf, std::max(1, w * limit / h), limit, GDK_INTERP_BILINEAR);
        g_object_unref(pixbuf);
        pixbuf = scaled;
    }
    GtkWidget* image = gtk_image_new_from_pixbuf(pixbuf);
    g_object_unref(pixbuf);
    return image;
}

GtkWidget* NewImageKey(GtkWidget* button, GtkWidget* image, const char* fallback) {
    if (image != nullptr)
        gtk_container_add(GTK_CONTAINER(button), image);
    else
        gtk_container_add(GTK_CONTAINER(button), gtk_label_new(fallback));
    return button;
}

void BuildKeyboard(Keyboard* keyboard, const KeyboardSizes& size, const std::string& text,
                   const char* prompt) {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    keyboard->window = window;
    gtk_widget_set_name(window, kKeyboardWindowName);
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    gtk_window_set_modal(GTK_WINDOW(window), TRUE);
    if (interface != nullptr && interface->window != nullptr)
        gtk_window_set_transient_for(GTK_WINDOW(window), GTK_WINDOW(interface->window));
    gtk_widget_set_size_request(window, size.width, size.height);
    gtk_window_move(GTK_WINDOW(window), screen_width / 2 - size.width / 2,
                    screen_height / 2 - size.height / size.divisor);
    g_signal_connect(window, "expose-event", G_CALLBACK(CursorExpose), nullptr);
    g_signal_connect_after(window, "expose-event", G_CALLBACK(DrawFrame), nullptr);
    g_signal_connect(window, "delete-event", G_CALLBACK(OnKeyboardDelete), keyboard);
    g_signal_connect(window, "destroy", G_CALLBACK(OnKeyboardDestroy), keyboard);

    GtkWidget* column = gtk_vbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(window), column);
    const int key = size.key, margin = size.margin;

    GtkWidget* row = AddRow(column, 5, 2, margin);
    GtkWidget* label = gtk_label_new(prompt);
    gtk_misc_set_alignment(GTK_MISC(label), 0.0f, 0.5f);
    gtk_widget_set_size_request(label, static_cast<int>(size.width * 0.4) - margin, key - 6);
    gtk_box_pack_start(GTK_BOX(row), label, FALSE, FALSE, 0);
    keyboard->entry = gtk_entry_new();
    gtk_widget_set_name(keyboard->entry, kKeyboardEntryName);
    gtk_entry_set_text(GTK_ENTRY(keyboard->entry), text.c_str());
    gtk_widget_set_size_request(keyboard->entry, static_cast<int>(size.width * 0.6) - margin,
                                key - 6);
    gtk_box_pack_start(GTK_BOX(row), keyboard->entry, FALSE, FALSE, 0);

    for (int r = 0; r < kKeyCount / kKeysPerRow; ++r) {
        row = AddRow(column, 1, 1, margin);
        for (int c = 0; c < kKeysPerRow; ++c) {
            int index = r * kKeysPerRow + c;
            const char text1[2] = {lower[index], '\0'};
            GtkWidget* button = NewKey(gtk_button_new_with_label(text1), key, key);
            g_object_set_data(G_OBJECT(button), "key-index", GINT_TO_POINTER(index));
            g_signal_connect(button, "clicked", G_CALLBACK(OnBtnDataClicked), keyboard);
            gtk_box_pack_start(GTK_BOX(row), button, FALSE, FALSE, 0);
            keyboard->keys.push_back(button);
        }
    }

    row = AddRow(column, 1, 1, margin);
    keyboard->btnShift =
        NewKey(NewImageKey(gtk_toggle_button_new(), ShiftImage(false, key), "Shift"), 2 * key, key);
    gtk_widget_set_name(keyboard->btnShift, kKeyboardShiftName);
    g_signal_connect(keyboard->btnShift, "toggled", G_CALLBACK(OnBtnShiftToggled), keyboard);
    gtk_box_pack_start(GTK_BOX(row), keyboard->btnShift, FALSE, FALSE, 0);
    // A plain button: a toggle would stay pressed after the first space.
    GtkWidget* space = NewKey(gtk_button_new_with_label(" "), 6 * key, key);
    gtk_widget_set_name(space, kKeyboardSpaceName);
    g_signal_connect(space, "clicked", G_CALLBACK(OnBtnDataClicked), keyboard);
    gtk_box_pack_start(GTK_BOX(row), space, FALSE, FALSE, 0);
    GtkWidget* backspace =
        NewKey(NewImageKey(gtk_button_new(), ShiftImage(true, key), "Bksp"), 2 * key, key);
    gtk_widget_set_name(backspace, kKeyboardBackspaceName);
    g_signal_connect(backspace, "clicked", G_CALLBACK(OnBtnBkspClicked), keyboard);
    gtk_box_pack_start(GTK_BOX(row), backspace, FALSE, FALSE, 0);

    // Cancel on the left and OK on the right, as in every message window.
    row = AddRow(column, 1, 1, margin);
    GtkWidget* cancel = NewKey(gtk_button_new_from_stock(GTK_STOCK_CANCEL), key * 3 / 2, key);
    g_signal_connect(cancel, "clicked", G_CALLBACK(CloseKeyboard), keyboard);
    gtk_box_pack_start(GTK_BOX(row), cancel, TRUE, TRUE, 0);
    GtkWidget* ok = NewKey(gtk_button_new_from_stock(GTK_STOCK_OK), key * 3 / 2, key);
    g_signal_connect(ok, "clicked", G_CALLBACK(OnBtnOKClicked), keyboard);
    gtk_box_pack_start(GTK_BOX(row), ok, TRUE, TRUE, std::max(0, margin - 2));
}

}  // namespace

int GtkShowKeyboard(std::string& text, const char* prompt) {
    if (prompt == nullptr) return 0;
    Keyboard keyboard;
    keyboard.cancel = 0;
    keyboard.shift = 0;
    keyboard.buttonPressed = 99;
    BuildKeyboard(&keyboard, SizesForStyle(), text, prompt);
    gtk_widget_show_all(keyboard.window);
    FocusEntryAt(keyboard.entry, -1);

    keyboard.running = true;
    gtk_main();
    // A loop ended by someone else (the program closing) is no OK.
    if (keyboard.running) {
        keyboard.running = false;
        keyboard.cancel = 1;
    }

    if (keyboard.entry != nullptr) text = gtk_entry_get_text(GTK_ENTRY(keyboard.entry));
    if (keyboard.window != nullptr) {
        // The window goes; its destroy handler must not touch the record again.
        g_signal_handlers_disconnect_by_func(keyboard.window, (gpointer)OnKeyboardDestroy,
                                             &keyboard);
        gtk_widget_destroy(keyboard.window);
    }
    return keyboard.cancel == 0 ? 1 : 0;
}
