#include "ui/setup_pages.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/setup_values.h"
#include "base/application_state.h"
#include "base/defaults_file.h"
#include "base/log.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "machine/machine_parameters.h"
#include "machine/mc1_commands.h"
#include "ui/widget_helpers.h"

int32_t floaters[8] = {100, 100, 100, 100, 100, 100, 100, 100};

namespace {

constexpr int32_t kConstantsUnread = 100;

// floaters index of each board constant, in entry-code order '0'-'7'
// (XKp, YKp, TOut, Err, XKi, YKi, XKd, YKd).
constexpr int kFloaterOfCode[8] = {kConstXKp, kConstYKp, kConstTOut, kConstErr,
                                   kConstXKi, kConstYKi, kConstXKd,  kConstYKd};

// One slider of the Parameters page.
struct SliderSpec {
    const char* label;
    char code;
    double low, high, step;
};

const SliderSpec kSliders[] = {
    {"Length", kFieldLength, 5, 20, 1},      {"Max Speed", kFieldMaxSpeed, 10, 100, 10},
    {"Min Speed", kFieldMinSpeed, 1, 10, 1}, {"Lock", kFieldLock, 0, 10, 1},
    {"Needle", kFieldNeedle, 1, 10, 1},
};

GtkWidget* sldrSpeed = nullptr;  // "Max Speed", which snaps to the speed after every release

// The slider whose release is being applied, once the slider has finished
// with the release itself (it moves its value to the release point).
GtkWidget* releasedSlider = nullptr;
char releasedCode = 0;

void ShowSliderValue(GtkWidget* slider, double value) {
    if (isWidget(slider)) gtk_range_set_value(GTK_RANGE(slider), value);
}

gboolean ApplyReleasedSlider(gpointer) {
    GtkWidget* slider = releasedSlider;
    KeepWidget(&releasedSlider, nullptr);
    if (!isWidget(slider)) return FALSE;
    double shown = 0;
    const int result =
        ApplySliderValue(releasedCode, gtk_range_get_value(GTK_RANGE(slider)), &shown);
    ShowSliderValue(slider, shown);
    ShowSliderValue(sldrSpeed, Machine().speed);
    if (result == kValueBoardSilent) ShowMessage(kMessageWarning, kButtonsOk, kBoardSilentText);
    return FALSE;
}

GtkWidget* NewSlider(const SliderSpec& def) {
    GtkWidget* slider = gtk_vscale_new_with_range(def.low, def.high, def.step);
    gtk_range_set_inverted(GTK_RANGE(slider), TRUE);  // the maximum at the top
    gtk_scale_set_digits(GTK_SCALE(slider), 0);
    gtk_range_set_value(GTK_RANGE(slider), SliderValue(def.code));
    gtk_widget_set_size_request(slider, setup_slider_width, setup_slider_height);
    g_signal_connect(slider, "button-release-event", G_CALLBACK(OnPIDSliderReleased),
                     GINT_TO_POINTER(def.code));
    return slider;
}

}  // namespace

void ReadSetupConstants() {
    int32_t values[8] = {};
    if (GetConstants(values) == 0) {
        std::copy(values, values + 8, floaters);
    } else {
        std::fill(floaters, floaters + 8, kConstantsUnread);
    }
}

const char* SetupFont() {
    return icon_style == 1 ? "Sans 14" : "Sans 10";
}

const char* SetupLabelFont() {
    // Two label and entry pairs share a row: the small screen needs small labels.
    return icon_style == 1 ? "Sans 14" : "Sans 8";
}

int SetupNotebookHeight() {
    return view_area_height - 2 - 4;  // the screen is packed with 2 pixels above and below
}

void AppendSetupPage(GtkWidget* notebook, GtkWidget* child, const char* title) {
    GtkWidget* tab = gtk_label_new("");
    char* markup = g_markup_printf_escaped("<span font_desc=\"%s\">%s</span>",
                                           icon_style == 1 ? "Sans 14" : "Sans 7", title);
    gtk_label_set_markup(GTK_LABEL(tab), markup);
    g_free(markup);
    GtkWidget* frame = gtk_alignment_new(0.5f, 0.0f, 0.0f, 0.0f);
    gtk_alignment_set_padding(GTK_ALIGNMENT(frame), icon_style == 1 ? 10 : 3, 0, 0, 0);
    gtk_container_add(GTK_CONTAINER(frame), child);
    gtk_notebook_append_page(GTK_NOTEBOOK(notebook), frame, tab);
}

GtkWidget* SetupLabel(const char* text) {
    GtkWidget* label = gtk_label_new("");
    char* markup =
        g_markup_printf_escaped("<span font_desc=\"%s\">%s</span>", SetupLabelFont(), text);
    gtk_label_set_markup(GTK_LABEL(label), markup);
    g_free(markup);
    gtk_misc_set_alignment(GTK_MISC(label), 1.0f, 0.5f);
    return label;
}

GtkWidget* SetupEntry(char code, const char* text) {
    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_text(GTK_ENTRY(entry), text);
    gtk_editable_set_editable(GTK_EDITABLE(entry), FALSE);  // typed on the number pad only
    gtk_widget_set_can_focus(entry, FALSE);                 // so no text cursor blinks in it
    gtk_widget_set_size_request(entry, setup_spinbox_width,
                                std::max(setup_spinbox_height, TouchTargetPixels()));
    g_signal_connect(entry, "button-release-event", G_CALLBACK(OnTxtEntryReleased),
                     GINT_TO_POINTER(code));
    return entry;
}

void SetupEntryText(char code, char* text, int size) {
    if (code >= '0' && code <= '7') {
        std::snprintf(text, size, "%d", floaters[kFloaterOfCode[code - '0']]);
        return;
    }
    double value = EntryValue(code);
    if (code == kFieldJumpStitch) {
        float stored = Machine().jumpStitch;  // the page shows what the file holds
        if (ReadDefaultFloat(kSlotJumpStitch, &stored)) value = std::clamp(stored, 0.0f, 200.0f);
    }
    std::snprintf(text, size, "%s", FormatEntryValue(code, value).c_str());
}

void AttachEntryPairs(GtkWidget* table, int row, const EntryCell* cells, int count,
                      GtkWidget** entries, GtkWidget** labels) {
    for (int i = 0; i < count; i++) {
        const int r = row + i / 2, c = 2 * (i % 2);
        char text[64];
        SetupEntryText(cells[i].code, text, sizeof text);
        GtkWidget* entry = SetupEntry(cells[i].code, text);
        GtkWidget* label = SetupLabel(cells[i].label);
        gtk_table_attach(GTK_TABLE(table), label, c, c + 1, r, r + 1, GTK_FILL, GTK_SHRINK, 0, 0);
        gtk_table_attach(GTK_TABLE(table), entry, c + 1, c + 2, r, r + 1, GTK_SHRINK, GTK_SHRINK, 0,
                         0);
        if (entries) entries[i] = entry;
        if (labels) labels[i] = label;
    }
}

void createUserSetupScreen(GtkWidget* notebook) {
    GetStitchSettingsForSetup();
    GetSlowSetting();
    Log(" stitchLen = %d\nspeed = %d\nminSpeed = %d\nstitchRep = %d\n", Machine().stitchLen,
        Machine().speed, Machine().minimumSpeed, Machine().stitchRep);

    const int count = static_cast<int>(sizeof kSliders / sizeof kSliders[0]);
    GtkWidget* table = gtk_table_new(2, count, FALSE);
    gtk_table_set_col_spacings(GTK_TABLE(table), icon_style == 1 ? 10 : 2);
    for (int i = 0; i < count; i++) {
        // A label wider than its slider wraps ("Max Speed" on two lines).
        GtkWidget* label = SetupLabel(kSliders[i].label);
        gtk_misc_set_alignment(GTK_MISC(label), 0.5f, 1.0f);
        gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
        gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
        // Narrower than the slider, so that neighbouring labels never touch.
        gtk_widget_set_size_request(label, std::max(20, setup_slider_width - 8), -1);
        GtkWidget* slider = NewSlider(kSliders[i]);
        if (kSliders[i].code == kFieldMaxSpeed) KeepWidget(&sldrSpeed, slider);
        gtk_table_attach(GTK_TABLE(table), label, i, i + 1, 0, 1, GTK_FILL, GTK_FILL, 0, 2);
        gtk_table_attach(GTK_TABLE(table), slider, i, i + 1, 1, 2, GTK_SHRINK, GTK_SHRINK, 0, 0);
    }
    AppendSetupPage(notebook, table, "Parameters");
}

void createConstantsSetupScreen(GtkWidget* notebook) {
    static const EntryCell kCells[] = {
        {"X Power", '0'},
        {"Y Power", '1'},
        {"Time Out", '2'},
        {"E. Stop", '3'},
        {"Margin", kFieldXMargin},
        {"Jump Stitch", kFieldJumpStitch},
        {"Acceleration", kFieldAcceleration},
        {"Curvature", kFieldCurvature},
        {"Lead Line", kFieldLeadLine},
        {"Increment", kFieldIncrement},
    };
    GtkWidget* table = gtk_table_new(5, 4, FALSE);
    gtk_table_set_row_spacings(GTK_TABLE(table), icon_style == 1 ? 8 : 3);
    gtk_table_set_col_spacings(GTK_TABLE(table), icon_style == 1 ? 10 : 3);
    AttachEntryPairs(table, 0, kCells, 10, nullptr, nullptr);
    AppendSetupPage(notebook, table, "Constants");
}

gboolean OnTxtEntryReleased(GtkWidget* entry, GdkEventButton*, gpointer data) {
    const char code = static_cast<char>(GPOINTER_TO_INT(data));
    const std::string former = gtk_entry_get_text(GTK_ENTRY(entry));
    const double value = NumberEntry(former.c_str(), 1, 0);
    std::string shown;
    const int result =
        ApplyEntryValue(code, value, g_ascii_strtod(former.c_str(), nullptr), &shown);
    if (isWidget(entry)) gtk_entry_set_text(GTK_ENTRY(entry), shown.c_str());
    if (result == kValueBoardSilent) ShowMessage(kMessageWarning, kButtonsOk, kBoardSilentText);
    return FALSE;
}

gboolean OnPIDSliderReleased(GtkWidget* slider, GdkEventButton*, gpointer data) {
    KeepWidget(&releasedSlider, slider);
    releasedCode = static_cast<char>(GPOINTER_TO_INT(data));
    g_idle_add(ApplyReleasedSlider, nullptr);
    return FALSE;
}
