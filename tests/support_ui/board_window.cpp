#include "support_ui/board_window.h"

#include <sys/stat.h>
#include <unistd.h>

#include "base/defaults_file.h"
#include "base/log.h"
#include "base/program_settings.h"
#include "base/ui_hooks.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/machine_parameters.h"
#include "machine/serial_link.h"
#include "pattern/pattern.h"

void BoardWindowTest::SetUp() {
    ASSERT_TRUE(EnsureGtk());
    sim = std::make_unique<Mc1Sim>(std::vector<std::string>{"--time-scale", "50"});
    ASSERT_TRUE(sim->running) << sim->error;
    SetFactoryDefaults();
    ResetProgramSettings();
    logStream = std::tmpfile();
    SetLogStream(logStream);
    SetSerialDevicePath(sim->device);
    ASSERT_GE(OpenPort(), 0);
    responder = std::make_unique<ScriptedResponder>();
    // Long loops (recording, demo, motor tests) keep the screen alive through the seam.
    UserInterfaceHooks hooks = GetUserInterfaceHooks();
    hooks.drainEvents = Drain;
    SetUserInterfaceHooks(hooks);
    ASSERT_TRUE(getcwd(oldDir, sizeof oldDir));
    ASSERT_EQ(chdir(dir.path.c_str()), 0);
    mkdir("patterns", 0777);
    ASSERT_EQ(symlink(LONGARM_SOURCE_DIR "/images", "images"), 0);
    SetDefaultsFilePath(dir.File("defaults.mrl").c_str());
}

void BoardWindowTest::TearDown() {
    EXPECT_EQ(chdir(oldDir), 0);
    DropMainWindow();
    responder.reset();
    ClosePort();
    SetDefaultsFilePath(nullptr);
    extents.reset();
    ClearLayout();
    ClearPatternList();
    InitPatternBox();
    SetLogStream(stdout);
    if (logStream) std::fclose(logStream);
}
