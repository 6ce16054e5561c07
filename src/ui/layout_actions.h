// The layout actions of the menus: new, open, save and save-as of layout files,
// the set-point and the undo step, adding a pattern to the current pattern box,
// and the recovery layout loaded at start-up. InstallLayoutInterface connects
// them (and the guided procedures of the setup screen) to the screens and the
// start-up hooks; the menus call them directly.
#pragma once

#include <string>

typedef struct _GtkWidget GtkWidget;

// Installs the setup-screen procedure and expose handler,
// the start-up hooks (recovery loader, quilt-area and box queries, adding a
// pattern) and the undo / set-point menu followers. Called by start-up once
// the interface record exists, before the menus are built or after.
void InstallLayoutInterface();

// Start-up's recovery loader: loads the file with discard and quiet set and
// keeps the crash image current. Returns LoadLayout's result.
int LoadRecoveryLayout(const char* path);

// Makes the temporary pattern box of the quilt-area procedure new and empty.
// Start-up and pattern select call it before the quilt-area setup is shown.
void ResetQuiltAreaCorners();

// The characters that may not appear in a layout name removed (Save As).
std::string LayoutNameFromEntry(const std::string& entry);

// Menu handlers (item, data).
void menuMainAddPattern(GtkWidget* item, void* data);
void menuMainNewLayout(GtkWidget* item, void* data);
void menuMainLoadLayout(GtkWidget* item, void* data);
void menuEditSaveLayout(GtkWidget* item, void* data);
void menuEditSaveLayoutAs(GtkWidget* item, void* data);
void menuEditCreateSetpoint(GtkWidget* item, void* data);
void menuEditRestoreSetpoint(GtkWidget* item, void* data);
void menuEditUndo(GtkWidget* item, void* data);
