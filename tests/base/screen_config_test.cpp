#include "base/screen_config.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/temp_dir.h"

namespace {

// Parses text written to a fresh screen.conf.
void ParseText(const std::string& text) {
    TempDir dir;
    std::string path = dir.File("screen.conf");
    ASSERT_TRUE(WriteFileText(path, text));
    ASSERT_EQ(ParseConfigFile(path.c_str()), 1);
}

// Every size of the file in its table order, then the four derived ones.
std::vector<int> Sizes() {
    // clang-format off
    return {screen_width, screen_height, screen_LM, screen_RM, screen_TM, screen_BM,
            menubar_width, menubar_height, pop_menu_x, pop_menu_y, pattern_list_width,
            pattern_list_height, pattern_preview_width, pattern_preview_height,
            pattern_select_width, pattern_select_height, pattern_select_button_width,
            pattern_select_button_height, trace_button_width, trace_button_height,
            toolbar_button_size, confirm_button_size, icon_style, setup_button_width,
            setup_button_height, setup_slider_width, setup_slider_height, setup_spinbox_width,
            setup_spinbox_height, scale_dialog_width, scale_dialog_height, number_entry_width,
            number_entry_height, special_message_width, special_message_height, message_width,
            message_height, file_selection_width, file_selection_height, array_dialog_width,
            array_dialog_height,
            view_area_width, view_area_height, toolbar_width, toolbar_height};
    // clang-format on
}

void ExpectDefaults() {
    // clang-format off
    EXPECT_EQ(Sizes(), std::vector<int>({320, 240, 2, 2, 2, 2, 160, 40, 225, 0, 170, 195, 140, 80,
                                         140, 195, 50, 50, 60, 30, 30, 32, 0, 155, 50, 60, 115, 80,
                                         22, 320, 240, 320, 240, 320, 240, 320, 240, 320, 240, 300,
                                         240, 320, 200, 160, 40}));
    // clang-format on
    EXPECT_STREQ(GtkStyleFile(), "./gtkrc_5");
}

TEST(ScreenConfig, MissingEmptyPackagedOrFolderFileGivesExactlyTheDefaults) {
    TempDir dir;
    screen_width = 1;
    message_height = 7;
    EXPECT_EQ(ParseConfigFile(dir.File("absent.conf").c_str()), 0);
    ExpectDefaults();

    screen_width = 1;
    ParseText("");
    ExpectDefaults();

    // The package installs a screen.conf that spells the defaults out.
    screen_width = 1;
    EXPECT_EQ(ParseConfigFile(LONGARM_SOURCE_DIR "/packaging/screen.conf"), 1);
    ExpectDefaults();

    screen_width = 5;  // a folder in place of the file
    ParseConfigFile(dir.path.c_str());
    ExpectDefaults();
}

TEST(ScreenConfig, WidthAloneDerivesPopUpViewAndToolbar) {
    ParseText("screen_width = 800\n");
    EXPECT_EQ(screen_width, 800);
    EXPECT_EQ(pop_menu_x, 705);
    EXPECT_EQ(view_area_width, 800);
    EXPECT_EQ(toolbar_width, 640);
    EXPECT_EQ(view_area_height, 200);
}

TEST(ScreenConfig, GivenPopUpPositionIsKeptWhereverItStands) {
    ParseText("pop_menu_x = 17\nscreen_width = 800\nscreen_height = 480\nmenubar_height = 60\n");
    EXPECT_EQ(pop_menu_x, 17);
    EXPECT_EQ(view_area_height, 420);
    EXPECT_EQ(toolbar_height, 60);

    // A second parse starts again from the defaults: the position follows the width.
    ParseText("screen_width = 800\n");
    EXPECT_EQ(pop_menu_x, 705);
}

TEST(ScreenConfig, EveryKeyOfTheTableIsRead) {
    ParseText(
        "screen_width = 1\nscreen_height = 2\nscreen_LM = 3\nscreen_RM = 4\nscreen_TM = 5\n"
        "screen_BM = 6\nmenubar_width = 7\nmenubar_height = 8\npop_menu_x = 9\npop_menu_y = 10\n"
        "pattern_list_width = 11\npattern_list_height = 12\npattern_preview_width = 13\n"
        "pattern_preview_height = 14\npattern_select_width = 15\npattern_select_height = 16\n"
        "pattern_select_button_width = 17\npattern_select_button_height = 18\n"
        "trace_button_width = 19\ntrace_button_height = 20\ntoolbar_button_size = 21\n"
        "confirm_button_size = 22\nicon_style = 1\nsetup_button_width = 24\n"
        "setup_button_height = 25\nsetup_slider_width = 26\nsetup_slider_height = 27\n"
        "setup_spinbox_width = 28\nsetup_spinbox_height = 29\nscale_dialog_width = 30\n"
        "scale_dialog_height = 31\nnumber_entry_width = 32\nnumber_entry_height = 33\n"
        "special_message_width = 34\nspecial_message_height = 35\nmessage_width = 36\n"
        "message_height = 37\nfile_selection_width = 38\nfile_selection_height = 39\n"
        "array_dialog_width = 40\narray_dialog_height = 41\n");
    std::vector<int> expected(41);
    for (int i = 0; i < 41; ++i)
        expected[i] = i + 1;
    expected[22] = 1;  // icon_style
    // A screen shorter than the menu row leaves no view area rather than a negative one.
    expected.insert(expected.end(), {1, 0, 0, 8});
    EXPECT_EQ(Sizes(), expected);
    EXPECT_STREQ(GtkStyleFile(), "./gtkrc");
}

TEST(ScreenConfig, IconStyleOtherThanOneSelectsTheSmallStyle) {
    for (const char* text : {"icon_style = 0\n", "icon_style = 2\n", "icon_style = -1\n",
                             "icon_style = x\n", "Icon_style = 1\n"}) {
        ParseText(text);
        EXPECT_STREQ(GtkStyleFile(), "./gtkrc_5") << text;
    }
    ParseText("icon_style=1");
    EXPECT_STREQ(GtkStyleFile(), "./gtkrc");
}

TEST(ScreenConfig, UnknownKeysAndUnreadableNumbersDoNotDisturbOtherEntries) {
    ParseText(
        "colour = 7\n"
        "screen_height = tall\n"
        "SCREEN_WIDTH = 1\n"
        "message_width = 12x\n"
        "message_height = 99999999999999999999\n"
        "menubar_width = -3\n"
        "screen_LM = 9000\n"
        "= 5\n"
        "pattern_list_width\n"
        "pattern_list_height 70\n"
        "garbage \x01\x02\xff = = 3\n"
        "   setup_button_width\t=\t99   # wider buttons\r\n"
        "pop_menu_y = -12\n"
        "screen_width = 640\n");
    EXPECT_EQ(screen_height, 240);
    EXPECT_EQ(message_width, 320);
    EXPECT_EQ(message_height, 240);
    EXPECT_EQ(menubar_width, 160);
    EXPECT_EQ(screen_LM, 2);
    EXPECT_EQ(pattern_list_width, 170);
    EXPECT_EQ(pattern_list_height, 195);
    EXPECT_EQ(setup_button_width, 99);
    EXPECT_EQ(pop_menu_y, -12);
    EXPECT_EQ(screen_width, 640);
    EXPECT_EQ(pop_menu_x, 545);
}

TEST(ScreenConfig, OverLongKeysAndLinesAreSkipped) {
    std::string longKey(kMaxConfigKeyLength + 1, 'k');
    std::string longLine = "screen_height = 480" + std::string(300, ' ') + "junk\n";
    // The longest line that is read (255 characters), with the largest size.
    std::string edge = "message_width = 8192";
    edge += std::string(255 - edge.size(), ' ') + "\n";
    ParseText(longKey + " = 5\n" + "screen_width" + std::string(600, 'x') + " = 1\n" + longLine +
              edge);
    EXPECT_EQ(screen_width, 320);
    EXPECT_EQ(screen_height, 240);
    EXPECT_EQ(message_width, 8192);
}

TEST(ScreenConfig, BinaryAndHugeFilesStartWithSaneValues) {
    std::string binary;
    for (int i = 0; i < 70000; ++i)
        binary.push_back(static_cast<char>((i * 7919) % 256));
    ParseText(binary);
    EXPECT_GE(screen_width, 0);
    EXPECT_LE(screen_width, 8192);

    // Only the first 4096 lines are read.
    std::string many;
    for (int i = 0; i < 5000; ++i)
        many += "x = 1\n";
    ParseText(many + "screen_width = 1024\n");
    EXPECT_EQ(screen_width, 320);
    ParseText(std::string(4095, '\n') + "screen_width = 1024\n");
    EXPECT_EQ(screen_width, 1024);
}

}  // namespace
