// The file-manager screen: where the quilter brings drawings and pattern files
// in from the USB stick, sends them out to it, and deletes files and folders.
// From the top: the source place ("Internal", "USB", "Previews"), the chosen
// file or folder with a folder button that opens the file chooser, the
// destination place ("Internal", "USB"), the destination folder with its own
// folder button, and the "Copy" and "Delete" buttons.
//
// Every check, question and message comes from the file-manager core
// (maintenance/file_manager.h); this module keeps the two chosen places and
// the two chosen paths and hands them over. The widgets carry their names
// ("txtFilename", "txtDirName", "btnCopy", "btnDelete", "btnFileSelect",
// "btnDirSelect", "radioSrc_0".."radioSrc_2", "radioDst_0", "radioDst_1") so
// that they can be found on the screen.
#pragma once

#include <gtk/gtk.h>

// Builds the screen (view_area_width x view_area_height) with both places set
// to "Internal" and both paths unchosen ("No File Selected", "No Directory
// Selected"). Returns the screen; the screen switch packs it.
GtkWidget* CreateFileManager();

// "toggled" of the source radio buttons (data: the place, 0..2). Acts for the
// button that became active: "USB" runs the USB check and without a stick the
// choice falls back to "Internal"; "Previews" makes Copy insensitive, the other
// places sensitive. A new place forgets the chosen file, which belonged to the
// old one.
void OnRadioSourceChanged(GtkWidget* radio, gpointer place);

// "toggled" of the destination radio buttons (data: the place, 0..1): the same
// USB check and fall-back; a new place forgets the chosen folder.
void OnRadioDestinationChanged(GtkWidget* radio, gpointer place);

// The folder button of the file row: the chooser at the source folder, all
// files offered; the chosen file or folder goes into the entry.
void OnBtnFileSelectClicked(GtkWidget* button, gpointer data);

// The folder button of the destination row: the chooser at the destination
// folder offering folders only; the chosen folder goes into the entry.
void OnBtnDirSelectClicked(GtkWidget* button, gpointer data);

// "Copy": copies the chosen file or folder into the chosen folder (CopyChosen),
// with the busy cursor; a press while a copy runs is ignored.
void OnBtnCopyClicked(GtkWidget* button, gpointer data);

// "Delete": deletes the chosen file or folder (DeleteChosen); once it is gone
// the entry shows "No File Selected" again.
void OnBtnDeleteClicked(GtkWidget* button, gpointer data);

// Main menu "File Manager": the file-manager screen with the menu mask
// 0x34000BF (no pattern box yet) or 0x30000FF.
void menuMainFileManager(GtkWidget* item, void* data);
