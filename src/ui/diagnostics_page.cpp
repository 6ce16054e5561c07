#include "ui/diagnostics_page.h"

#include <algorithm>
#include <cstdint>

#include "base/screen_config.h"
#include "base/timers.h"
#include "machine/stitching/motor_diagnostics.h"
#include "ui/menu.h"
#include "ui/setup_pages.h"
#include "ui/widget_helpers.h"

namespace {

constexpr int kWaitStepUs = 10000;  // between event drains while a test waits

int running = 0;
GtkWidget* testButtons = nullptr;  // the row of the four buttons

void SetText(void* buffer, const char* text) {
    gtk_text_buffer_set_text(GTK_TEXT_BUFFER(buffer), text, -1);
}

void AppendText(void* buffer, const char* text) {
    GtkTextIter end;
    gtk_text_buffer_get_end_iter(GTK_TEXT_BUFFER(buffer), &end);
    gtk_text_buffer_insert(GTK_TEXT_BUFFER(buffer), &end, text, -1);
}

// Waits with the screen alive, so the report is drawn while a button is held.
void WaitDrawing(void*, int milliseconds) {
    const int64_t end = MonotonicMs() + milliseconds;
    while (MonotonicMs() < end) {
        DrainEvents();
        SleepMicroseconds(kWaitStepUs);
    }
}

// Runs one test on the page's buffer. The buffer is held for the whole test:
// the quilter may leave the page while the test drains events, and the test
// still writes to it. Nothing else can act on the machine meanwhile.
void RunTest(gpointer data, void (*test)(const DiagnosticsReport&)) {
    if (running || data == nullptr) return;
    running = 1;
    GtkTextBuffer* buffer = GTK_TEXT_BUFFER(g_object_ref(data));
    const uint32_t mask = MenuStateMask();
    SetMenuStateMask(0);
    if (isWidget(testButtons)) gtk_widget_set_sensitive(testButtons, FALSE);

    DiagnosticsReport report;
    report.setText = SetText;
    report.appendText = AppendText;
    report.wait = WaitDrawing;
    report.context = buffer;
    test(report);

    if (isWidget(testButtons)) gtk_widget_set_sensitive(testButtons, TRUE);
    SetMenuStateMask(mask);
    g_object_unref(buffer);
    running = 0;
}

}  // namespace

GtkWidget* createDiagScreen() {
    const int height = std::min(view_area_height - 40, SetupNotebookHeight() - 40);
    GtkWidget* column = gtk_vbox_new(FALSE, 2);
    gtk_widget_set_size_request(column, view_area_width - 10, height);

    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_ALWAYS);
    GtkWidget* text = gtk_text_view_new();
    gtk_text_view_set_editable(GTK_TEXT_VIEW(text), FALSE);
    gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(text), FALSE);
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(text));
    gtk_text_buffer_set_text(buffer, kDiagnosticsIntro, -1);
    gtk_container_add(GTK_CONTAINER(scrolled), text);
    gtk_box_pack_start(GTK_BOX(column), scrolled, TRUE, TRUE, 0);

    const bool large = icon_style == 1;
    GtkWidget* row = gtk_hbox_new(TRUE, large ? 2 : 0);
    struct Test {
        const char* label;
        void (*handler)(GtkWidget*, gpointer);
    } tests[] = {{"TEST ALL", OnBtnTestAllClicked},
                 {"TEST X", OnBtnTestXClicked},
                 {"TEST Y", OnBtnTestYClicked},
                 {"PORT D", OnBtnTestPortDClicked}};
    for (const Test& test : tests) {
        GtkWidget* button = gtk_button_new_with_label("");
        SetButtonFont(button, test.label, SetupFont());
        gtk_widget_set_size_request(button, -1, large ? setup_button_height : 30);
        gtk_box_pack_start(GTK_BOX(row), button, TRUE, TRUE, large ? 2 : 0);
        g_signal_connect(button, "clicked", G_CALLBACK(test.handler), buffer);
    }
    KeepWidget(&testButtons, row);
    gtk_box_pack_start(GTK_BOX(column), row, FALSE, FALSE, 0);
    return column;
}

void createDiagnosticsScreen(GtkWidget* notebook) {
    AppendSetupPage(notebook, createDiagScreen(), "Test");
}

void OnBtnTestAllClicked(GtkWidget*, gpointer buffer) {
    RunTest(buffer, [](const DiagnosticsReport& report) { TestAllMotors(report); });
}

void OnBtnTestXClicked(GtkWidget*, gpointer buffer) {
    RunTest(buffer, [](const DiagnosticsReport& report) { TestXMotor(report); });
}

void OnBtnTestYClicked(GtkWidget*, gpointer buffer) {
    RunTest(buffer, [](const DiagnosticsReport& report) { TestYMotor(report); });
}

void OnBtnTestPortDClicked(GtkWidget*, gpointer buffer) {
    RunTest(buffer, TestStitcherButtons);
}

int DiagnosticsRunning() {
    return running;
}
