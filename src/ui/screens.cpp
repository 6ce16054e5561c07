#include "ui/screens.h"

#include <cstdint>

#include "base/application_state.h"
#include "base/log.h"
#include "base/program_settings.h"
#include "base/screen_config.h"
#include "ui/drawing_area.h"
#include "ui/widget_helpers.h"

ScreenHandlers screenHandlers;

namespace {

// Connects a button to its handler, or leaves it insensitive when the handler
// is not part of the program yet.
void ConnectButton(GtkWidget* button, const char* signal, ButtonHandler handler, gpointer data) {
    if (handler) {
        g_signal_connect(button, signal, G_CALLBACK(handler), data);
    } else {
        gtk_widget_set_sensitive(button, FALSE);
    }
}

void ConnectViewEvents(GtkWidget* area) {
    if (screenHandlers.onViewButtonPress)
        g_signal_connect(area, "button-press-event", G_CALLBACK(screenHandlers.onViewButtonPress),
                         nullptr);
    if (screenHandlers.onViewButtonRelease)
        g_signal_connect(area, "button-release-event",
                         G_CALLBACK(screenHandlers.onViewButtonRelease), nullptr);
    if (screenHandlers.onViewButtonMotion)
        g_signal_connect(area, "motion-notify-event", G_CALLBACK(screenHandlers.onViewButtonMotion),
                         nullptr);
}

// Every screen is a fixed-position container holding one box.
GtkWidget* FixedScreen(GtkWidget* box) {
    GtkWidget* screen = gtk_fixed_new();
    gtk_fixed_put(GTK_FIXED(screen), box, 0, 0);
    return screen;
}

GtkWidget* SizedButton(const char* text, const char* font, int width, int height) {
    GtkWidget* button = gtk_button_new_with_label("");
    SetButtonFont(button, text, font);
    gtk_widget_set_size_request(button, width, height);
    return button;
}

GtkWidget* SizedToggle(const char* text, const char* font, int width, int height) {
    GtkWidget* button = gtk_toggle_button_new_with_label("");
    SetButtonFont(button, text, font);
    gtk_widget_set_size_request(button, width, height);
    return button;
}

void AddRunViewButtons() {
    if (isWidget(interface->btnPause)) gtk_widget_destroy(interface->btnPause);
    if (isWidget(interface->btnThread)) gtk_widget_destroy(interface->btnThread);

    GtkWidget* pause = SizedToggle("PAUSE", "Sans 10", view_area_width - 5, menubar_height + 15);
    GdkColor red;
    gdk_color_parse("#FF0000", &red);
    gtk_widget_modify_bg(pause, GTK_STATE_NORMAL, &red);
    gtk_widget_modify_bg(pause, GTK_STATE_PRELIGHT, &red);
    GtkWidget* thread =
        SizedButton("THREAD BREAK", "Sans 10", view_area_width / 2 - 5, menubar_height + 15);

    GtkWidget* row = gtk_hbox_new(FALSE, 2);
    gtk_widget_set_size_request(row, 319, menubar_height);
    gtk_box_pack_start(GTK_BOX(row), thread, FALSE, FALSE, 1);
    gtk_box_pack_start(GTK_BOX(row), pause, FALSE, FALSE, 1);
    gtk_box_pack_end(GTK_BOX(interface->viewPanel), row, FALSE, FALSE, 0);
    // The run starts unpaused: THREAD BREAK shows only while paused, when the
    // run control halves PAUSE to make room for it.
    gtk_widget_set_no_show_all(thread, TRUE);
    ConnectButton(pause, "toggled", screenHandlers.onBtnPauseToggled, nullptr);
    ConnectButton(thread, "clicked", screenHandlers.onBtnThreadClicked, nullptr);
    KeepWidget(&interface->btnPause, pause);
    KeepWidget(&interface->btnThread, thread);
}

}  // namespace

void clearScreen() {
    if (!interface || !isWidget(interface->currentScreen)) return;
    LogLine("destroy current screen");
    GtkWidget* screen = interface->currentScreen;
    KeepWidget(&interface->currentScreen, nullptr);
    gtk_widget_destroy(screen);
    KeepWidget(&interface->drawingArea, nullptr);
    KeepWidget(&interface->btnPause, nullptr);
    KeepWidget(&interface->btnThread, nullptr);
}

GtkWidget* createPatternViewScreen(int mode, int kind) {
    if (screenHandlers.resetRunSpeedChanges) screenHandlers.resetRunSpeedChanges();
    GtkWidget* box = gtk_vbox_new(FALSE, 0);
    gtk_widget_set_size_request(box, view_area_width, view_area_height);
    GtkWidget* area = SetDrawingArea(kind);
    KeepWidget(&interface->viewPanel, gtk_vbox_new(FALSE, 0));
    gtk_box_pack_start(GTK_BOX(box), interface->viewPanel, TRUE, TRUE, 0);
    if (area) {
        gtk_box_pack_start(GTK_BOX(interface->viewPanel), area, TRUE, TRUE, 0);
        ConnectViewEvents(area);
    }
    zoomed = 0;
    if (mode == 1) {
        DrainEvents();
        SetZoomAll();
        interface->editView = 0;
        AddRunViewButtons();
    } else {
        SetZoomAll();
        interface->editView = 1;
    }
    return FixedScreen(box);
}

GtkWidget* createTraceScreen() {
    if (screenHandlers.eraseTemporaryPattern) screenHandlers.eraseTemporaryPattern();
    GtkWidget* row = gtk_hbox_new(FALSE, 2);
    gtk_widget_set_size_request(row, view_area_width, view_area_height);
    KeepWidget(&interface->viewPanel, gtk_hbox_new(FALSE, 0));
    gtk_widget_set_size_request(interface->viewPanel, view_area_width - trace_button_width - 10,
                                view_area_height);
    GtkWidget* area = SetDrawingArea(kAreaTrace);
    if (area) gtk_box_pack_start(GTK_BOX(interface->viewPanel), area, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(row), interface->viewPanel, FALSE, FALSE, 0);

    GtkWidget* column = gtk_vbox_new(FALSE, 2);
    GtkWidget* start = SizedToggle("Start", "Sans 10", trace_button_width, trace_button_height);
    GtkWidget* save = SizedButton("Save", "Sans 10", trace_button_width, trace_button_height);
    gtk_box_pack_start(GTK_BOX(column), start, FALSE, FALSE, 2);
    gtk_box_pack_start(GTK_BOX(column), save, FALSE, FALSE, 2);
    gtk_box_pack_start(GTK_BOX(row), column, FALSE, FALSE, 2);
    ConnectButton(start, "toggled", screenHandlers.onBtnStartTraceToggled, nullptr);
    ConnectButton(save, "clicked", screenHandlers.onBtnSaveClicked, nullptr);
    return FixedScreen(row);
}

GtkWidget* createExtentsSetup(int mode) {
    GtkWidget* column = gtk_vbox_new(FALSE, 0);
    gtk_widget_set_size_request(column, view_area_width, view_area_height);
    KeepWidget(&interface->viewPanel, gtk_hbox_new(FALSE, 2));
    GtkWidget* area = SetDrawingArea(kAreaExtentsSetup);
    if (area) gtk_box_pack_start(GTK_BOX(interface->viewPanel), area, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(column), interface->viewPanel, TRUE, TRUE, 0);
    GtkWidget* screen = FixedScreen(column);
    if (screenHandlers.extentsSetupProcedure) screenHandlers.extentsSetupProcedure(mode, area);
    return screen;
}
