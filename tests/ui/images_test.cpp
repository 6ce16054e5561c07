// The committed images/ folder: every picture the screens load by name is
// there and loads, and the folder is exactly what the icon generator makes.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

const std::string kImages = LONGARM_SOURCE_DIR "/images";

std::set<std::string> ListFolder(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

// Every quoted picture name in the screens' sources is a committed file that
// loads (a renamed or lost icon would show as a broken image).
TEST(Images, EveryPictureTheScreensNameLoads) {
    const std::regex name("\"(?:\\./images/)?([A-Za-z0-9_-]+\\.(?:png|gif))\"");
    std::set<std::string> named;
    for (const std::string& file : ListFolder(LONGARM_SOURCE_DIR "/src/ui")) {
        const std::string text = ReadFileText(LONGARM_SOURCE_DIR "/src/ui/" + file);
        for (auto m = std::sregex_iterator(text.begin(), text.end(), name);
             m != std::sregex_iterator(); ++m)
            named.insert((*m)[1]);
    }
    ASSERT_GT(named.size(), 40u);
    for (const std::string& n : named) {
        GdkPixbufAnimation* anim =
            gdk_pixbuf_animation_new_from_file((kImages + "/" + n).c_str(), nullptr);
        EXPECT_TRUE(anim) << n;
        if (anim) g_object_unref(anim);
    }
}

TEST(Images, GeneratorReproducesTheCommittedFolderExactly) {
    TempDir tmp;
    const ProgramResult run = RunProgram(
        {"/usr/bin/python3", LONGARM_SOURCE_DIR "/tools/icons/draw_icons.py", tmp.File("images")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(ListFolder(tmp.File("images")), ListFolder(kImages));
    for (const std::string& name : ListFolder(tmp.File("images"))) {
        const std::string made = ReadFileText(tmp.File("images/" + name));
        EXPECT_TRUE(!made.empty() && made == ReadFileText(kImages + "/" + name))
            << name << " differs from the committed file: run tools/icons/draw_icons.py";
    }
}

}  // namespace
