// The pattern pop-up and its dialogs on a real main window: a temporary
// program folder (images, patterns), a root for the undo file, a measured box
// with placements and the scripted responder.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "base/application_state.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "pattern/pattern.h"
#include "support/run_layout.h"
#include "support/temp_dir.h"
#include "support_ui/ui_fixture.h"

class PopupTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A pattern of the given points (inches) in a free slot, at the origin,
    // with its picture for the view.
    int LoadPath(const Points& points);

    // The pop-up window on the screen, its menu, and one of its entries (a
    // "Parent/Child" label finds an entry of a sub-menu).
    GtkWidget* PopupWindow();
    GtkWidget* PopupMenu();
    GtkWidget* PopupItem(const std::string& label);
    // Activates an entry as a touch would and lets the pop-up close.
    void Choose(const std::string& label);
    void ClosePopup();

    // Whether the undo point was written.
    bool UndoWritten() const;
    void ForgetUndo() const;

    TempDir folder;  // program folder
    TempDir root;    // root of the fixed system paths
    std::unique_ptr<ScriptedResponder> responder;
    char savedDir[4096] = {};
};
