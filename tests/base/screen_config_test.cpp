#include "base/screen_config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "support/temp_dir.h"

namespace {

// Parses text written to a fresh screen.conf.
void ParseText(const std::string& text) {
    TempDir dir;
    ASSERT_TRUE(WriteFileText(dir.File("screen.conf"), text));
    ASSERT_EQ(ParseConfigFile(dir.File("screen.conf").c_str()), 1);
}

// Every size of the file with its key, in its table order, then the derived ones.
// clang-format off
#define SIZE(name) {#name, &name}
const std::pair<const char*, int*> kKeys[] = {
    SIZE(screen_width), SIZE(screen_height), SIZE(screen_LM), SIZE(screen_RM), SIZE(screen_TM),
    SIZE(screen_BM), SIZE(menubar_width), SIZE(menubar_height), SIZE(pop_menu_x), SIZE(pop_menu_y),
    SIZE(pattern_list_width), SIZE(pattern_list_height), SIZE(pattern_preview_width),
    SIZE(pattern_preview_height), SIZE(pattern_select_width), SIZE(pattern_select_height),
    SIZE(pattern_select_button_width), SIZE(pattern_select_button_height),
    SIZE(trace_button_width), SIZE(trace_button_height), SIZE(toolbar_button_size),
    SIZE(confirm_button_size), SIZE(icon_style), SIZE(setup_button_width),
    SIZE(setup_button_height), SIZE(setup_slider_width), SIZE(setup_slider_height),
    SIZE(setup_spinbox_width), SIZE(setup_spinbox_height), SIZE(scale_dialog_width),
    SIZE(scale_dialog_height), SIZE(number_entry_width), SIZE(number_entry_height),
    SIZE(special_message_width), SIZE(special_message_height), SIZE(message_width),
    SIZE(message_height), SIZE(file_selection_width), SIZE(file_selection_height),
    SIZE(array_dialog_width), SIZE(array_dialog_height),
    SIZE(view_area_width), SIZE(view_area_height), SIZE(toolbar_width), SIZE(toolbar_height)};
// clang-format on
#undef SIZE
constexpr size_t kFileKeys = 41;

std::vector<int> Sizes() {
    std::vector<int> sizes;
    for (const auto& key : kKeys)
        sizes.push_back(*key.second);
    return sizes;
}

void ExpectDefaults(const char* what) {
    EXPECT_EQ(Sizes(), std::vector<int>({320, 240, 2,   2,   2,   2,   160, 40,  225, 0,   170, 195,
                                         140, 80,  140, 195, 50,  50,  60,  30,  30,  32,  0,   155,
                                         50,  60,  115, 80,  22,  320, 240, 320, 240, 320, 240, 320,
                                         240, 320, 240, 300, 240, 320, 200, 160, 40}))
        << what;
    EXPECT_STREQ(GtkStyleFile(), "./gtkrc_5") << what;
}

TEST(ScreenConfig, MissingEmptyPackagedOrFolderFileGivesTheDefaultsAndEveryKeyIsRead) {
    TempDir dir;
    screen_width = message_height = 7;
    EXPECT_EQ(ParseConfigFile(dir.File("absent.conf").c_str()), 0);
    ExpectDefaults("absent");
    screen_width = 1;
    ParseText("");
    ExpectDefaults("empty");
    screen_width = 1;  // the package installs a screen.conf that spells the defaults out
    EXPECT_EQ(ParseConfigFile(LONGARM_SOURCE_DIR "/packaging/screen.conf"), 1);
    ExpectDefaults("packaged");
    screen_width = 5;
    ParseConfigFile(dir.path.c_str());
    ExpectDefaults("folder");
    std::string text;
    std::vector<int> expected;
    for (size_t i = 0; i < kFileKeys; ++i) {
        expected.push_back(i == 22 ? 1 : static_cast<int>(i) + 1);  // icon_style 1
        text += std::string(kKeys[i].first) + " = " + std::to_string(expected.back()) + "\n";
    }
    ParseText(text);
    // A screen shorter than the menu row leaves no view area rather than a negative one.
    expected.insert(expected.end(), {1, 0, 0, 8});
    EXPECT_EQ(Sizes(), expected);
    EXPECT_STREQ(GtkStyleFile(), "./gtkrc");
}

// Each parse starts again from the defaults; the pop-up position follows the
// width unless the file gives it. Unknown keys, unreadable or insane numbers and
// over-long keys and lines do not disturb the other entries.
TEST(ScreenConfig, EachTextGivesItsSizesAndBinaryOrHugeFilesSaneOnes) {
    std::string edge = "message_width = 8192";  // the longest line read, the largest size
    edge += std::string(255 - edge.size(), ' ') + "\n";
    const std::pair<std::string, const char*> cases[] = {
        {"screen_width = 800\n",
         "screen_width=800 pop_menu_x=705 view_area_width=800 toolbar_width=640 "
         "view_area_height=200"},
        {"pop_menu_x = 17\nscreen_width = 800\nscreen_height = 480\nmenubar_height = 60\n",
         "pop_menu_x=17 view_area_height=420 toolbar_height=60"},
        {"colour = 7\nscreen_height = tall\nSCREEN_WIDTH = 1\nmessage_width = 12x\n"
         "message_height = 99999999999999999999\nmenubar_width = -3\nscreen_LM = 9000\n= 5\n"
         "pattern_list_width\npattern_list_height 70\ngarbage \x01\x02\xff = = 3\n"
         "   setup_button_width\t=\t99   # wider buttons\r\npop_menu_y = -12\nscreen_width = 640\n",
         "screen_height=240 message_width=320 message_height=240 menubar_width=160 screen_LM=2 "
         "pattern_list_width=170 pattern_list_height=195 setup_button_width=99 pop_menu_y=-12 "
         "screen_width=640 pop_menu_x=545"},
        {std::string(kMaxConfigKeyLength + 1, 'k') + " = 5\nscreen_width" + std::string(600, 'x') +
             " = 1\nscreen_height = 480" + std::string(300, ' ') + "junk\n" + edge,
         "screen_width=320 screen_height=240 message_width=8192"},
        {"Icon_style = 1\nicon_style = x\n", "icon_style=0"},
        {"icon_style=1", "icon_style=1"},
    };
    for (const auto& [text, sizes] : cases) {
        ParseText(text);
        std::istringstream words(sizes);
        for (std::string word; words >> word;) {
            const std::string name = word.substr(0, word.find('='));
            const auto key = std::find_if(std::begin(kKeys), std::end(kKeys),
                                          [&](const auto& k) { return name == k.first; });
            ASSERT_NE(key, std::end(kKeys)) << name;
            EXPECT_EQ(std::to_string(*key->second), word.substr(name.size() + 1)) << text;
        }
    }

    // Binary and huge files start with sane values.
    std::string binary;
    for (int i = 0; i < 70000; ++i)
        binary.push_back(static_cast<char>((i * 7919) % 256));
    ParseText(binary);
    EXPECT_GE(screen_width, 0);
    EXPECT_LE(screen_width, 8192);
    ParseText(std::string(5000, '\n') + "screen_width = 1024\n");  // only 4096 lines are read
    EXPECT_EQ(screen_width, 320);
    ParseText(std::string(4095, '\n') + "screen_width = 1024\n");
    EXPECT_EQ(screen_width, 1024);
}

}  // namespace
