// The committed images/ folder: every picture the screens load by name is
// there and loads, and the folder is exactly what the icon generator makes.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

const std::string kImages = std::string(LONGARM_SOURCE_DIR) + "/images";

std::vector<std::string> ListFolder(const std::string& dir) {
    std::vector<std::string> names;
    if (GDir* d = g_dir_open(dir.c_str(), 0, nullptr)) {
        while (const char* n = g_dir_read_name(d))
            names.push_back(n);
        g_dir_close(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

// Every quoted picture name in the screens' sources is a committed file that
// loads (a renamed or lost icon would show as a broken image).
TEST(Images, EveryPictureTheScreensNameLoads) {
    const std::regex name("\"(?:\\./images/)?([A-Za-z0-9_-]+\\.(?:png|gif))\"");
    std::set<std::string> named;
    const std::string ui = std::string(LONGARM_SOURCE_DIR) + "/src/ui";
    for (const std::string& file : ListFolder(ui)) {
        const std::string text = ReadFileText(ui + "/" + file);
        for (auto m = std::sregex_iterator(text.begin(), text.end(), name);
             m != std::sregex_iterator(); ++m)
            named.insert((*m)[1]);
    }
    ASSERT_GT(named.size(), 40u);
    for (const std::string& n : named) {
        GError* err = nullptr;
        GdkPixbufAnimation* anim =
            gdk_pixbuf_animation_new_from_file((kImages + "/" + n).c_str(), &err);
        EXPECT_TRUE(anim) << n << ": " << (err ? err->message : "");
        if (err) g_error_free(err);
        if (anim) g_object_unref(anim);
    }
}

TEST(Images, GeneratorReproducesTheCommittedFolderExactly) {
    TempDir tmp;
    const std::string script = std::string(LONGARM_SOURCE_DIR) + "/tools/icons/draw_icons.py";
    const std::string out = tmp.File("images");
    const ProgramResult run = RunProgram({"/usr/bin/python3", script, out});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<std::string> made = ListFolder(out);
    EXPECT_EQ(made, ListFolder(kImages));
    for (const std::string& name : made) {
        const std::string a = ReadFileText(out + "/" + name);
        EXPECT_TRUE(!a.empty() && a == ReadFileText(kImages + "/" + name))
            << name << " differs from the committed file: run tools/icons/draw_icons.py";
    }
}
