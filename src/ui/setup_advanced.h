// The Advanced and Configuration pages of the setup screen: the remaining
// gains, the machine type with its stitcher timings, "Restart", "Factory
// Defaults", the toolbar's stitch buttons, and "Show Advanced Features" with
// everything it shows and hides.
#pragma once

#include <gtk/gtk.h>

// Re-arm flags (1 at start). The page clears one just before it changes its
// own control, so that the one notification caused by that change is ignored;
// a handler whose flag is 0 only sets it back to 1.
extern int needleUpCallbackOn;            // the machine-type list
extern int SetNeedleUpConfirmCallbackOn;  // the "Stitch Btns" box
extern int advancedCheckBoxCallbackOn;    // the "Show Advanced Features" box

// Fill the Advanced page and the Configuration page.
void createAdvancedScreen(GtkWidget* notebook);
void createConfigurationScreen(GtkWidget* notebook);

// The Configuration page's content: the "Show Advanced Features" box.
GtkWidget* createConfigScreen();

// "changed" of the machine-type list: asks, then presets the stitcher timings
// of the chosen type and refills the page; Cancel puts the list back.
void OnNeedleUpChanged(GtkComboBox* list, gpointer data);

// "toggled" of "Confirm Needle Up": needleUpConfirm and its slot.
void SetNeedleUpConfirm(GtkToggleButton* box, gpointer data);

// "toggled" of "Stitch Btns": asks, then shows or hides the toolbar's stitch
// buttons and stores stitchButtonsOn; No puts the box back.
void SetDebugBtnsOn(GtkToggleButton* box, gpointer data);

// "clicked" of "Show Advanced Features": the advanced menu entries, the Stitch
// menu, the toolbar's stitch buttons and the Advanced page's rows follow it.
void ShowAdvancedFeatures(GtkWidget* box, gpointer data);

// "Factory Defaults": the factory reset, then the menus, toolbar and setup
// screen follow the factory settings.
void OnBtnResetDefaultsClicked(GtkWidget* button, gpointer data);
