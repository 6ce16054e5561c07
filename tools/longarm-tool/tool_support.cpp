#include "tool_support.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/application_state.h"
#include "base/log.h"
#include "base/ui_hooks.h"
#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"

namespace {

int PrintMessage(int, int, const char* text) {
    std::fprintf(stderr, "longarm-tool: %s\n", text);
    return kResponseOk;
}

}  // namespace

int ToolUsage(const char* text) {
    std::fputs(text, stderr);
    return 2;
}

bool WantsHelp(const Arguments& args) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

bool ParseWholeNumber(const std::string& text, long low, long high, long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

void UseToolInterface() {
    UserInterfaceHooks hooks;
    hooks.showMessage = PrintMessage;
    SetUserInterfaceHooks(hooks);
}

bool LoadLayoutForTool(const std::string& path) {
    UseToolInterface();
    InitPatternBox();
    InitArrays();
    SetLogStream(stderr);
    bool ok = LoadLayout(path.c_str(), 1, 1) == 1;
    SetLogStream(stdout);
    return ok;
}
