// Screen-layout settings: the sizes of every window, button and list of the
// user interface, read once at start from "./screen.conf" so that the same
// program fits touch screens of different sizes. Each setting is a global
// integer named exactly like its key in the file; all are pixels except
// icon_style (the style number of the toolbar icons and GTK style file).
#pragma once

extern int screen_width, screen_height;                 // the whole display
extern int screen_LM, screen_RM, screen_TM, screen_BM;  // margins around the screens
extern int menubar_width, menubar_height;
extern int pop_menu_x, pop_menu_y;  // where the pattern pop-up menu opens
extern int pattern_list_width, pattern_list_height;
extern int pattern_preview_width, pattern_preview_height;
extern int pattern_select_width, pattern_select_height;
extern int pattern_select_button_width, pattern_select_button_height;
extern int trace_button_width, trace_button_height;
extern int toolbar_button_size, confirm_button_size;
extern int icon_style;  // 1: large icons and "./gtkrc"; anything else: "./gtkrc_5"
extern int setup_button_width, setup_button_height;
extern int setup_slider_width, setup_slider_height;
extern int setup_spinbox_width, setup_spinbox_height;
extern int scale_dialog_width, scale_dialog_height;
extern int number_entry_width, number_entry_height;
extern int special_message_width, special_message_height;
extern int message_width, message_height;
extern int file_selection_width, file_selection_height;
extern int array_dialog_width, array_dialog_height;

// Derived, never read from the file.
extern int view_area_width;   // screen_width
extern int view_area_height;  // screen_height - menubar_height (0 when negative)
extern int toolbar_width;     // screen_width - menubar_width (0 when negative)
extern int toolbar_height;    // menubar_height

// Longest key accepted in the file; longer keys are skipped.
constexpr int kMaxConfigKeyLength = 63;

// Sets every screen setting to its default, reads "./screen.conf" when it can
// be opened, then derives the dependent values. Called once by start-up.
void ParseConfig();

// The same with the file at path (tests, tools). Lines of the form
// "key = number" (blanks around "=" optional) set the key's global; unknown
// keys, over-long keys or lines, numbers that cannot be read and numbers
// outside the setting's sane range (sizes 0 to 8192, positions -8192 to 8192)
// are skipped without effect on the other lines. Only the first 4096 lines are
// read. pop_menu_x is screen_width - 95 unless the file gives it. Returns 1
// when the file was read, 0 when it could not be opened (defaults apply).
int ParseConfigFile(const char* path);

// The GTK style file that icon_style selects: "./gtkrc" for 1, else "./gtkrc_5".
const char* GtkStyleFile();
