#include "base/screen_config.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/log.h"

int screen_width, screen_height;
int screen_LM, screen_RM, screen_TM, screen_BM;
int menubar_width, menubar_height;
int pop_menu_x, pop_menu_y;
int pattern_list_width, pattern_list_height;
int pattern_preview_width, pattern_preview_height;
int pattern_select_width, pattern_select_height;
int pattern_select_button_width, pattern_select_button_height;
int trace_button_width, trace_button_height;
int toolbar_button_size, confirm_button_size;
int icon_style;
int setup_button_width, setup_button_height;
int setup_slider_width, setup_slider_height;
int setup_spinbox_width, setup_spinbox_height;
int scale_dialog_width, scale_dialog_height;
int number_entry_width, number_entry_height;
int special_message_width, special_message_height;
int message_width, message_height;
int file_selection_width, file_selection_height;
int array_dialog_width, array_dialog_height;
int view_area_width, view_area_height, toolbar_width, toolbar_height;

namespace {

constexpr int kMaxPixels = 8192;  // no screen of this controller comes near it
constexpr int kMaxLines = 4096;
constexpr int kMaxLineLength = 255;

enum ValueKind { kSize, kPosition, kStyle };

struct ConfigKey {
    const char* name;
    int* value;
    int defaultValue;
    ValueKind kind;
};

// pop_menu_x has no fixed default: it follows screen_width unless given.
const ConfigKey kKeys[] = {
    {"screen_width", &screen_width, 320, kSize},
    {"screen_height", &screen_height, 240, kSize},
    {"screen_LM", &screen_LM, 2, kSize},
    {"screen_RM", &screen_RM, 2, kSize},
    {"screen_TM", &screen_TM, 2, kSize},
    {"screen_BM", &screen_BM, 2, kSize},
    {"menubar_width", &menubar_width, 160, kSize},
    {"menubar_height", &menubar_height, 40, kSize},
    {"pop_menu_x", &pop_menu_x, 0, kPosition},
    {"pop_menu_y", &pop_menu_y, 0, kPosition},
    {"pattern_list_width", &pattern_list_width, 170, kSize},
    {"pattern_list_height", &pattern_list_height, 195, kSize},
    {"pattern_preview_width", &pattern_preview_width, 140, kSize},
    {"pattern_preview_height", &pattern_preview_height, 80, kSize},
    {"pattern_select_width", &pattern_select_width, 140, kSize},
    {"pattern_select_height", &pattern_select_height, 195, kSize},
    {"pattern_select_button_width", &pattern_select_button_width, 50, kSize},
    {"pattern_select_button_height", &pattern_select_button_height, 50, kSize},
    {"trace_button_width", &trace_button_width, 60, kSize},
    {"trace_button_height", &trace_button_height, 30, kSize},
    {"toolbar_button_size", &toolbar_button_size, 30, kSize},
    {"confirm_button_size", &confirm_button_size, 32, kSize},
    {"icon_style", &icon_style, 0, kStyle},
    {"setup_button_width", &setup_button_width, 155, kSize},
    {"setup_button_height", &setup_button_height, 50, kSize},
    {"setup_slider_width", &setup_slider_width, 60, kSize},
    {"setup_slider_height", &setup_slider_height, 115, kSize},
    {"setup_spinbox_width", &setup_spinbox_width, 80, kSize},
    {"setup_spinbox_height", &setup_spinbox_height, 22, kSize},
    {"scale_dialog_width", &scale_dialog_width, 320, kSize},
    {"scale_dialog_height", &scale_dialog_height, 240, kSize},
    {"number_entry_width", &number_entry_width, 320, kSize},
    {"number_entry_height", &number_entry_height, 240, kSize},
    {"special_message_width", &special_message_width, 320, kSize},
    {"special_message_height", &special_message_height, 240, kSize},
    {"message_width", &message_width, 320, kSize},
    {"message_height", &message_height, 240, kSize},
    {"file_selection_width", &file_selection_width, 320, kSize},
    {"file_selection_height", &file_selection_height, 240, kSize},
    {"array_dialog_width", &array_dialog_width, 300, kSize},
    {"array_dialog_height", &array_dialog_height, 240, kSize},
};

bool InRange(ValueKind kind, long value) {
    switch (kind) {
        case kSize:
            return value >= 0 && value <= kMaxPixels;
        case kPosition:
            return value >= -kMaxPixels && value <= kMaxPixels;
        case kStyle:
            return value >= INT_MIN && value <= INT_MAX;
    }
    return false;
}

const ConfigKey* FindKey(const char* name, size_t length) {
    for (const ConfigKey& key : kKeys) {
        if (strlen(key.name) == length && strncmp(key.name, name, length) == 0) return &key;
    }
    return nullptr;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// One line "key = number". Returns true when it set a setting.
bool ParseLine(const char* line, bool* popMenuXGiven) {
    const char* p = line;
    while (IsBlank(*p))
        ++p;
    const char* key = p;
    while (*p != '\0' && !IsBlank(*p) && *p != '=')
        ++p;
    size_t keyLength = static_cast<size_t>(p - key);
    if (keyLength == 0) return false;
    if (keyLength > static_cast<size_t>(kMaxConfigKeyLength)) {
        Log("screen.conf: key of %zu characters skipped\n", keyLength);
        return false;
    }
    while (IsBlank(*p))
        ++p;
    if (*p != '=') return false;
    ++p;
    while (IsBlank(*p))
        ++p;

    const ConfigKey* setting = FindKey(key, keyLength);
    if (setting == nullptr) return false;
    char* end = nullptr;
    errno = 0;
    long value = strtol(p, &end, 10);
    if (end == p || errno == ERANGE || (*end != '\0' && !IsBlank(*end))) {
        Log("screen.conf: %s has no whole number, skipped\n", setting->name);
        return false;
    }
    if (!InRange(setting->kind, value)) {
        Log("screen.conf: %s = %ld is out of range, skipped\n", setting->name, value);
        return false;
    }
    *setting->value = static_cast<int>(value);
    if (setting->value == &pop_menu_x) *popMenuXGiven = true;
    return true;
}

// Reads the lines of an open file; a line longer than the buffer is skipped whole.
void ParseLines(FILE* file, bool* popMenuXGiven) {
    char line[kMaxLineLength + 2];
    bool skipping = false;  // inside the rest of an over-long line
    for (int lines = 0; lines < kMaxLines && fgets(line, sizeof line, file) != nullptr;) {
        size_t length = strlen(line);
        bool complete = length > 0 && line[length - 1] == '\n';
        if (skipping) {
            skipping = !complete;
            if (complete) ++lines;
            continue;
        }
        if (!complete && length == sizeof line - 1) {
            LogLine("screen.conf: over-long line skipped");
            skipping = true;
            continue;
        }
        ++lines;
        ParseLine(line, popMenuXGiven);
    }
}

void Derive(bool popMenuXGiven) {
    view_area_width = screen_width;
    view_area_height = screen_height > menubar_height ? screen_height - menubar_height : 0;
    toolbar_width = screen_width > menubar_width ? screen_width - menubar_width : 0;
    toolbar_height = menubar_height;
    if (!popMenuXGiven) pop_menu_x = screen_width - 95;
}

}  // namespace

int ParseConfigFile(const char* path) {
    for (const ConfigKey& key : kKeys)
        *key.value = key.defaultValue;
    bool popMenuXGiven = false;
    FILE* file = path != nullptr ? fopen(path, "r") : nullptr;
    if (file != nullptr) {
        ParseLines(file, &popMenuXGiven);
        fclose(file);
    }
    Derive(popMenuXGiven);
    return file != nullptr ? 1 : 0;
}

void ParseConfig() {
    ParseConfigFile("./screen.conf");
}

const char* GtkStyleFile() {
    return icon_style == 1 ? "./gtkrc" : "./gtkrc_5";
}
