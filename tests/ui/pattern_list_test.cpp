#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "base/application_state.h"
#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "support/temp_dir.h"
#include "support_ui/ui_fixture.h"
#include "ui/pattern_files.h"

namespace {

// The rows of one level as "name" or "name/" for folders, children indented.
void Collect(GtkTreeModel* model, GtkTreeIter* parent, const std::string& indent,
             std::vector<std::string>& rows) {
    GtkTreeIter child;
    bool valid = gtk_tree_model_iter_children(model, &child, parent);
    while (valid) {
        gchar* name = nullptr;
        gboolean folder = FALSE;
        gtk_tree_model_get(model, &child, kColumnName, &name, kColumnFolder, &folder, -1);
        rows.push_back(indent + name + (folder ? "/" : ""));
        g_free(name);
        if (folder) Collect(model, &child, indent + "  ", rows);
        valid = gtk_tree_model_iter_next(model, &child);
    }
}

std::vector<std::string> Rows(GtkTreeStore* store) {
    std::vector<std::string> rows;
    Collect(GTK_TREE_MODEL(store), nullptr, "", rows);
    return rows;
}

void Touch(const std::string& path) {
    ASSERT_TRUE(WriteFileText(path, "p X0 Y0\n"));
}
void Folder(const std::string& path) {
    ASSERT_EQ(mkdir(path.c_str(), 0777), 0);
}

}  // namespace

TEST(PatternList, FoldersFirstCaseInsensitiveWithoutEmptyHiddenOrLoopingFoldersAndTheUsbDrive) {
    ASSERT_TRUE(EnsureGtk()) << "no X display for the window tests";
    TempDir dir;
    for (const char* folder : {"flowers", "flowers/Wild", "Borders", "Borders/Wide", "empty",
                               "drawings", "deep", "deep/er", ".hidden"})
        Folder(dir.File(folder));
    for (const char* file : {"zebra.qcc", "Apple.qcc", "banana.QCC", "notes.txt",
                             "flowers/Tulip.qcc", "flowers/daisy.qcc", "flowers/Wild/poppy.qcc",
                             "Borders/Wide/wave.qcc", "drawings/star.dxf", ".hidden/secret.qcc"})
        Touch(dir.File(file));

    GtkTreeStore* store = NewPatternStore();
    EXPECT_EQ(readDir(store, dir.path.c_str(), ".qcc .QCC", nullptr), 1);
    SortStore(store);
    EXPECT_EQ(Rows(store),
              (std::vector<std::string>{"Borders/", "  Wide/", "    wave.qcc", "flowers/",
                                        "  Wild/", "    poppy.qcc", "  daisy.qcc", "  Tulip.qcc",
                                        "Apple.qcc", "banana.QCC", "zebra.qcc"}));
    g_object_unref(store);

    GtkTreeStore* none = NewPatternStore();
    EXPECT_EQ(readDir(none, dir.File("empty").c_str(), ".qcc", nullptr), 0);
    EXPECT_EQ(readDir(none, dir.File("missing").c_str(), ".qcc", nullptr), 0);
    EXPECT_TRUE(Rows(none).empty());
    g_object_unref(none);

    // A folder link loop: loop/ and loop/back/loop/... down to the limit, never forever.
    TempDir looped;
    Folder(looped.File("loop"));
    Touch(looped.File("loop/a.qcc"));
    ASSERT_EQ(symlink("..", looped.File("loop/back").c_str()), 0);
    GtkTreeStore* deep = NewPatternStore();
    EXPECT_EQ(readDir(deep, looped.path.c_str(), ".qcc", nullptr), 1);
    const std::vector<std::string> rows = Rows(deep);
    EXPECT_GT(rows.size(), 2u);
    EXPECT_LE(rows.size(), static_cast<size_t>(2 * kMaxFolderDepth + 2));
    g_object_unref(deep);

    // The USB place needs the drive and says so.
    TempDir root;
    ASSERT_EQ(SetSystemRoot(root.path.c_str()), 1);
    ScriptedResponder responder;
    store = NewPatternStore();
    EXPECT_EQ(GetFiles(kPlaceUsb, store), 0);
    ASSERT_EQ(responder.shown.size(), 1u);
    EXPECT_EQ(responder.shown[0].text.rfind("USB DRIVE NOT DETECTED.", 0), 0u);
    EXPECT_TRUE(Rows(store).empty());

    // With the drive there, its drawings and patterns are listed.
    Folder(root.File("media"));
    Folder(root.File("media/usb"));
    Touch(root.File("media/usb/b.DXF"));
    Touch(root.File("media/usb/a.qli"));
    Touch(root.File("media/usb/c.txt"));
    EXPECT_EQ(GetFiles(kPlaceUsb, store), 1);
    EXPECT_EQ(Rows(store), (std::vector<std::string>{"a.qli", "b.DXF"}));
    EXPECT_EQ(responder.shown.size(), 1u);
    g_object_unref(store);
    SetSystemRoot(nullptr);
}
