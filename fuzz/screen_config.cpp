// The screen-layout file "screen.conf" on arbitrary bytes: every setting must
// end inside its range and the derived values must follow the rules.
#include "base/screen_config.h"
#include "fuzz_support.h"

namespace {

bool Size(int value) {
    return value >= 0 && value <= 8192;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSetUp();
    static const std::string path = ScratchPath("screen.conf");
    WriteScratch(path, data, size);
    FUZZ_CHECK(ParseConfigFile(path.c_str()) == 1);
    for (int value : {screen_width,
                      screen_height,
                      screen_LM,
                      screen_RM,
                      screen_TM,
                      screen_BM,
                      menubar_width,
                      menubar_height,
                      pattern_list_width,
                      pattern_list_height,
                      pattern_preview_width,
                      pattern_preview_height,
                      pattern_select_width,
                      pattern_select_height,
                      toolbar_button_size,
                      confirm_button_size,
                      message_width,
                      message_height,
                      file_selection_width,
                      file_selection_height})
        FUZZ_CHECK(Size(value));
    FUZZ_CHECK(pop_menu_x >= -8192 - 95 && pop_menu_x <= 8192);
    FUZZ_CHECK(view_area_width == screen_width);
    FUZZ_CHECK(view_area_height >= 0 && view_area_height <= screen_height);
    FUZZ_CHECK(toolbar_width >= 0 && toolbar_width <= screen_width);
    FUZZ_CHECK(toolbar_height == menubar_height);
    return 0;
}
