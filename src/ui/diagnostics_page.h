// The setup screen's Test page: the motor diagnostics with their report text
// and the buttons "TEST ALL", "TEST X", "TEST Y" and "PORT D". The tests
// themselves are core code (motor_diagnostics); the page gives them its text
// buffer to write to and keeps the screen alive while they run.
#pragma once

#include <gtk/gtk.h>

// The page's content: a read-only text view starting with the diagnostics
// intro, and the row of the four test buttons, each given the text buffer.
GtkWidget* createDiagScreen();

// Adds the Test page to the setup notebook.
void createDiagnosticsScreen(GtkWidget* notebook);

// The buttons' handlers; data is the page's text buffer. While a test runs the
// buttons, the menus and the toolbar take no touches, and the text buffer stays
// alive even when the page is left.
void OnBtnTestAllClicked(GtkWidget* button, gpointer buffer);
void OnBtnTestXClicked(GtkWidget* button, gpointer buffer);
void OnBtnTestYClicked(GtkWidget* button, gpointer buffer);
void OnBtnTestPortDClicked(GtkWidget* button, gpointer buffer);

// 1 while a test runs.
int DiagnosticsRunning();
