// Helpers of the maintenance tests: a scripted answerer of the message windows
// and a program folder as working directory with a substitute system root that
// holds a stand-in USB stick (with one file, so it counts as present) and
// memory card.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "base/system_paths.h"
#include "base/ui_hooks.h"
#include "support/temp_dir.h"

// While it lives, answers message windows from `answers` (when empty: Yes to
// a Yes/No question, OK to everything else) and records every text shown.
struct MessageScript {
    MessageScript() {
        current = this;
        UserInterfaceHooks hooks;
        hooks.showMessage = [](int, int buttons, const char* text) {
            current->shown.push_back(text);
            if (current->answers.empty())
                return buttons == kButtonsYesNo ? kResponseYes : kResponseOk;
            const int answer = current->answers.front();
            current->answers.pop_front();
            return answer;
        };
        SetUserInterfaceHooks(hooks);
    }
    ~MessageScript() { SetUserInterfaceHooks({}); }
    std::string Last() const { return shown.empty() ? std::string() : shown.back(); }
    std::deque<int> answers;
    std::vector<std::string> shown;
    static inline MessageScript* current = nullptr;
};

// Writes text to path, making the folders above it.
inline void Put(const std::string& path, const std::string& text) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent);
    ASSERT_TRUE(WriteFileText(path, text)) << path;
}

// True when path exists (links not followed).
inline bool Present(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

struct ProgramFolderTest : ::testing::Test {
    void SetUp() override {
        char here[PATH_MAX];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        oldFolder = here;
        ASSERT_EQ(chdir(dir.path.c_str()), 0);
        ASSERT_EQ(SetSystemRoot(root.path.c_str()), 1);
        Put(Stick("readme.txt"), "stick\n");
        std::filesystem::create_directories(root.File("media/mmc0/Keswin"));
        std::filesystem::create_directories(dir.File("thumbnails"));
    }
    void TearDown() override {
        SetSystemRoot(nullptr);
        ASSERT_EQ(chdir(oldFolder.c_str()), 0);
    }
    std::string Stick(const std::string& name) const { return root.File("media/usb/" + name); }

    TempDir dir, root;
    MessageScript messages;
    std::string oldFolder;
};
