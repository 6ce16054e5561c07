#include "ui/screens.h"

#include <cstdint>

#include "base/application_state.h"
#include "base/log.h"
#include "base/program_settings.h"
#include "base/screen_config.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/trace_recording.h"
#include "ui/drawing_area.h"
#include "ui/extents_setup.h"
#include "ui/interface.h"
#include "ui/run_view.h"
#include "ui/trace_view.h"
#include "ui/view_interaction.h"
#include "ui/widget_helpers.h"

namespace {

void ConnectViewEvents(GtkWidget* area) {
    g_signal_connect(area, "button-press-event", G_CALLBACK(OnViewButtonPress), nullptr);
    g_signal_connect(area, "button-release-event", G_CALLBACK(OnViewButtonRelease), nullptr);
    g_signal_connect(area, "motion-notify-event", G_CALLBACK(OnViewButtonMotion), nullptr);
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
    g_signal_connect(pause, "toggled", G_CALLBACK(OnBtnPauseToggled), nullptr);
    g_signal_connect(thread, "clicked", G_CALLBACK(OnBtnThreadClicked), nullptr);
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
    speedup = slowdown = 0;  // a new view starts without speed changes
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
    EraseTemporaryPattern();
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
    g_signal_connect(start, "toggled", G_CALLBACK(OnBtnStartTraceToggled), nullptr);
    g_signal_connect(save, "clicked", G_CALLBACK(OnBtnSaveClicked), nullptr);
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
    StartExtentsProcedure(mode, area);
    return screen;
}
