#include "ui/file_manager_screen.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "base/application_state.h"
#include "base/screen_config.h"
#include "layout/layout_selection.h"
#include "layout/pattern_box.h"
#include "maintenance/file_manager.h"
#include "ui/file_chooser.h"
#include "ui/interface.h"
#include "ui/menu.h"
#include "ui/startup.h"
#include "ui/widget_helpers.h"

namespace {

// Menu masks of the screen, without and with pattern boxes.
constexpr uint32_t kFileManagerMaskNoBox = kScreenMaskNoBox;
constexpr uint32_t kFileManagerMaskWithBox = kScreenMaskWithBox;

// The chooser's filter for the destination: no file has this extension, so
// only folders are offered.
constexpr const char* kFoldersOnly = ".ZZZ";

constexpr int kSourceCount = 3;
constexpr int kDestinationCount = 2;
const char* const kPlaceLabels[kSourceCount] = {"Internal", "USB", "Previews"};

// The widgets of the screen on show; each falls to null when the screen goes.
struct FileManagerWidgets {
    GtkWidget* txtFilename = nullptr;
    GtkWidget* txtDirName = nullptr;
    GtkWidget* btnCopy = nullptr;
    GtkWidget* radioSrc[kSourceCount] = {};
    GtkWidget* radioDst[kDestinationCount] = {};
};

FileManagerWidgets widgets;
int radioSourceCurrentVal = 0;       // the chosen source place
int radioDestinationCurrentVal = 0;  // the chosen destination place
bool working = false;                // a copy or delete runs in a handler

bool Large() {
    return icon_style == 1;
}

// Lets go of the widgets of an earlier screen (their slots are watched until
// then, so a slot is never left to be cleared by a widget it no longer holds).
void ForgetWidgets() {
    KeepWidget(&widgets.txtFilename, nullptr);
    KeepWidget(&widgets.txtDirName, nullptr);
    KeepWidget(&widgets.btnCopy, nullptr);
    for (GtkWidget*& radio : widgets.radioSrc)
        KeepWidget(&radio, nullptr);
    for (GtkWidget*& radio : widgets.radioDst)
        KeepWidget(&radio, nullptr);
}

int Border() {
    return Large() ? 8 : 2;
}

// Height of one of the five rows: the view shared out, never below a
// fingertip.
int RowHeight() {
    return std::max(24, view_area_height / 5 - (Large() ? 8 : 2));
}

std::string EntryText(GtkWidget* entry) {
    return isWidget(entry) ? gtk_entry_get_text(GTK_ENTRY(entry)) : "";
}

// Shows a path in an entry with its end (the name) in sight.
void SetEntryText(GtkWidget* entry, const char* text) {
    if (!isWidget(entry)) return;
    gtk_entry_set_text(GTK_ENTRY(entry), text);
    gtk_editable_set_position(GTK_EDITABLE(entry), -1);
}

// The entries show chosen paths; the quilter chooses them with the folder
// buttons (there is no keyboard to type one).
GtkWidget* PathEntry(const char* name, const char* text) {
    GtkWidget* entry = gtk_entry_new();
    gtk_widget_set_name(entry, name);
    gtk_editable_set_editable(GTK_EDITABLE(entry), FALSE);
    GTK_WIDGET_UNSET_FLAGS(entry, GTK_CAN_FOCUS);
    gtk_widget_set_size_request(entry, view_area_width / 2,
                                std::min(RowHeight(), Large() ? 48 : 30));
    SetEntryText(entry, text);
    return entry;
}

// The labels of the four rows, from the top.
enum RowName { kRowSource, kRowFile, kRowDestination, kRowFolder };
const char* const kRowLabels[] = {"Source: ", "Filename:", "Destination: ", "Copy To: "};

int labelWidth = 0;  // width of the label column of the screen being built

// The label column is a fifth of the view, or wider when a label in the
// screen's font needs it (the rest of the row then shares what is left).
int LabelColumnWidth() {
    int widest = view_area_width / 5;
    for (const char* text : kRowLabels) {
        GtkWidget* label = GTK_WIDGET(g_object_ref_sink(gtk_label_new(text)));
        GtkRequisition size;
        gtk_widget_size_request(label, &size);
        widest = std::max(widest, size.width);
        gtk_widget_destroy(label);
        g_object_unref(label);
    }
    return widest;
}

GtkWidget* RowLabel(const char* text) {
    GtkWidget* label = gtk_label_new(text);
    gtk_misc_set_alignment(GTK_MISC(label), 0.0f, 0.5f);
    gtk_widget_set_size_request(label, labelWidth, -1);
    return label;
}

GtkWidget* Row(const char* labelText) {
    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    gtk_widget_set_size_request(row, -1, RowHeight());
    gtk_box_pack_start(GTK_BOX(row), RowLabel(labelText), FALSE, FALSE, 0);
    return row;
}

// A radio button drawn as a push button: a whole button is easier to hit
// with a finger than the small round mark.
GtkWidget* PlaceButton(GtkWidget* previous, const char* label, const char* name) {
    GtkWidget* radio =
        previous ? gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(previous), label)
                 : gtk_radio_button_new_with_label(nullptr, label);
    gtk_widget_set_name(radio, name);
    gtk_toggle_button_set_mode(GTK_TOGGLE_BUTTON(radio), FALSE);
    const int width = (view_area_width - labelWidth - 2 * Border()) / kSourceCount - 4;
    gtk_widget_set_size_request(radio, width, RowHeight() - 4);
    return radio;
}

// One row of place buttons; slots receives them and each "toggled" calls
// handler with its place.
GtkWidget* PlaceRow(const char* labelText, const char* namePrefix, int count, GtkWidget** slots,
                    void (*handler)(GtkWidget*, gpointer)) {
    GtkWidget* row = Row(labelText);
    GtkWidget* previous = nullptr;
    for (int place = 0; place < count; place++) {
        const std::string name = namePrefix + std::to_string(place);
        GtkWidget* radio = PlaceButton(previous, kPlaceLabels[place], name.c_str());
        gtk_box_pack_start(GTK_BOX(row), radio, FALSE, FALSE, 2);
        KeepWidget(&slots[place], radio);
        previous = radio;
    }
    // Connected once the group is whole, so building it calls no handler.
    for (int place = 0; place < count; place++)
        g_signal_connect(slots[place], "toggled", G_CALLBACK(handler), GINT_TO_POINTER(place));
    return row;
}

// The folder button of a path row: a sixth of the view wide.
GtkWidget* FolderButton(const char* name, void (*handler)(GtkWidget*, gpointer)) {
    GtkWidget* button = gtk_button_new();
    gtk_widget_set_name(button, name);
    const std::string image =
        std::string("./images/") + (Large() ? "FolderBlue.png" : "FolderBlue_5.png");
    gtk_button_set_image(GTK_BUTTON(button), gtk_image_new_from_file(image.c_str()));
    gtk_widget_set_size_request(button, view_area_width / 6, RowHeight() - 4);
    g_signal_connect(button, "clicked", G_CALLBACK(handler), nullptr);
    return button;
}

GtkWidget* PathRow(const char* labelText, GtkWidget** entrySlot, const char* entryName,
                   const char* unchosen, const char* buttonName,
                   void (*handler)(GtkWidget*, gpointer)) {
    GtkWidget* row = Row(labelText);
    KeepWidget(entrySlot, PathEntry(entryName, unchosen));
    gtk_box_pack_start(GTK_BOX(row), *entrySlot, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), FolderButton(buttonName, handler), FALSE, FALSE, 4);
    return row;
}

GtkWidget* ActionButton(const char* text, const char* name, void (*handler)(GtkWidget*, gpointer)) {
    GtkWidget* button = gtk_button_new_with_label("");
    gtk_widget_set_name(button, name);
    SetButtonFont(button, text, Large() ? "Sans 16" : "Sans 10");
    gtk_widget_set_size_request(button, view_area_width / 3, RowHeight() - (Large() ? 4 : 2));
    g_signal_connect(button, "clicked", G_CALLBACK(handler), nullptr);
    return button;
}

GtkWidget* ActionRow() {
    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    const int around = Large() ? 10 : 0;
    GtkWidget* copy = ActionButton("Copy", "btnCopy", OnBtnCopyClicked);
    KeepWidget(&widgets.btnCopy, copy);
    gtk_box_pack_start(GTK_BOX(row), copy, FALSE, FALSE, around);
    gtk_box_pack_start(GTK_BOX(row), ActionButton("Delete", "btnDelete", OnBtnDeleteClicked), FALSE,
                       FALSE, around);
    // Centred under the rows.
    GtkWidget* centre = gtk_alignment_new(0.5f, 0.5f, 0.0f, 0.0f);
    gtk_container_add(GTK_CONTAINER(centre), row);
    return centre;
}

void SetPlaceButton(GtkWidget* radio) {
    if (isWidget(radio)) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(radio), TRUE);
}

// The place that stands after the quilter pressed `place`'s button (USB only
// with a stick). Without a stick the button of "Internal" is pressed instead,
// whose own handler then takes the choice.
bool PlaceStands(int place, GtkWidget* const* radios) {
    if (ChooseFilePlace(place) == place) return true;
    SetPlaceButton(radios[kPlaceInternal]);
    return false;
}

bool BecameActive(GtkWidget* radio) {
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(radio));
}

void ShowBusy(bool busy) {
    GdkWindow* window = MainDrawable();
    if (window == nullptr) return;
    if (busy)
        SetCursorFromFile(window, kBusyCursorImage, 1);
    else
        SetCursor(window, kArrowCursor, 1);
}

}  // namespace

GtkWidget* CreateFileManager() {
    ForgetWidgets();
    radioSourceCurrentVal = kPlaceInternal;
    radioDestinationCurrentVal = kPlaceInternal;
    labelWidth = LabelColumnWidth();

    GtkWidget* column = gtk_vbox_new(FALSE, Large() ? 4 : 0);
    gtk_widget_set_size_request(column, view_area_width, view_area_height);
    gtk_container_set_border_width(GTK_CONTAINER(column), Border());
    gtk_box_pack_start(GTK_BOX(column),
                       PlaceRow(kRowLabels[kRowSource], "radioSrc_", kSourceCount, widgets.radioSrc,
                                OnRadioSourceChanged),
                       FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column),
                       PathRow(kRowLabels[kRowFile], &widgets.txtFilename, "txtFilename",
                               kNoFileSelected, "btnFileSelect", OnBtnFileSelectClicked),
                       FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column),
                       PlaceRow(kRowLabels[kRowDestination], "radioDst_", kDestinationCount,
                                widgets.radioDst, OnRadioDestinationChanged),
                       FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column),
                       PathRow(kRowLabels[kRowFolder], &widgets.txtDirName, "txtDirName",
                               kNoDirectorySelected, "btnDirSelect", OnBtnDirSelectClicked),
                       FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), ActionRow(), FALSE, FALSE, 0);

    GtkWidget* screen = gtk_fixed_new();
    gtk_fixed_put(GTK_FIXED(screen), column, 0, 0);
    return screen;
}

void OnRadioSourceChanged(GtkWidget* radio, gpointer data) {
    if (!BecameActive(radio)) return;
    const int place = GPOINTER_TO_INT(data);
    if (!PlaceStands(place, widgets.radioSrc)) return;
    if (place != radioSourceCurrentVal) SetEntryText(widgets.txtFilename, kNoFileSelected);
    radioSourceCurrentVal = place;
    if (isWidget(widgets.btnCopy))
        gtk_widget_set_sensitive(widgets.btnCopy, CopyAllowedFrom(place));
}

void OnRadioDestinationChanged(GtkWidget* radio, gpointer data) {
    if (!BecameActive(radio)) return;
    const int place = GPOINTER_TO_INT(data);
    if (!PlaceStands(place, widgets.radioDst)) return;
    if (place != radioDestinationCurrentVal) SetEntryText(widgets.txtDirName, kNoDirectorySelected);
    radioDestinationCurrentVal = place;
}

void OnBtnFileSelectClicked(GtkWidget*, gpointer) {
    const std::string folder = FilePlaceFolder(radioSourceCurrentVal);
    const std::string chosen = GetFilename(folder.c_str(), nullptr);
    if (!chosen.empty()) SetEntryText(widgets.txtFilename, chosen.c_str());
}

void OnBtnDirSelectClicked(GtkWidget*, gpointer) {
    const std::string folder = FilePlaceFolder(radioDestinationCurrentVal);
    const std::string chosen = GetFilename(folder.c_str(), kFoldersOnly);
    if (!chosen.empty()) SetEntryText(widgets.txtDirName, chosen.c_str());
}

void OnBtnCopyClicked(GtkWidget*, gpointer) {
    if (working || !CopyAllowedFrom(radioSourceCurrentVal)) return;
    working = true;
    ShowBusy(true);
    CopyChosen(EntryText(widgets.txtFilename), EntryText(widgets.txtDirName), radioSourceCurrentVal,
               radioDestinationCurrentVal);
    ShowBusy(false);
    working = false;
}

void OnBtnDeleteClicked(GtkWidget*, gpointer) {
    if (working) return;
    working = true;
    ShowBusy(true);
    if (DeleteChosen(EntryText(widgets.txtFilename), radioSourceCurrentVal))
        SetEntryText(widgets.txtFilename, kNoFileSelected);
    ShowBusy(false);
    working = false;
}

void menuMainFileManager(GtkWidget*, void*) {
    if (!interface) return;
    if (isWidget(interface->btnPause)) gtk_widget_destroy(interface->btnPause);
    ShowScreen(CreateFileManager,
               patternBoxList.count > 0 ? kFileManagerMaskWithBox : kFileManagerMaskNoBox,
               "file manager");
    ReleaseAllUI();
}
