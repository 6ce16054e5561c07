#include "maintenance_test.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>

#include "base/system_paths.h"
#include "base/ui_hooks.h"

namespace {

MessageScript* current = nullptr;

int Answer(int, int buttons, const char* text) {
    current->shown.push_back(text);
    if (current->answers.empty()) return buttons == kButtonsYesNo ? kResponseYes : kResponseOk;
    const int answer = current->answers.front();
    current->answers.pop_front();
    return answer;
}

}  // namespace

MessageScript::MessageScript() {
    current = this;
    UserInterfaceHooks hooks;
    hooks.showMessage = Answer;
    SetUserInterfaceHooks(hooks);
}

MessageScript::~MessageScript() {
    SetUserInterfaceHooks({});
    current = nullptr;
}

bool MessageScript::Showed(const std::string& text) const {
    return std::find(shown.begin(), shown.end(), text) != shown.end();
}

void Put(const std::string& path, const std::string& text) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent);
    ASSERT_TRUE(WriteFileText(path, text)) << path;
}

bool Present(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

void ProgramFolderTest::SetUp() {
    char here[PATH_MAX];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    oldFolder = here;
    ASSERT_EQ(chdir(dir.path.c_str()), 0);
    ASSERT_EQ(SetSystemRoot(root.path.c_str()), 1);
    Put(Stick("readme.txt"), "stick\n");
    std::filesystem::create_directories(root.File("media/mmc0/Keswin"));
    std::filesystem::create_directories(dir.File("thumbnails"));
}

void ProgramFolderTest::TearDown() {
    SetSystemRoot(nullptr);
    ASSERT_EQ(chdir(oldFolder.c_str()), 0);
}
