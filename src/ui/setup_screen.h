// The setup screen: a notebook of six pages on which the technician tunes and
// tests the machine — "Updates", "Parameters", "Constants", "Test",
// "Advanced" and "Configuration". It is built afresh, with fresh queries to
// the board, every time the main menu's "Setup" opens it. The Configuration
// page asks for a password once per visit.
#pragma once

#include <gtk/gtk.h>

// Page indexes of the notebook.
enum SetupPage {
    kPageUpdates = 0,
    kPageParameters = 1,
    kPageConstants = 2,
    kPageTest = 3,
    kPageAdvanced = 4,
    kPageConfiguration = 5,
};

// The word that opens the Configuration page.
constexpr const char* kSetupPassword = "tessel";
// Delay before a refused password turns the notebook back to its first page.
constexpr int kPasswordRefusedMs = 25;

// 1 once the Configuration page's password was given; 0 whenever the screen
// is built.
extern int passwordGiven;

// Builds the notebook with its six pages (the setup-screen signal and the
// queries to the board included) and returns the screen; the screen switch
// packs it. The notebook is kept as the interface record's setupNotebook.
GtkWidget* createSetupScreen();

// The main menu's "Setup": shows the setup screen with the menu mask
// 0x34000BF (no pattern box yet) or 0x30000FF.
void menuMainSetup(GtkWidget* item, void* data);

// Page switches of the notebook: switching to the Configuration page without
// the password asks for it on the keyboard ("PASSWORD:"); a wrong word or
// Cancel schedules NBTimer once.
void OnNotebookChanged(GtkNotebook* notebook, GtkNotebookPage* page, guint index, gpointer data);

// Turns the notebook back to the Updates page (if it still exists). Returns
// FALSE: it runs once.
gboolean NBTimer(gpointer data);

// The Updates page's buttons.
void OnBtnSystemUpdateClicked(GtkWidget* button, gpointer data);   // "Update System"
void OnBtnCopyProgramClicked(GtkWidget* button, gpointer data);    // "Update Program"
void OnBtnMotorFirmwareClicked(GtkWidget* button, gpointer data);  // "Update Robot"
void OnBtnAboutClicked(GtkWidget* button, gpointer data);          // "System Info"
void OnBtnReverseClicked(GtkWidget* button, gpointer data);        // motor direction
void OnBtnResetCalClicked(GtkWidget* button, gpointer data);       // "Calibrate Screen"

// The motor-direction button's label for a direction byte.
const char* MotorDirectionLabel(unsigned char direction);
